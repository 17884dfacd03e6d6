#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Watches a rectangle of the X screen and counts the pixels of one colour in it.

Prints one line per sample: the Unix time in milliseconds and the count. All samples go
through one X connection, so they can come a tenth of a second apart (a new client per
sample costs a quarter of a second on Xvfb). Uses libX11 through ctypes; the display is
$DISPLAY.

Example: watch_colour.py --rect 22x30+777+1 --colour 255,255,0 --count 25 --every 0.2
"""

import argparse
import ctypes
import ctypes.util
import re
import sys
import time


def main(argv):
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    parser.add_argument("--rect", required=True, help="WxH+X+Y on the root window")
    parser.add_argument("--colour", required=True, help="R,G,B, 0 to 255 each")
    parser.add_argument("--count", type=int, default=1, help="number of samples")
    parser.add_argument("--every", type=float, default=0.2, help="seconds between samples")
    args = parser.parse_args(argv)

    match = re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", args.rect)
    if not match:
        parser.error("--rect must be WxH+X+Y")
    width, height, left, top = (int(v) for v in match.groups())
    red, green, blue = (int(v) for v in args.colour.split(","))

    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XGetImage.restype = ctypes.c_void_p
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XGetPixel.restype = ctypes.c_ulong
    xlib.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    display = xlib.XOpenDisplay(None)
    if not display:
        print("cannot open the display", file=sys.stderr)
        return 1
    root = xlib.XDefaultRootWindow(display)
    all_planes = 0xFFFFFFFF
    z_pixmap = 2
    # A TrueColor screen of depth 24: 0xRRGGBB.
    wanted = (red << 16) | (green << 8) | blue
    for sample in range(args.count):
        if sample:
            time.sleep(args.every)
        image = xlib.XGetImage(display, root, left, top, width, height, all_planes, z_pixmap)
        if not image:
            print("XGetImage failed", file=sys.stderr)
            return 1
        count = sum(
            1
            for y in range(height)
            for x in range(width)
            if xlib.XGetPixel(image, x, y) & 0xFFFFFF == wanted
        )
        print(f"{time.time_ns() // 1_000_000} {count}", flush=True)
    xlib.XCloseDisplay(display)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
