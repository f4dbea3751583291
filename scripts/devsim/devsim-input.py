#!/usr/bin/env python3
"""Writes input_event records to a simulated evdev device (a FIFO of scripts/devsim).

  devsim-input.py FIFO --arch armhf|native key CODE
  devsim-input.py FIFO --arch armhf|native tap X Y --width W [--swap] [--mirror-x]

A key is pressed and released; a tap is a multi-touch (type B) contact at the
upright screen point X, Y, turned into the panel's raw coordinates as the reader's
touch controller reports them (axes swapped, then x mirrored over the screen width W).
"""
import argparse
import os
import struct
import time

EV_SYN, EV_KEY, EV_ABS = 0, 1, 3
BTN_TOUCH = 330
ABS_X, ABS_Y, ABS_MT_SLOT = 0, 1, 0x2F
ABS_MT_POSITION_X, ABS_MT_POSITION_Y, ABS_MT_TRACKING_ID = 0x35, 0x36, 0x39


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("fifo")
    parser.add_argument("--arch", choices=["armhf", "native"], required=True)
    sub = parser.add_subparsers(dest="what", required=True)
    key = sub.add_parser("key")
    key.add_argument("code", type=int)
    tap = sub.add_parser("tap")
    tap.add_argument("x", type=int)
    tap.add_argument("y", type=int)
    tap.add_argument("--width", type=int, required=True)
    tap.add_argument("--swap", action="store_true")
    tap.add_argument("--mirror-x", action="store_true")
    args = parser.parse_args()
    layout = "<IIHHi" if args.arch == "armhf" else "<qqHHi"

    # Read-write: never waits for a reader; unread events stay in the FIFO.
    fd = os.open(args.fifo, os.O_RDWR)

    def send(*events):
        now = time.time()
        sec, usec = int(now), int((now % 1) * 1e6)
        data = b"".join(struct.pack(layout, sec, usec, t, c, v) for t, c, v in events)
        os.write(fd, data + struct.pack(layout, sec, usec, EV_SYN, 0, 0))

    if args.what == "key":
        send((EV_KEY, args.code, 1))
        time.sleep(0.05)
        send((EV_KEY, args.code, 0))
    else:
        x, y = args.x, args.y
        if args.mirror_x:
            x = args.width - 1 - x
        if args.swap:
            x, y = y, x
        send((EV_ABS, ABS_MT_SLOT, 0), (EV_ABS, ABS_MT_TRACKING_ID, 1),
             (EV_ABS, ABS_MT_POSITION_X, x), (EV_ABS, ABS_MT_POSITION_Y, y),
             (EV_KEY, BTN_TOUCH, 1), (EV_ABS, ABS_X, x), (EV_ABS, ABS_Y, y))
        time.sleep(0.1)
        send((EV_ABS, ABS_MT_SLOT, 0), (EV_ABS, ABS_MT_TRACKING_ID, -1), (EV_KEY, BTN_TOUCH, 0))
    os.close(fd)


if __name__ == "__main__":
    main()
