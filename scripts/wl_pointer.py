#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""A pointer in sway, over the Wayland wire protocol's zwlr_virtual_pointer_v1. Reads lines
"move X Y" (on an 800x600 output) and "click BUTTON [N]" (1 left, 2 middle, 3 right) from
standard input; prints "ready" once the pointer exists, which lasts until the input ends."""
import os
import socket
import struct
import sys
import time

BUTTONS = {"1": 0x110, "2": 0x112, "3": 0x111}  # BTN_LEFT, BTN_MIDDLE, BTN_RIGHT


def message(obj, opcode, payload=b""):
    return struct.pack("<II", obj, (8 + len(payload)) << 16 | opcode) + payload


def string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


wl = socket.socket(socket.AF_UNIX)
wl.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
# wl_display.get_registry (new id 2), then wl_display.sync (new id 3) to learn every global.
wl.sendall(message(1, 1, struct.pack("<I", 2)) + message(1, 0, struct.pack("<I", 3)))
data, globals_, synced = b"", {}, False
while not synced:
    data += wl.recv(65536)
    while len(data) >= 8 and len(data) >= struct.unpack_from("<I", data, 4)[0] >> 16:
        obj, head = struct.unpack_from("<II", data)
        body, data = data[8:head >> 16], data[head >> 16:]
        if obj == 2 and head & 0xFFFF == 0:  # wl_registry.global: name, interface, version
            length = struct.unpack_from("<I", body, 4)[0]
            globals_[body[8:7 + length].decode()] = struct.unpack_from("<I", body)[0]
        synced |= obj == 3
manager = "zwlr_virtual_pointer_manager_v1"
# wl_registry.bind (new id 4), then create_virtual_pointer on the default seat (new id 5).
wl.sendall(message(2, 0, struct.pack("<I", globals_[manager]) + string(manager)
                   + struct.pack("<II", 1, 4)) + message(4, 0, struct.pack("<II", 0, 5)))
print("ready", flush=True)
for line in sys.stdin:
    words = line.split()
    now = int(time.monotonic() * 1000) & 0xFFFFFFFF
    if words[0] == "move":  # motion_absolute, frame
        wl.sendall(message(5, 1, struct.pack("<5I", now, int(words[1]), int(words[2]), 800, 600))
                   + message(5, 4))
    elif words[0] == "click":
        for _ in range(int(words[2]) if len(words) > 2 else 1):
            for state in (1, 0):  # button, frame
                wl.sendall(message(5, 2, struct.pack("<3I", now, BUTTONS[words[1]], state))
                           + message(5, 4))
                time.sleep(0.04)
