# Kobo Clara HD (Mark 7, i.MX 6SLL) under Nickel: portrait at 32 bpp, the Mark 7
# update request (72 bytes) beside the older 64-byte one, the 8- and 4-byte waits,
# kernel 4.1.15.
sim_fb=mxc_epdc_fb,1072,1448,1088,32,3,0
sim_upright=3
sim_send=72,64
sim_wait=8,4
sim_release=4.1.15-00002-g0a95b1c5d1a8
sim_syscalls=
sim_touch=1,1447,1071
sim_touch_args="--swap --mirror-x"
sim_page_keys=193,194
sim_power_key=116
sim_reference=1072x1448
