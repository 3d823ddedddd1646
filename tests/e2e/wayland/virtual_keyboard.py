#!/usr/bin/env python3
"""The seat's keyboard for a test: one wlr virtual keyboard, made over the
Wayland socket directly (as virtual_pointer.py makes the pointer), that stays
for the whole test and types what the test asks on standard input:

    text TEXT          types TEXT, a character a key
    keys KEY...        presses keys by keysym name (Return, End, F11); MOD+KEY
                       holds a modifier (shift, ctrl, alt, logo) around the key

Each line is answered on standard output with "done" once the compositor has
taken every key (a round trip after the last), or "error: ..." for a key it does
not know. The keymap holds every key the tests type and is given once, before
any window is there: a keyboard that came anew for each call, as wtype's does,
has sway set up every keyboard again and send the focused window another
keymap, and keys that follow at once may meet the wrong one and type nothing.
It presses F24 first, so that the seat has it as its keyboard; it prints "ready"
once the compositor has it, and goes when its connection does.
"""
import array
import os
import select
import socket
import struct
import sys
import time

# Object ids: the client numbers its objects in the order it makes them, from 2 on.
DISPLAY, REGISTRY, SEAT, MANAGER, KEYBOARD = 1, 2, 4, 5, 6
MANAGER_INTERFACE = b"zwp_virtual_keyboard_manager_v1"
NAMED = ["Return", "BackSpace", "Tab", "Escape", "Delete", "Home", "End", "Left", "Right", "Up", "Down",
         "Page_Up", "Page_Down", "Insert"] + ["F%d" % n for n in range(1, 13)] + ["F24"]
CHARACTERS = [chr(c) for c in range(0x20, 0x7F)]
# The keymap's keys, in order: the first has the evdev code 1 (keycode 9).
KEYS = NAMED + CHARACTERS
MODIFIERS = {"shift": 1, "ctrl": 4, "alt": 8, "logo": 64}
PRESSED, RELEASED = 1, 0


def message(obj, opcode, payload=b""):
    return struct.pack("=II", obj, (8 + len(payload)) << 16 | opcode) + payload


def string(s):
    data = s + b"\0"
    return struct.pack("=I", len(data)) + data + b"\0" * (-len(data) % 4)


def keymap_text():
    lines = ["xkb_keymap {", 'xkb_keycodes "(unnamed)" {', "minimum = 8;", "maximum = %d;" % (len(KEYS) + 9)]
    lines += ["<K%d> = %d;" % (i + 1, i + 9) for i in range(len(KEYS))]
    lines += ["};", 'xkb_types "(unnamed)" { include "complete" };',
              'xkb_compatibility "(unnamed)" { include "complete" };', 'xkb_symbols "(unnamed)" {']
    for i, key in enumerate(KEYS):
        sym = key if key in NAMED else "U%04X" % ord(key)
        lines.append("key <K%d> {[%s]};" % (i + 1, sym))
    lines += ["};", "};"]
    return ("\n".join(lines) + "\n").encode() + b"\0"


class Connection:
    def __init__(self):
        path = os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ.get("WAYLAND_DISPLAY", "wayland-0"))
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.buf = b""
        self.next_id = REGISTRY + 1

    def send(self, data, fds=()):
        ancillary = [(socket.SOL_SOCKET, socket.SCM_RIGHTS, array.array("i", fds))] if fds else []
        self.sock.sendmsg([data], ancillary)

    def events(self):
        """The events that have arrived, reading once; None once the connection is gone."""
        chunk = self.sock.recv(65536)
        if not chunk:
            return None
        self.buf += chunk
        out = []
        while len(self.buf) >= 8:
            obj, word = struct.unpack_from("=II", self.buf)
            size = word >> 16
            if len(self.buf) < size:
                break
            out.append((obj, word & 0xFFFF, self.buf[8:size]))
            self.buf = self.buf[size:]
        for obj, opcode, args in out:
            if obj == DISPLAY and opcode == 0:
                sys.exit("wayland error: %r" % args)
        return out

    def new_id(self):
        """The next object id: ids go in order, with no gap, or the compositor refuses them."""
        self.next_id += 1
        return self.next_id - 1

    def roundtrip(self, first=b"", fds=()):
        """Sends FIRST and a sync, and waits until the compositor has answered it;
        returns every event that came meanwhile."""
        callback = self.new_id()
        self.send(first + message(DISPLAY, 0, struct.pack("=I", callback)), fds)
        seen = []
        while True:
            got = self.events()
            if got is None:
                sys.exit("the compositor went away")
            seen += got
            if any(obj == callback and opcode == 0 for obj, opcode, _ in got):
                return seen


def key_message(code, state):
    return message(KEYBOARD, 1, struct.pack("=III", int(time.monotonic() * 1000) & 0xFFFFFFFF, code, state))


def modifiers_message(mask):
    return message(KEYBOARD, 2, struct.pack("=IIII", mask, 0, 0, 0))


def press(name):
    """The messages that press and release NAME (MOD+KEY holds MOD around it)."""
    mods, _, key = name.rpartition("+") if len(name) > 1 else ("", "", name)
    mask = 0
    for mod in filter(None, mods.split("+")):
        if mod not in MODIFIERS:
            raise KeyError("no modifier %r" % mod)
        mask |= MODIFIERS[mod]
    if key not in KEYS:
        raise KeyError("no key %r" % key)
    code = KEYS.index(key) + 1
    data = modifiers_message(mask) if mask else b""
    data += key_message(code, PRESSED) + key_message(code, RELEASED)
    return data + (modifiers_message(0) if mask else b"")


def connect():
    conn = Connection()
    globals_ = {}
    for obj, opcode, args in conn.roundtrip(message(DISPLAY, 1, struct.pack("=I", REGISTRY))):
        if obj == REGISTRY and opcode == 0:
            name, length = struct.unpack_from("=II", args)
            globals_[args[8:8 + length - 1]] = name
    if MANAGER_INTERFACE not in globals_:
        sys.exit("the compositor has no virtual keyboards")
    if b"wl_seat" not in globals_:
        sys.exit("the compositor has no seat")
    conn.next_id = KEYBOARD + 1   # the first sync took 3; the seat, the manager and the keyboard take 4 to 6
    keymap = keymap_text()
    fd = os.memfd_create("keymap")
    os.write(fd, keymap)
    setup = (message(REGISTRY, 0, struct.pack("=I", globals_[b"wl_seat"]) + string(b"wl_seat") + struct.pack("=II", 1, SEAT)) +
             message(REGISTRY, 0, struct.pack("=I", globals_[MANAGER_INTERFACE]) + string(MANAGER_INTERFACE) +
                     struct.pack("=II", 1, MANAGER)) +
             message(MANAGER, 0, struct.pack("=II", SEAT, KEYBOARD)) +
             message(KEYBOARD, 0, struct.pack("=II", 1, len(keymap))))   # format xkb_v1, fd, size
    conn.roundtrip(setup, [fd])
    os.close(fd)
    conn.roundtrip(press("F24"))
    return conn


def main():
    conn = connect()
    print("ready", flush=True)
    lines = b""
    while True:
        readable, _, _ = select.select([conn.sock, sys.stdin.buffer], [], [])
        if conn.sock in readable and conn.events() is None:
            return   # the keyboard goes with the connection
        if sys.stdin.buffer not in readable:
            continue
        chunk = os.read(sys.stdin.fileno(), 65536)
        if not chunk:
            return
        lines += chunk
        while b"\n" in lines:
            line, lines = lines.split(b"\n", 1)
            command, _, rest = line.decode().partition(" ")
            try:
                if command == "text":
                    names = list(rest)
                elif command == "keys":
                    names = rest.split()
                else:
                    raise KeyError("no command %r" % command)
                conn.roundtrip(b"".join(press(name) for name in names))
                print("done", flush=True)
            except KeyError as e:
                print("error: %s" % e.args[0], flush=True)


if __name__ == "__main__":
    main()
