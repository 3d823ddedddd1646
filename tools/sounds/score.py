"""Written music: note names, melodies, chord charts and step patterns.

Time is counted in sixteenth notes ("steps"), sixteen to a 4/4 bar. Bars are
separated by "|" and every bar must be exactly full, so a mistake in a score
stops the build instead of shifting everything after it.
"""

from __future__ import annotations

import re
from dataclasses import dataclass

from synth import det_pow2

STEPS_PER_BAR = 16

_NOTE = re.compile(r"^([A-Ga-g])([#b]?)(-?\d)$")
_PITCH_CLASS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
_CHORD = re.compile(r"^([A-G][#b]?)(maj7|m7|m|7|sus4)?$")
_QUALITY = {
    None: (0, 4, 7),
    "m": (0, 3, 7),
    "7": (0, 4, 7, 10),
    "m7": (0, 3, 7, 10),
    "maj7": (0, 4, 7, 11),
    "sus4": (0, 5, 7),
}


@dataclass(frozen=True)
class Note:
    start: int   # steps from the start of the piece
    length: int  # steps
    midi: int


@dataclass(frozen=True)
class Chord:
    start: int
    length: int
    root: int                 # pitch class, 0 = C
    tones: tuple[int, ...]    # pitch classes, root first


@dataclass(frozen=True)
class Step:
    start: int
    length: int
    symbol: str


def _accidental(sign: str) -> int:
    return {"#": 1, "b": -1}.get(sign, 0)


def midi_number(name: str) -> int:
    """MIDI number of a note name such as "C4" (60), "F#5" or "Bb3"."""
    m = _NOTE.match(name)
    if not m:
        raise ValueError(f"not a note name: {name!r}")
    letter, sign, octave = m.groups()
    return 12 * (int(octave) + 1) + _PITCH_CLASS[letter.upper()] + _accidental(sign)


def frequency(midi: int) -> float:
    """Equal temperament with A4 (69) at 440 Hz."""
    return 440.0 * det_pow2((midi - 69) / 12.0)


def _bars(text: str, bars: int, what: str) -> list[str]:
    parts = [p.strip() for p in text.split("|")]
    if bars % len(parts) != 0:
        raise ValueError(f"{what}: {len(parts)} bars do not repeat evenly into {bars}")
    return parts * (bars // len(parts))


def _check_bar(used: int, index: int, what: str) -> None:
    if used != STEPS_PER_BAR:
        raise ValueError(f"{what}: bar {index + 1} has {used} steps, expected {STEPS_PER_BAR}")


def parse_melody(text: str, bars: int, what: str = "melody") -> list[Note]:
    """Tokens "name:steps" ("E5:2"), with "r" for a rest."""
    notes = []
    for index, bar in enumerate(_bars(text, bars, what)):
        used = 0
        for token in bar.split():
            name, _, steps = token.partition(":")
            if not steps.isdigit() or int(steps) == 0:
                raise ValueError(f"{what}: bar {index + 1}: bad length in {token!r}")
            start = index * STEPS_PER_BAR + used
            if name != "r":
                notes.append(Note(start, int(steps), midi_number(name)))
            used += int(steps)
        _check_bar(used, index, what)
    return notes


def parse_chord(symbol: str) -> tuple[int, tuple[int, ...]]:
    m = _CHORD.match(symbol)
    if not m:
        raise ValueError(f"not a chord symbol: {symbol!r}")
    name, quality = m.groups()
    root = (_PITCH_CLASS[name[0]] + _accidental(name[1:])) % 12
    return root, tuple((root + i) % 12 for i in _QUALITY[quality])


def parse_chords(text: str, bars: int, what: str = "chords") -> list[Chord]:
    """One to four chord symbols a bar, sharing the bar evenly."""
    chords = []
    for index, bar in enumerate(_bars(text, bars, what)):
        symbols = bar.split()
        if len(symbols) not in (1, 2, 4):
            raise ValueError(f"{what}: bar {index + 1} has {len(symbols)} chords, expected 1, 2 or 4")
        length = STEPS_PER_BAR // len(symbols)
        for k, symbol in enumerate(symbols):
            root, tones = parse_chord(symbol)
            chords.append(Chord(index * STEPS_PER_BAR + k * length, length, root, tones))
    return chords


def parse_steps(text: str, bars: int, what: str = "pattern") -> list[Step]:
    """One character a step: a symbol starts an event, "-" holds it, "." rests."""
    events: list[Step] = []
    holding = False
    for index, bar in enumerate(_bars(text, bars, what)):
        cells = bar.replace(" ", "")
        _check_bar(len(cells), index, what)
        for k, c in enumerate(cells):
            start = index * STEPS_PER_BAR + k
            if c == "-":
                if not holding:
                    raise ValueError(f"{what}: bar {index + 1}: '-' holds nothing")
                last = events[-1]
                events[-1] = Step(last.start, last.length + 1, last.symbol)
            elif c == ".":
                holding = False
            else:
                events.append(Step(start, 1, c))
                holding = True
    return events


def chord_at(chords: list[Chord], step: int) -> Chord:
    for chord in chords:
        if chord.start <= step < chord.start + chord.length:
            return chord
    raise ValueError(f"no chord at step {step}")


def chord_tone(chord: Chord, index: int, low: int) -> int:
    """The index-th chord tone counting up from the first one at or above `low`."""
    pitches = sorted(low + (pc - low) % 12 for pc in chord.tones)
    octave, k = divmod(index, len(pitches))
    return pitches[k] + 12 * octave


def bass_note(chord: Chord, symbol: str, low: int) -> int:
    """"R" root, "O" root an octave up, "F" fifth, "T" third, in the octave from `low`."""
    root = low + (chord.root - low) % 12
    intervals = {"R": 0, "O": 12, "F": 7, "T": (chord.tones[1] - chord.root) % 12}
    if symbol not in intervals:
        raise ValueError(f"unknown bass symbol {symbol!r}")
    return root + intervals[symbol]
