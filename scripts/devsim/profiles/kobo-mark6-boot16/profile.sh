# A Kobo Glo HD as it boots, before Nickel sets it up (started from a boot script
# or after Nickel was stopped early): 16 bpp, landscape memory (1448x1072) shown
# turned a quarter (rotation 2, where Nickel's portrait is 3), 68-byte updates.
# The turn is FBInk's boot rotation: the upright top edge is memory's right edge,
# the upright point (x, y) memory's (1447 - y, x).
sim_fb=mxc_epdc_fb,1448,1072,1472,16,2,0
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
