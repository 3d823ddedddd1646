"""Plays a whole game at scale 1 as a careful player would, with real pointer
input, from the first touch to the end screen: touches black squares and the
circle for coins while keeping off the red squares (a red touch at 0 lives ends
the game), buys "Time 30 $" once it shows, then "Bonus 50$", clicks the bonus
round's pictures, and at last touches a red square. Prints one line for each
thing it saw happen, for the test to check, and ends once the end screen shows.
    player.py WINDOW SECONDS        (PLAYER_DEBUG=1: a line for every frame looked at)

A square is touched when the pointer moves while it lies under the pointer, and
the squares glide faster than screenshots, a search and a move take on a busy
machine. So the player lies in wait: it puts the pointer on a square's lane
ahead of it and keeps it moving by a pixel there until the square has passed,
as a player's hand would. A square's lane never changes until it leaves the
field, so how late the player sees it only shortens the wait. A pointer at rest
touches nothing: while a red square is about to cross the point, it rests.
"""
import ctypes
import ctypes.util
import os
import re
import sys
import threading
import time

FIELD_W, FIELD_H = 885, 506        # the playfield left of the shop, above the bottom bar
TOP_BAR = (296, 601, 73)           # x from, x to, y below which the top bar covers the field
OFFERS = {"time": (944, 152, 113, 29), "bonus": (944, 320, 115, 29)}
COVER_POINTS = ((65, 500), (130, 500), (195, 500))   # tile outlines no bonus picture reaches
END_POINTS = ((850, 480), (65, 450), (780, 65), (455, 260))
WON_TEXT = (320, 224, 255, 29)     # where "BONUS gehaald +1000!" shows

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
xcb = ctypes.CDLL(ctypes.util.find_library("xcb") or "libxcb.so.1")
libc = ctypes.CDLL(None)
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XWarpPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                             ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_int]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]


class ImageCookie(ctypes.Structure):
    _fields_ = [("sequence", ctypes.c_uint)]


xcb.xcb_connect.restype = ctypes.c_void_p
xcb.xcb_connect.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
xcb.xcb_get_image.restype = ImageCookie
xcb.xcb_get_image.argtypes = [ctypes.c_void_p, ctypes.c_uint8, ctypes.c_uint32, ctypes.c_int16, ctypes.c_int16,
                              ctypes.c_uint16, ctypes.c_uint16, ctypes.c_uint32]
xcb.xcb_get_image_reply.restype = ctypes.c_void_p
xcb.xcb_get_image_reply.argtypes = [ctypes.c_void_p, ImageCookie, ctypes.c_void_p]
xcb.xcb_get_image_data.restype = ctypes.c_void_p
xcb.xcb_get_image_data.argtypes = [ctypes.c_void_p]
xcb.xcb_get_image_data_length.restype = ctypes.c_int
xcb.xcb_get_image_data_length.argtypes = [ctypes.c_void_p]
libc.free.argtypes = [ctypes.c_void_p]


def say(*words):
    print(f"{time.monotonic() - STARTED:7.2f}", *words, flush=True)


STARTED = time.monotonic()
DEBUG = bool(os.environ.get("PLAYER_DEBUG"))


class Screen:
    """The window's pixels, four bytes a pixel (blue, green, red, pad)."""

    def __init__(self, window):
        self.conn = xcb.xcb_connect(None, None)
        self.window = window

    def grab(self, w=1109, h=607):
        reply = xcb.xcb_get_image_reply(self.conn, xcb.xcb_get_image(self.conn, 2, self.window, 0, 0, w, h, 0xFFFFFFFF),
                                        None)
        if not reply:
            return None
        try:
            return Frame(ctypes.string_at(xcb.xcb_get_image_data(reply), xcb.xcb_get_image_data_length(reply)), w, h)
        finally:
            libc.free(reply)


def _table(test):
    return bytes(1 if test(v) else 0 for v in range(256))


ZERO, FULL = _table(lambda v: v == 0), _table(lambda v: v == 255)
COLOURS = {"black": (ZERO, ZERO, ZERO), "red": (ZERO, ZERO, FULL), "lime": (ZERO, FULL, ZERO)}
RUN = re.compile(rb"\x01{6,}")


class Frame:
    def __init__(self, data, w, h):
        self.data, self.w, self.h, self.at = data, w, h, time.monotonic()

    def pixel(self, x, y):
        p = (y * self.w + x) * 4
        b, g, r = self.data[p:p + 3]
        return r, g, b

    def row(self, y, x0, x1):
        return self.data[(y * self.w + x0) * 4:(y * self.w + x1) * 4]

    def runs(self, y, colour):
        """(x0, x1) of the runs of six pixels or more of exactly that colour."""
        row, n = self.row(y, 0, FIELD_W), FIELD_W
        mask = -1
        for channel, table in enumerate(COLOURS[colour]):
            mask &= int.from_bytes(row[channel::4].translate(table), "big")
        bits = mask.to_bytes(n, "big")
        return [(m.start(), m.end() - 1) for m in RUN.finditer(bits)]

    def count(self, rect, test):
        x, y, w, h = rect
        return sum(1 for yy in range(y, y + h) for xx in range(x, x + w) if test(*self.pixel(xx, yy)))


class Blob:
    def __init__(self, colour, left, top, right, bottom, at):
        self.colour, self.left, self.top, self.right, self.bottom, self.at = colour, left, top, right, bottom, at
        self.axis, self.dir, self.speed = None, 0, 0.0

    @property
    def cx(self):
        return (self.left + self.right) // 2

    @property
    def cy(self):
        return (self.top + self.bottom) // 2

    def __repr__(self):
        return f"{self.colour}[{self.left},{self.top}-{self.right},{self.bottom} {self.axis}{self.dir:+d} {self.speed:.0f}]"


STEP = 3


def blobs(frame):
    """The movers in sight: runs on every third row, joined into boxes."""
    found = []
    for colour in COLOURS:
        open_ = []
        for y in range(1, FIELD_H, STEP):
            if y % 65 in (0, 64):        # the tiles' own black outlines run along these rows
                continue
            for x0, x1 in frame.runs(y, colour):
                if y < TOP_BAR[2] and x1 >= TOP_BAR[0] and x0 <= TOP_BAR[1]:
                    continue
                for b in open_:
                    if b.bottom >= y - 2 * STEP and x0 <= b.right and x1 >= b.left:
                        b.left, b.right, b.bottom = min(b.left, x0), max(b.right, x1), y
                        break
                else:
                    open_.append(Blob(colour, x0, y, x1, y, frame.at))
        for b in open_:
            # The scanned rows miss up to two rows at each end: find them, on a
            # column no tile outline runs down (there black goes on past the square).
            x = b.cx + 3 if b.cx % 65 in (0, 1, 63, 64) else b.cx
            want = frame.pixel(x, b.top)
            for _ in range(STEP):
                if b.top > 0 and frame.pixel(x, b.top - 1) == want and (b.top - 1) % 65 not in (0, 64):
                    b.top -= 1
            for _ in range(STEP):
                if b.bottom < FIELD_H - 1 and frame.pixel(x, b.bottom + 1) == want and (b.bottom + 1) % 65 not in (0, 64):
                    b.bottom += 1
            if b.bottom - b.top >= 8:
                found.append(b)
    return found


def track(now, before):
    """Gives each mover its axis, direction and speed from the frame before:
    a mover keeps its lane, so the same top and bottom (or left and right)."""
    for b in now:
        best = None
        for p in before:
            if p.colour != b.colour:
                continue
            dt = max(b.at - p.at, 0.005)
            if abs(p.top - b.top) <= 2 and abs(p.bottom - b.bottom) <= 2 and p.cx != b.cx:
                cand = ("x", b.cx - p.cx, dt, p)
            elif abs(p.left - b.left) <= 2 and abs(p.right - b.right) <= 2 and p.cy != b.cy:
                cand = ("y", b.cy - p.cy, dt, p)
            else:
                continue
            if abs(cand[1]) > 900 * dt + 20:
                continue
            if best is None or abs(cand[1]) < abs(best[1]):
                best = cand
        if best:
            axis, moved, dt, p = best
            b.axis, b.dir = axis, 1 if moved > 0 else -1
            speed = abs(moved) / dt
            b.speed = speed if p.axis != axis else 0.5 * speed + 0.5 * p.speed


def forbidden(x, y):
    if not (12 <= x <= FIELD_W - 12 and 12 <= y <= FIELD_H - 10):
        return True
    return y < TOP_BAR[2] + 8 and TOP_BAR[0] - 8 <= x <= TOP_BAR[1] + 8


def ambush(b, lead):
    """The point on b's lane lead pixels ahead of it."""
    if b.axis == "x":
        y = b.cy
        x = b.left - lead if b.dir < 0 else b.right + lead
        return x, y
    x = b.cx
    y = b.top - lead if b.dir < 0 else b.bottom + lead
    return x, y


def arrival(b, x, y):
    """Seconds until b's leading edge reaches the point, or None if it never does."""
    if b.axis is None or b.speed < 30:
        return None
    if b.axis == "x":
        if not (b.top - 2 <= y <= b.bottom + 2):
            return None
        gap = (b.left - x) if b.dir < 0 else (x - b.right)
    else:
        if not (b.left - 2 <= x <= b.right + 2):
            return None
        gap = (b.top - y) if b.dir < 0 else (y - b.bottom)
    size = (b.right - b.left) if b.axis == "x" else (b.bottom - b.top)
    if gap < -size:
        return None               # gone past
    return max(gap, 0) / b.speed


def threatened(x, y, reds, horizon):
    """A red square on or about to cross the point within horizon seconds."""
    for r in reds:
        if r.left - 14 <= x <= r.right + 14 and r.top - 14 <= y <= r.bottom + 14:
            return True
        if r.axis is None:
            # Not yet known which way it goes: keep well clear of it either way.
            if (r.top - 16 <= y <= r.bottom + 16 and abs(x - r.cx) < 160) or \
               (r.left - 16 <= x <= r.right + 16 and abs(y - r.cy) < 160):
                return True
            continue
        grown = Blob("red", r.left - 14, r.top - 14, r.right + 14, r.bottom + 14, r.at)
        grown.axis, grown.dir, grown.speed = r.axis, r.dir, r.speed
        t = arrival(grown, x, y)
        if t is not None and t < horizon:
            return True
    return False


class Pointer(threading.Thread):
    """Owns the pointer: at rest, or moving by a pixel to and fro at a point
    every few milliseconds; clicks on request."""

    def __init__(self, window):
        super().__init__(daemon=True)
        self.display = x11.XOpenDisplay(None)
        self.window, self.lock = window, threading.Lock()
        self.point, self.wiggling, self.moves = None, False, 0

    def run(self):
        while True:
            with self.lock:
                if self.wiggling and self.point:
                    x, y = self.point
                    self._warp(x + self.moves % 2, y)
                    self.moves += 1
            time.sleep(0.006)

    def _warp(self, x, y):
        x11.XWarpPointer(self.display, 0, self.window, 0, 0, 0, 0, x, y)
        x11.XSync(self.display, 0)

    def wiggle(self, x, y):
        with self.lock:
            if self.point != (x, y) or not self.wiggling:
                self._warp(x, y)
            self.point, self.wiggling = (x, y), True

    def rest(self):
        with self.lock:
            self.wiggling = False

    def click(self, x, y):
        with self.lock:
            self.wiggling = False
            self.point = (x, y)
            self._warp(x, y)
            xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
            xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
            x11.XSync(self.display, 0)


def offer_shown(frame, name):
    return frame.count(OFFERS[name], lambda r, g, b: min(r, g, b) >= 230) > 40


def covered(frame):
    return all(frame.pixel(x, y) == (192, 192, 192) for x, y in COVER_POINTS)


def end_screen(frame):
    return all(frame.pixel(x, y) == (255, 255, 255) for x, y in END_POINTS)


class Player:
    def __init__(self, window, seconds):
        self.screen, self.pointer = Screen(window), Pointer(window)
        self.pointer.start()
        self.deadline = time.monotonic() + seconds
        self.frame, self.movers, self.target, self.target_point = None, [], None, None
        self.latency = 0.1
        self.touches = {"black": 0, "lime": 0}

    def look(self):
        while True:
            if time.monotonic() > self.deadline:
                say("deadline passed")
                sys.exit(1)
            started = time.monotonic()
            frame = self.screen.grab()
            if frame:
                break
            time.sleep(0.1)
        movers = blobs(frame)
        boxes = lambda ms: [(m.colour, m.left, m.top, m.right, m.bottom) for m in ms]
        # The screen was grabbed again before the game drew its next tick: the
        # movers seen before, and when, stand.
        if boxes(movers) != boxes(self.movers):
            track(movers, self.movers)
            self.movers = movers
        self.frame = frame
        if DEBUG:
            say("frame", movers, "target", self.target, self.target_point)
        self.latency = 0.8 * self.latency + 0.2 * (time.monotonic() - started)
        return frame

    def ended(self):
        return end_screen(self.frame)

    # -- hunting ------------------------------------------------------------

    def pick(self, colours, reds):
        """The mover of those colours the pointer can wait for soonest, and where."""
        best = None
        for b in self.movers:
            if b.colour not in colours or b.axis is None or b.speed < 30:
                continue
            for lead_time in (0.45, 0.3, 0.2):
                lead = max(40.0, b.speed * (self.latency + lead_time))
                x, y = (int(v) for v in ambush(b, lead))
                if forbidden(x, y):
                    continue
                t = lead / b.speed
                size = (b.right - b.left) if b.axis == "x" else (b.bottom - b.top)
                if reds is not None and threatened(x, y, reds, t + size / b.speed + 0.5 + self.latency):
                    continue
                rank = t - (2.0 if b.colour == "lime" else 0.0)    # the circle pays five coins
                if best is None or rank < best[0]:
                    best = (rank, b, (x, y))
                break
        return best

    def same(self, b):
        """The mover in this frame that is the target: on its lane, near where it should be."""
        for m in self.movers:
            if m.colour != b.colour:
                continue
            if b.axis == "x" and abs(m.top - b.top) <= 3 and abs(m.bottom - b.bottom) <= 3:
                return m
            if b.axis == "y" and abs(m.left - b.left) <= 3 and abs(m.right - b.right) <= 3:
                return m
        return None

    def hunt_step(self, colours, avoid_red=True):
        reds = [m for m in self.movers if m.colour == "red"] if avoid_red else None
        if self.target:
            now = self.same(self.target)
            x, y = self.target_point
            if now is None:
                self.settle_target()
            elif now.axis == self.target.axis and arrival(now, x, y) is None:
                self.target = None         # it passed the point untouched
            else:
                self.target = now
                if reds and threatened(x, y, reds, 0.25 + 2 * self.latency):
                    self.pointer.rest()
                    self.target = None
                else:
                    self.pointer.wiggle(x, y)
        if not self.target:
            self.pointer.rest()
            choice = self.pick(colours, reds)
            if choice:
                _, self.target, self.target_point = choice
                self.pointer.wiggle(*self.target_point)

    def settle_target(self):
        """The target left sight: touched, unless it may have left the field.
        Only a mover that would still be well inside at half again its speed
        counts, so that a slow guess of its speed never makes a touch up."""
        b, (x, y) = self.target, self.target_point
        self.target = None
        ahead = 1.5 * b.speed * (self.frame.at - b.at)
        if b.axis == "x":
            trailing = (b.right - ahead) if b.dir < 0 else (b.left + ahead)
            inside = 10 < trailing < FIELD_W - 10
        else:
            trailing = (b.bottom - ahead) if b.dir < 0 else (b.top + ahead)
            top = TOP_BAR[2] if TOP_BAR[0] <= b.cx <= TOP_BAR[1] else 0
            inside = top + 10 < trailing < FIELD_H - 10
        if inside:
            self.touches[b.colour] = self.touches.get(b.colour, 0) + 1
            say(f"touched {'circle' if b.colour == 'lime' else b.colour} at {x},{y}")

    def hunt_until(self, test, colours=("black", "lime")):
        while True:
            frame = self.look()
            if self.ended() or test(frame):
                self.pointer.rest()
                self.target = None
                return
            self.hunt_step(colours)

    # -- the shop -----------------------------------------------------------

    def buy(self, name):
        x, y, w, h = OFFERS[name]
        self.pointer.click(x + w // 2, y + h // 2)
        say(f"clicked the {name} offer")

    # -- the bonus round ----------------------------------------------------

    PICTURES = (
        lambda r, g, b: g > 150 and r < 110 and b < 110,                     # 1 green
        lambda r, g, b: r > 150 and b > 150 and g < 130,                     # 2 magenta
        lambda r, g, b: b > 130 and r < 70 and g < 140,                      # 3 blue
        lambda r, g, b: r > 180 and g > 180 and b < 110,                     # 4 yellow
        lambda r, g, b: r > 170 and g < 130 and b < 140,                     # 5 red
    )

    def picture_spots(self, frame):
        """A point of each picture whose surroundings all show it: where no later
        picture and no numeral covers it; None where there is none."""
        spots = [None] * 5
        for y in range(10, 500, 4):
            for x in range(10, 880, 4):
                if (326 <= x <= 571 and 20 <= y <= 61) or (348 <= x <= 513 and 436 <= y <= 505):
                    continue           # the lives text and the countdown lie above the pictures
                rgb = frame.pixel(x, y)
                for i, test in enumerate(self.PICTURES):
                    if spots[i] is None and test(*rgb) and all(
                            test(*frame.pixel(x + dx, y + dy)) for dx in (-6, 0, 6) for dy in (-6, 0, 6)):
                        spots[i] = (x, y)
        return spots

    def bonus_round(self):
        end = time.monotonic() + 60
        while not covered(self.look()):
            if self.ended() or time.monotonic() > end:
                say("no bonus round after the click")
                return
        say("bonus round: the cover is up")
        spots = self.picture_spots(self.frame)
        say("bonus pictures at", spots)
        for i, spot in enumerate(spots):
            if spot is None:
                break
            self.pointer.click(*spot)
            say(f"clicked bonus picture {i + 1}")
        first = spots[0]
        while True:
            frame = self.look()
            if first and covered(frame) and not self.PICTURES[0](*frame.pixel(*first)):
                say("bonus picture 1 gone, the round going on")
                first = None
            if not covered(frame):
                break
        say("bonus round over: the cover is gone")
        # Won, "BONUS gehaald +1000!" shows over the field for a while: dark
        # text where no black square is, off the tiles' outline columns.
        won = time.monotonic() + 2
        while time.monotonic() < won:
            frame = self.look()
            x0, y0, w, h = WON_TEXT
            if any(m.colour == "black" and m.right >= x0 and m.left < x0 + w and m.bottom >= y0 and m.top < y0 + h
                   for m in self.movers):
                continue
            dark = frame.count(WON_TEXT, lambda r, g, b: max(r, g, b) <= 60)
            outlines = sum(1 for x in range(x0, x0 + w) if x % 65 in (0, 64)) * h
            if dark - outlines > 150:
                say("bonus won: BONUS gehaald +1000! shows")
                break

    def red_end(self):
        """At last a red square, which at 0 lives ends the game."""
        while True:
            self.look()
            if self.ended():
                return
            self.hunt_step(("red",), avoid_red=False)


def main():
    window, seconds = int(sys.argv[1], 0), float(sys.argv[2])
    player = Player(window, seconds)
    player.hunt_until(lambda f: offer_shown(f, "time"))
    if not player.ended():
        say("the time offer shows")
        player.buy("time")
        gone = time.monotonic() + 20
        while offer_shown(player.look(), "time") and time.monotonic() < gone:
            pass
        if not offer_shown(player.frame, "time"):
            say("the time offer is gone after the purchase")
    player.hunt_until(lambda f: offer_shown(f, "bonus"))
    if not player.ended():
        say("the bonus offer shows")
        player.buy("bonus")
        player.bonus_round()
    player.red_end()
    say(f"touches: black {player.touches['black']}, circle {player.touches['lime']}")
    say("end screen")


if __name__ == "__main__":
    main()
