"""Keeps the pointer moving by a pixel to and fro at a point of a window, every
10 ms, until it is stopped (TERM): what passes under it meets a moving pointer,
as under a player's hand, and a button held down stays held. The point's row
is read again before every move from ROWFILE, so the test may send the pointer
to another row without a break. Prints a line for every move, so the test can
wait for a number of them. One process and one connection for all the moves: an
xdotool per move would be far slower, the slower the busier the machine.
    wiggle.py WINDOW X ROWFILE
"""
import ctypes
import ctypes.util
import signal
import sys
import time

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                             ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]


def main():
    window, x, row_file = int(sys.argv[1], 0), int(sys.argv[2]), sys.argv[3]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    moves, y = 0, None
    while True:
        try:
            with open(row_file) as f:
                y = int(f.read())
        except (OSError, ValueError):
            pass   # mid-write: the row read before stands
        if y is not None:
            x11.XWarpPointer(display, 0, window, 0, 0, 0, 0, x + moves % 2, y)
            # Synced, so that the server has made the move when the line says so.
            x11.XSync(display, 0)
            moves += 1
            print(moves, flush=True)
        time.sleep(0.01)


if __name__ == "__main__":
    main()
