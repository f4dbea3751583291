# Kobo Glo HD (Mark 6, i.MX 6SoloLite) under Nickel: portrait at 32 bpp, the
# pre-Mark 7 update request (68 bytes, with the NTX alternate buffer pointer) and
# the 4-byte wait, kernel 3.0.35 (older than the C library's 3.2 floor).
sim_fb=mxc_epdc_fb,1072,1448,1088,32,3,0
sim_upright=3
sim_send=68
sim_wait=4
sim_release=3.0.35
sim_syscalls=3.0
sim_touch=1,1447,1071
sim_touch_args="--swap --mirror-x"
sim_page_keys=193,194
sim_power_key=116
sim_reference=1072x1448
