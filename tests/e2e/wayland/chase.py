#!/usr/bin/env python3
"""Plays for coins under sway: takes screenshots of the window with grim, finds
the green circle or a black square in the playfield, clear of red ones, and
puts the pointer on it through sway's IPC (a jump, so the pointer crosses
nothing on its way). Stops once the shop shows an offer at REGION (white text
there) and prints "offer", or after SECONDS and prints "no offer".
    chase.py X Y SECONDS REGION_X REGION_Y REGION_W REGION_H
X Y: the window's client corner on the output.
"""
import os
import socket
import struct
import subprocess
import sys
import time

WIDTH, HEIGHT = 1109, 607
FIELD_W, FIELD_H = 880, 500


def ipc(sock, command):
    payload = command.encode()
    sock.sendall(b"i3-ipc" + struct.pack("=II", len(payload), 0) + payload)
    header = b""
    while len(header) < 14:
        header += sock.recv(14 - len(header))
    length, _ = struct.unpack("=II", header[6:])
    body = b""
    while len(body) < length:
        body += sock.recv(length - len(body))


def screenshot(x, y):
    ppm = subprocess.run(["grim", "-t", "ppm", "-g", "%d,%d %dx%d" % (x, y, WIDTH, HEIGHT), "-"],
                         check=True, capture_output=True).stdout
    # P6, width, height, maximum, then the pixels.
    fields, pos = [], 0
    while len(fields) < 4:
        while ppm[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    return ppm[pos + 1:]


def pixel(data, x, y):
    p = (y * WIDTH + x) * 3
    return data[p], data[p + 1], data[p + 2]


def is_black(c):
    return max(c) <= 40


def is_green(c):
    return c[1] >= 100 and c[0] <= 60 and c[2] <= 60


def is_red(c):
    return c[0] >= 180 and c[1] <= 60 and c[2] <= 60


def targets(data):
    """Centres of runs of 15 to 70 black or green pixels on every 8th row."""
    found = []
    for y in range(4, FIELD_H, 8):
        run, kind = 0, None
        for x in range(FIELD_W):
            c = pixel(data, x, y)
            k = "green" if is_green(c) else "black" if is_black(c) else None
            if k is not None and k == kind:
                run += 1
                continue
            if kind is not None and 15 <= run <= 70:
                found.append((kind, x - run // 2, y))
            run, kind = (1, k) if k else (0, None)
    return sorted(found, key=lambda t: t[0] != "green")


def near_red(data, tx, ty, reach=45):
    for y in range(max(0, ty - reach), min(FIELD_H, ty + reach), 6):
        for x in range(max(0, tx - reach), min(FIELD_W, tx + reach), 6):
            if is_red(pixel(data, x, y)):
                return True
    return False


def offer_shown(data, rx, ry, rw, rh):
    white = 0
    for y in range(ry, ry + rh):
        for x in range(rx, rx + rw):
            if min(pixel(data, x, y)) >= 224:
                white += 1
    return white >= 30


def main():
    x0, y0, seconds, rx, ry, rw, rh = (int(a) for a in sys.argv[1:8])
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    sock.connect(os.environ["SWAYSOCK"])
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        data = screenshot(x0, y0)
        if offer_shown(data, rx, ry, rw, rh):
            print("offer")
            return
        for _, tx, ty in targets(data):
            if near_red(data, tx, ty):
                continue
            ipc(sock, "seat - cursor set %d %d" % (x0 + tx, y0 + ty))
            ipc(sock, "seat - cursor move 2 0")
            break
        else:
            # Nothing safe to chase: park the pointer in the shop, where nothing moves.
            ipc(sock, "seat - cursor set %d %d" % (x0 + 1000, y0 + 560))
    print("no offer")


if __name__ == "__main__":
    main()
