#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Reads the running program from outside, on the session bus.

probe.py item: the StatusNotifierItem's tooltip title and its exported menu's entries, one
"key=value" line each.
probe.py a11y: "role|name|caption" for the program's windows and every control in them, as
AT-SPI gives them (caption: the label that the control is labelled by).
"""
import sys

PROPS = "org.freedesktop.DBus.Properties"


def item():
    import dbus

    bus = dbus.SessionBus()
    watcher = bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
    items = watcher.Get("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems",
                        dbus_interface=PROPS)
    name, path = str(items[0]).split("/", 1)
    props = bus.get_object(name, "/" + path).GetAll("org.kde.StatusNotifierItem",
                                                     dbus_interface=PROPS)
    menu = bus.get_object(name, props["Menu"])
    _, layout = menu.GetLayout(0, -1, ["label"], dbus_interface="com.canonical.dbusmenu")
    print(f"tooltip={props['ToolTip'][2]}")
    print("menu=" + "|".join(str(entry[1].get("label", "")) for entry in layout[2]))


def a11y():
    import pyatspi

    def walk(node):
        caption = [t.name for r in node.getRelationSet()
                   if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                   for t in (r.getTarget(i) for i in range(r.getNTargets()))]
        print(f"{node.getRoleName()}|{node.name}|{','.join(caption)}")
        for child in node:
            walk(child)

    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "lotwarden":
            for window in app:
                walk(window)


{"item": item, "a11y": a11y}[sys.argv[1]]()
