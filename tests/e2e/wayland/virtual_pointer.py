#!/usr/bin/env python3
"""Gives the compositor's seat a pointer, so that `swaymsg seat - cursor ...`
reaches the clients: a headless sway without input devices has none, and its
clients then never get pointer events. The pointer is a wlr virtual pointer,
made over the Wayland socket directly (the wire protocol is small), and lives
as long as this process; it prints "ready" once the compositor has it.
"""
import os
import socket
import struct
import sys

DISPLAY, REGISTRY, SYNC, MANAGER, POINTER = 1, 2, 3, 4, 5
INTERFACE = b"zwlr_virtual_pointer_manager_v1"


def message(obj, opcode, payload=b""):
    return struct.pack("=II", obj, (8 + len(payload)) << 16 | opcode) + payload


def string(s):
    data = s + b"\0"
    return struct.pack("=I", len(data)) + data + b"\0" * (-len(data) % 4)


def events(sock):
    buf = b""
    while True:
        while len(buf) >= 8:
            obj, word = struct.unpack_from("=II", buf)
            size = word >> 16
            if len(buf) < size:
                break
            yield obj, word & 0xFFFF, buf[8:size]
            buf = buf[size:]
        chunk = sock.recv(65536)
        if not chunk:
            return
        buf += chunk


def main():
    path = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.get("WAYLAND_DISPLAY", "wayland-0"))
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    sock.connect(path)
    sock.sendall(message(DISPLAY, 1, struct.pack("=I", REGISTRY)) + message(DISPLAY, 0, struct.pack("=I", SYNC)))
    stream = events(sock)
    manager_name = None
    for obj, opcode, args in stream:
        if obj == DISPLAY and opcode == 0:
            sys.exit("wayland error: %r" % args)
        if obj == REGISTRY and opcode == 0:
            name, length = struct.unpack_from("=II", args)
            if args[8:8 + length - 1] == INTERFACE:
                manager_name = name
        if obj == SYNC and opcode == 0:
            break
    if manager_name is None:
        sys.exit("the compositor has no virtual pointers")
    bind = struct.pack("=I", manager_name) + string(INTERFACE) + struct.pack("=II", 1, MANAGER)
    create = struct.pack("=II", 0, POINTER)   # the default seat
    sock.sendall(message(REGISTRY, 0, bind) + message(MANAGER, 0, create) +
                 message(DISPLAY, 0, struct.pack("=I", SYNC)))
    for obj, opcode, args in stream:
        if obj == DISPLAY and opcode == 0:
            sys.exit("wayland error: %r" % args)
        if obj == SYNC and opcode == 0:
            break
    print("ready", flush=True)
    # The pointer goes when the connection does.
    for obj, opcode, args in stream:
        if obj == DISPLAY and opcode == 0:
            sys.exit("wayland error: %r" % args)


if __name__ == "__main__":
    main()
