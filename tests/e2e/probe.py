#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Reads the running program from outside, on the session bus.

probe.py item: the StatusNotifierItem's tooltip title, how many items are registered, its
exported menu's entries and its icon's pictures (sizes, and the bytes of the marshalled IconPixmap), one "key=value" line each.
probe.py a11y: "role|name|caption" for the program's windows and every control in them, as
AT-SPI gives them (caption: the label that the control is labelled by).
probe.py focus: "role|name" of each of the program's objects that gets the focus from now on (a
menu's entries as keys move through them), as a screen reader hears them; "listening" first.
probe.py contrast PNG: "RATIO R,G,B": how the icon's lines (all that is not the panel's colour,
the commonest at the picture's edges) stand out against the panel (R,G,B), as the median of the
lines' contrast ratios (WCAG 2.1).
"""
import collections
import re
import subprocess
import sys

PROPS = "org.freedesktop.DBus.Properties"


def item():
    import dbus

    bus = dbus.SessionBus()
    watcher = bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
    items = watcher.Get("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems",
                        dbus_interface=PROPS)
    name, path = re.split("[/@]/?", str(items[0]), maxsplit=1)
    props = bus.get_object(name, "/" + path).GetAll("org.kde.StatusNotifierItem",
                                                     dbus_interface=PROPS)
    menu = bus.get_object(name, props["Menu"])
    _, layout = menu.GetLayout(0, -1, ["label"], dbus_interface="com.canonical.dbusmenu")
    print(f"tooltip={props['ToolTip'][2]}")
    print(f"items={len(items)}")
    print("menu=" + "|".join(str(entry[1].get("label", "")) for entry in layout[2]))
    size = 4  # the array's length, then each (iiay) at an 8-byte boundary
    for _, _, data in props["IconPixmap"]:
        size = (size + 7) // 8 * 8 + 12 + len(data)
    print("pixmaps=" + ",".join(f"{w}x{h}" for w, h, _ in props["IconPixmap"]) + f" {size} bytes")


def a11y():
    import pyatspi

    def walk(node):
        caption = [t.name for r in node.getRelationSet()
                   if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                   for t in (r.getTarget(i) for i in range(r.getNTargets()))]
        # AT-SPI 2.56 names the push button's role "button"; earlier versions "push button".
        role = "push button" if node.getRole() == pyatspi.ROLE_PUSH_BUTTON else node.getRoleName()
        print(f"{role}|{node.name}|{','.join(caption)}")
        for child in node:
            walk(child)

    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "lotwarden":
            for window in app:
                walk(window)


def focus():
    import pyatspi

    def focused(event):
        if event.detail1 and event.source.getApplication().name == "lotwarden":
            print(f"{event.source.getRoleName()}|{event.source.name}", flush=True)

    pyatspi.Registry.registerEventListener(focused, "object:state-changed:focused")
    print("listening", flush=True)
    pyatspi.Registry.start()


def contrast():
    # Three channels even where the picture is all grey (ImageMagick 7 writes one there).
    text = subprocess.run(["convert", sys.argv[2], "-colorspace", "sRGB", "-depth", "8", "txt:-"],
                          check=True, capture_output=True, text=True).stdout
    pixels = {tuple(map(int, m[:2])): tuple(map(int, m[2:]))
              for m in re.findall(r"^(\d+),(\d+): \((\d+),(\d+),(\d+)", text, re.M)}
    w, h = max(x for x, _ in pixels) + 1, max(y for _, y in pixels) + 1
    edges = [c for (x, y), c in pixels.items() if x in (0, w - 1) or y in (0, h - 1)]
    panel = collections.Counter(edges).most_common(1)[0][0]

    def luminance(rgb):
        def channel(v):
            v /= 255
            return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
        r, g, b = map(channel, rgb)
        return 0.2126 * r + 0.7152 * g + 0.0722 * b

    ratios = sorted((max(a, b) + 0.05) / (min(a, b) + 0.05)
                    for a, b in ((luminance(c), luminance(panel))
                                 for c in pixels.values() if c != panel))
    print(f"{ratios[len(ratios) // 2]:.2f} {','.join(map(str, panel))}")


{"item": item, "a11y": a11y, "focus": focus, "contrast": contrast}[sys.argv[1]]()
