#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Drives a headless GNOME Shell over its own D-Bus interfaces, as xdotool and import do on X.

gnome_drive.py shot FILE [WxH+X+Y]: a screenshot of the screen or of that area, as PNG.
gnome_drive.py shown: succeeds while the program's window is showing (as AT-SPI sees it).
gnome_drive.py input: a pointer and keyboard through a remote-desktop session. Reads lines
"move X Y", "click BUTTON [N]" (1 left, 2 middle, 3 right), "keys KEYSYM..." (numbers,
or ASCII characters as themselves) and "chord KEYSYM..." (held down together, as Alt+Tab) from
standard input; prints "ready" once the session runs,
which lasts until the input ends.
"""
import re
import sys
import time

import dbus

BUTTONS = {"1": 0x110, "2": 0x112, "3": 0x111}  # BTN_LEFT, BTN_MIDDLE, BTN_RIGHT
bus = dbus.SessionBus()


def shot(path, area=None):
    # The shell answers only callers that own one of the names its own tools use.
    bus.request_name("org.gnome.Screenshot")
    shell = dbus.Interface(bus.get_object("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot"),
                           "org.gnome.Shell.Screenshot")
    if area:
        w, h, x, y = map(int, re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", area).groups())
        ok, _ = shell.ScreenshotArea(x, y, w, h, False, path)
    else:
        ok, _ = shell.Screenshot(False, False, path)
    sys.exit(0 if ok else 1)


def shown():
    import pyatspi

    sys.exit(not any(window.getState().contains(pyatspi.STATE_SHOWING)
                     for app in pyatspi.Registry.getDesktop(0)
                     if app is not None and app.name == "lotwarden" for window in app))


def drive():
    desktop = bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
    path = desktop.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
    session = dbus.Interface(bus.get_object("org.gnome.Mutter.RemoteDesktop", path),
                             "org.gnome.Mutter.RemoteDesktop.Session")
    session.Start()
    # Absolute motion needs a screen cast; relative motion from the top left corner does not.
    session.NotifyPointerMotionRelative(-10000.0, -10000.0)
    at = [0, 0]
    print("ready", flush=True)
    for line in sys.stdin:
        words = line.split()
        if words[0] == "move":
            x, y = int(words[1]), int(words[2])
            session.NotifyPointerMotionRelative(float(x - at[0]), float(y - at[1]))
            at = [x, y]
        elif words[0] == "click":
            for _ in range(int(words[2]) if len(words) > 2 else 1):
                for state in (True, False):
                    session.NotifyPointerButton(BUTTONS[words[1]], state)
                    time.sleep(0.04)
        elif words[0] == "keys":
            for key in words[1:]:
                for sym in [int(key, 0)] if key.startswith("0x") else map(ord, key):
                    for state in (True, False):
                        session.NotifyKeyboardKeysym(sym, state)
                        time.sleep(0.01)
        elif words[0] == "chord":
            syms = [int(key, 0) for key in words[1:]]
            for sym, state in [(s, True) for s in syms] + [(s, False) for s in reversed(syms)]:
                session.NotifyKeyboardKeysym(sym, state)
                time.sleep(0.05)
    session.Stop()


{"shot": shot, "shown": shown, "input": drive}[sys.argv[1]](*sys.argv[2:])
