# Kindle Paperwhite 2 (i.MX 6SoloLite): 8-bit grey portrait (758 of 768 bytes a
# line), the Kindle update request (72 bytes, with the histogram waveforms) and
# the 8-byte wait, kernel 3.0.35. The driver keeps memory upright whatever the
# rotation. No page keys; Power belongs to the Kindle's own power daemon.
sim_fb=mxc_epdc_fb,758,1024,768,8,0,1
sim_upright=any
sim_send=72
sim_wait=8
sim_release=3.0.35-lab126
sim_syscalls=3.0
sim_touch=1,757,1023
sim_touch_args=""
sim_page_keys=
sim_power_key=
sim_reference=758x1024
