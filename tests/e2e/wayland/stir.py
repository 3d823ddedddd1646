#!/usr/bin/env python3
"""Holds the pointer at a point of the output and stirs it there, a couple of
pixels to and fro every 10 ms, for SECONDS: what passes under it meets a moving
pointer, as under a player's hand. Talks to sway's IPC socket ($SWAYSOCK)
directly, since a swaymsg process per move would be far too slow.
    stir.py X Y SECONDS
"""
import os
import socket
import struct
import sys
import time


def command(sock, text):
    payload = text.encode()
    sock.sendall(b"i3-ipc" + struct.pack("=II", len(payload), 0) + payload)
    reply = b""
    while len(reply) < 14:
        reply += sock.recv(14 - len(reply))
    length = struct.unpack("=I", reply[6:10])[0]
    while length > 0:
        length -= len(sock.recv(length))


def main():
    x, y, seconds = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    sock.connect(os.environ["SWAYSOCK"])
    end = time.monotonic() + seconds
    step = 2
    while time.monotonic() < end:
        command(sock, "seat - cursor set %d %d" % (x + step, y))
        step = -step
        time.sleep(0.01)
    command(sock, "seat - cursor set %d %d" % (x, y))


if __name__ == "__main__":
    main()
