"""The game's three tunes and three sound effects.

Each tune is a lead melody over a chord chart, with a keyboard part, a bass
line and drums written as step patterns. A tune is rendered as a loop: sound
that rings past the last bar is added onto the first, exactly as it would be
heard when the tune repeats, so the file's end flows into its start.
"""

from __future__ import annotations

from dataclasses import dataclass, field
from functools import lru_cache

import synth
from score import (STEPS_PER_BAR, Chord, bass_note, chord_at, chord_tone, frequency,
                   midi_number, parse_chords, parse_melody, parse_steps)
from synth import RATE, Instrument, Mix, Wave, Wrap


@dataclass(frozen=True)
class Echo:
    steps: int
    feedback: float
    wet: float


@dataclass(frozen=True)
class Tune:
    name: str
    bpm: int
    bars: int
    melody: str
    chords: str
    keys: str                      # digits: chord tones upwards from keys_low; "*": the chord
    bass: str                      # R, O, F, T (see score.bass_note)
    drums: dict[str, str] = field(hash=False)
    lead: Instrument = Instrument(Wave.PULSE)
    keys_sound: Instrument = Instrument(Wave.TRIANGLE)
    bass_sound: Instrument = Instrument(Wave.TRIANGLE)
    keys_low: int = 55
    bass_low: int = 40
    echo: Echo = Echo(3, 0.3, 0.25)
    lead_cutoff: float = 4500.0
    levels: tuple[float, float, float, float] = (0.5, 0.2, 0.45, 0.5)  # lead, keys, bass, drums

    def step_samples(self) -> float:
        return RATE * 60.0 / (self.bpm * 4)

    def length(self) -> int:
        return round(self.step_samples() * STEPS_PER_BAR * self.bars)


def _bars_of(*bars: str) -> str:
    return " | ".join(bars)


def _with_fill(groove: str, fill: str, every: int) -> str:
    """A one-bar groove repeated, with the last of every `every` bars replaced by a fill."""
    return _bars_of(*([groove] * (every - 1) + [fill]))


INTRO = Tune(
    name="introsong",
    bpm=126,
    bars=16,
    melody=_bars_of(
        "G4:2 C5:2 E5:2 G5:2 E5:4 C5:4",
        "A4:2 C5:2 E5:2 A5:2 G5:4 E5:4",
        "F5:2 E5:2 D5:2 C5:2 A4:4 C5:2 D5:2",
        "D5:4 E5:2 D5:2 B4:4 G4:4",
        "G4:2 C5:2 E5:2 G5:2 C6:4 B5:2 A5:2",
        "A5:2 G5:2 E5:2 C5:2 E5:4 A5:4",
        "F5:2 E5:2 D5:2 F5:2 B4:2 D5:2 G5:4",
        "E5:2 D5:2 C5:8 A4:2 B4:2",
        "C5:4 F5:4 A5:6 G5:2",
        "G5:4 F5:2 E5:2 D5:8",
        "E5:4 G5:4 A5:4 C6:4",
        "D6:4 C6:2 A5:2 B5:4 G5:4",
        "G4:2 C5:2 E5:2 G5:2 E5:4 C5:4",
        "A4:2 C5:2 E5:2 A5:2 G5:4 E5:4",
        "F5:2 A5:2 C6:2 A5:2 G5:2 F5:2 D5:2 B4:2",
        "C6:4 G5:2 E5:2 C5:4 r:4",
    ),
    chords="C | Am | F | G | C | Am | Dm G | C | F | G | Em Am | Dm G | C | Am | F G | C",
    keys="0-2-1-2-3-2-1-2-",
    bass="R-.RO-R-R-.RF-O-",
    drums={
        "kick": "x.....x.x.......",
        "snare": _with_fill("....x.......x...", "....x.......x.xx", 8),
        "hat": "X.x.X.x.X.x.X.x.",
    },
    lead=Instrument(Wave.PULSE, duty=0.25, attack=0.006, decay=0.3, sustain=0.55,
                    release=0.12, vibrato=0.25),
    keys_sound=Instrument(Wave.TRIANGLE, attack=0.004, decay=0.25, sustain=0.3, release=0.1),
    bass_sound=Instrument(Wave.PULSE, duty=0.5, attack=0.004, decay=0.15, sustain=0.5,
                          release=0.05),
    echo=Echo(3, 0.3, 0.3),
    levels=(0.5, 0.3, 0.3, 0.45),
)

GAME = Tune(
    name="gamemusic",
    bpm=147,
    bars=16,
    melody=_bars_of(
        "G5:2 G5:1 A5:1 B5:2 G5:2 D6:4 B5:4",
        "E5:2 G5:2 B5:2 E6:2 D6:3 B5:1 G5:4",
        "C6:3 B5:3 A5:2 G5:2 E5:2 C5:4",
        "D5:2 F#5:2 A5:2 D6:2 C6:2 A5:2 F#5:4",
        "G5:2 G5:1 A5:1 B5:2 G5:2 D6:4 G6:4",
        "E6:3 D6:3 B5:2 G5:2 E5:2 G5:4",
        "E5:2 G5:2 C6:4 F#5:2 A5:2 D6:4",
        "B5:3 A5:1 G5:8 r:2 D5:2",
        "E5:2 G5:2 C6:2 E6:4 D6:2 C6:2 G5:2",
        "F#5:2 A5:2 D6:2 F#6:4 E6:2 D6:2 A5:2",
        "B5:4 D6:2 F#6:2 E6:4 D6:4",
        "E6:6 D6:2 B5:4 G5:4",
        "C6:2 C6:2 B5:2 C6:2 E6:4 C6:4",
        "D6:2 D6:2 E6:2 F#6:2 A6:4 F#6:4",
        "A5:2 C6:2 E6:2 A6:2 F#6:2 E6:2 D6:2 C6:2",
        "B5:4 G5:2 D5:2 G5:6 r:2",
    ),
    chords="G | Em | C | D | G | Em | C D | G | C | D | Bm | Em | C | D | Am D7 | G",
    keys="..*-..*-..*-..*-",
    bass="R-O-R-O-R-O-R-O-",
    drums={
        "kick": "x...x...x...x...",
        "snare": _with_fill("....x.......x...", "....x.......xxXX", 8),
        "hat": "xxXxxxXxxxXxxxXx",
    },
    lead=Instrument(Wave.PULSE, duty=0.5, attack=0.004, decay=0.2, sustain=0.6,
                    release=0.08, vibrato=0.2, detune=8.0),
    keys_sound=Instrument(Wave.PULSE, duty=0.25, attack=0.003, decay=0.09, sustain=0.0,
                          release=0.05),
    bass_sound=Instrument(Wave.SAW, attack=0.003, decay=0.12, sustain=0.45, release=0.04),
    keys_low=53,
    echo=Echo(3, 0.25, 0.22),
    lead_cutoff=3500.0,
    levels=(0.42, 0.32, 0.32, 0.45),
)

BONUS = Tune(
    name="bonus",
    bpm=189,
    bars=8,
    melody=_bars_of(
        "A5:1 B5:1 A5:1 F#5:1 D5:2 F#5:2 A5:2 D6:2 A5:2 F#5:2",
        "B5:2 D6:2 F#6:2 D6:2 B5:2 F#5:2 D5:2 F#5:2",
        "G5:2 B5:2 D6:2 G6:2 F#6:2 E6:2 D6:2 B5:2",
        "C#6:2 E6:2 A6:4 G6:2 E6:2 C#6:4",
        "D6:1 E6:1 F#6:2 A6:2 F#6:2 D6:2 A5:2 F#5:2 A5:2",
        "B5:1 C#6:1 D6:2 F#6:2 D6:2 B5:2 F#5:2 D6:2 B5:2",
        "G5:2 B5:2 D6:2 G6:2 A5:2 C#6:2 E6:2 A6:2",
        "F#6:4 D6:2 A5:2 F#5:2 A5:2 D6:4",
    ),
    chords="D | Bm | G | A | D | Bm | G A | D",
    keys="0123012301230123",
    bass="R-O-R-O-R-O-R-O-",
    drums={
        "kick": "x...x...x...x...",
        "snare": _with_fill("....x.......x..x", "....x...x.x.xxxx", 4),
        "hat": "XxxxXxxxXxxxXxxx",
    },
    lead=Instrument(Wave.PULSE, duty=0.125, attack=0.003, decay=0.15, sustain=0.6,
                    release=0.06, vibrato=0.15),
    keys_sound=Instrument(Wave.TRIANGLE, attack=0.002, decay=0.06, sustain=0.0, release=0.03),
    bass_sound=Instrument(Wave.SAW, attack=0.003, decay=0.1, sustain=0.45, release=0.04),
    keys_low=62,
    echo=Echo(2, 0.2, 0.2),
    levels=(0.45, 0.25, 0.3, 0.5),
)

TUNES = (INTRO, GAME, BONUS)


@lru_cache(maxsize=None)
def _note(inst: Instrument, midi: int, gate: int) -> list[float]:
    return synth.render_note(inst, frequency(midi), gate / RATE)


@lru_cache(maxsize=None)
def _drum(kind: str, variant: int) -> list[float]:
    if kind == "kick":
        return synth.kick()
    if kind == "snare":
        return synth.snare(variant)
    if kind == "hat":
        return synth.hat(variant)
    raise ValueError(f"unknown drum {kind!r}")


def _play(mix: Mix, inst: Instrument, midi: int, start: float, steps: int, step: float,
          legato: float, gain: float = 1.0) -> None:
    gate = max(1, int(steps * step * legato))
    mix.add(round(start * step), _note(inst, midi, gate), gain)


def _lead(tune: Tune, step: float) -> Mix:
    mix = Mix(tune.length(), Wrap.AROUND)
    for note in parse_melody(tune.melody, tune.bars, f"{tune.name} melody"):
        # A short gap between notes keeps repeated notes articulated.
        gate = int(note.length * step - 0.02 * RATE)
        mix.add(round(note.start * step), _note(tune.lead, note.midi, gate))
    echoed = synth.echo_loop(mix.samples, round(tune.echo.steps * step),
                             tune.echo.feedback, tune.echo.wet)
    mix.samples = synth.lowpass(echoed, tune.lead_cutoff, Wrap.AROUND)
    return mix


def _keys(tune: Tune, chords: list[Chord], step: float) -> Mix:
    mix = Mix(tune.length(), Wrap.AROUND)
    for ev in parse_steps(tune.keys, tune.bars, f"{tune.name} keys"):
        chord = chord_at(chords, ev.start)
        if ev.symbol == "*":
            tones = [chord_tone(chord, i, tune.keys_low) for i in range(3)]
        else:
            tones = [chord_tone(chord, int(ev.symbol), tune.keys_low)]
        for midi in tones:
            _play(mix, tune.keys_sound, midi, ev.start, ev.length, step, 0.85, 1.0 / len(tones) ** 0.5)
    return mix


def _bass(tune: Tune, chords: list[Chord], step: float) -> Mix:
    mix = Mix(tune.length(), Wrap.AROUND)
    for ev in parse_steps(tune.bass, tune.bars, f"{tune.name} bass"):
        midi = bass_note(chord_at(chords, ev.start), ev.symbol, tune.bass_low)
        _play(mix, tune.bass_sound, midi, ev.start, ev.length, step, 0.8)
    mix.samples = synth.lowpass(mix.samples, 1200.0, Wrap.AROUND)
    return mix


DRUM_GAINS = {"kick": 1.0, "snare": 0.55, "hat": 0.3}


def _drums(tune: Tune, step: float) -> Mix:
    mix = Mix(tune.length(), Wrap.AROUND)
    for kind, pattern in tune.drums.items():
        for ev in parse_steps(pattern, tune.bars, f"{tune.name} {kind}"):
            accent = 1.0 if ev.symbol == "X" or kind != "hat" else 0.6
            mix.add(round(ev.start * step), _drum(kind, ev.start % 4), DRUM_GAINS[kind] * accent)
    return mix


def render_tune(tune: Tune) -> list[float]:
    step = tune.step_samples()
    chords = parse_chords(tune.chords, tune.bars, f"{tune.name} chords")
    parts = (_lead(tune, step), _keys(tune, chords, step), _bass(tune, chords, step),
             _drums(tune, step))
    out = Mix(tune.length(), Wrap.AROUND)
    for part, level in zip(parts, tune.levels):
        out.mix_in(part, level)
    return out.samples


def click() -> list[float]:
    """A bright blip: a short high pulse that drops a fourth, over a tick of noise."""
    inst = Instrument(Wave.PULSE, duty=0.25, attack=0.001, decay=0.03, sustain=0.2,
                      release=0.03, bend=5.0, bend_time=0.012)
    tone = synth.render_note(inst, frequency(midi_number("E6")), 0.05)
    tick = synth.hat(7, 0.008)
    out = Mix(len(tone), Wrap.CUT)
    out.add(0, tone, 1.0)
    out.add(0, tick, 0.6)
    return synth.fade(out.samples, 0.001, 0.01)


def bonus_click() -> list[float]:
    """A rising two-note chime, a fifth apart."""
    first = synth.render_bell(frequency(midi_number("E6")), 0.13)
    second = synth.render_bell(frequency(midi_number("B6")), 0.14)
    out = Mix(round(0.08 * RATE) + len(second), Wrap.CUT)
    out.add(0, first, 0.8)
    out.add(round(0.08 * RATE), second, 1.0)
    return synth.fade(out.samples, 0.001, 0.015)


def alarm() -> list[float]:
    """A buzzy falling two-tone: detuned saws, chopped by a fast tremolo."""
    inst = Instrument(Wave.SAW, attack=0.004, decay=1.0, sustain=1.0, release=0.015, detune=35.0)
    high = synth.render_note(inst, frequency(midi_number("A5")), 0.18)
    low = synth.render_note(inst, frequency(midi_number("D#5")), 0.19)
    gap = round(0.2 * RATE)
    out = Mix(gap + len(low), Wrap.CUT)
    out.add(0, high)
    out.add(gap, low)
    buzzed = [v * (0.7 + 0.3 * synth.sine(28.0 * i / RATE)) for i, v in enumerate(out.samples)]
    return synth.fade(synth.lowpass(buzzed, 3500.0, Wrap.CUT), 0.002, 0.02)


EFFECTS = {"click": click, "bonusclick": bonus_click, "alarm": alarm}
