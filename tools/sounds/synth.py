"""A small deterministic synthesizer for the game's sounds.

Everything here is plain arithmetic on Python floats: sine and exp come from
our own series and tables rather than the C library, and noise from a fixed
linear congruential generator, so the same script writes the same bytes on
every machine. Output is mono, 22 050 Hz, 16-bit PCM.
"""

from __future__ import annotations

import array
import enum
import math
import sys
import wave
from dataclasses import dataclass

RATE = 22050
TAU = 6.283185307179586
LN2 = 0.6931471805599453
# -3 dBFS as a linear factor of full scale.
MINUS_3_DB = 0.7079457843841379
FULL_SCALE = 32767


def det_exp(x: float) -> float:
    """e**x from a range-reduced series; ldexp scales exactly."""
    k = int(round(x / LN2))
    r = x - k * LN2
    term = 1.0
    total = 1.0
    for n in range(1, 18):
        term *= r / n
        total += term
    return math.ldexp(total, k)


def det_pow2(x: float) -> float:
    return det_exp(x * LN2)


def _series_sin(x: float) -> float:
    """sin(x) for |x| <= pi by its Taylor series."""
    x2 = x * x
    term = x
    total = x
    for n in range(1, 22):
        term *= -x2 / ((2 * n) * (2 * n + 1))
        total += term
    return total


SINE_SIZE = 4096
# One extra entry so interpolation never needs to wrap.
SINE = [_series_sin(TAU * i / SINE_SIZE - math.pi) * -1.0 for i in range(SINE_SIZE + 1)]


def sine(phase: float) -> float:
    """sin(2*pi*phase) for a phase in cycles, by table interpolation."""
    p = (phase - math.floor(phase)) * SINE_SIZE
    i = int(p)
    a = SINE[i]
    return a + (SINE[i + 1] - a) * (p - i)


class Noise:
    """White noise in [-1, 1) from a 32-bit linear congruential generator."""

    def __init__(self, seed: int) -> None:
        self.seed = seed & 0xFFFFFFFF

    def next(self) -> float:
        self.seed = (self.seed * 134775813 + 1) & 0xFFFFFFFF
        return self.seed / 2147483648.0 - 1.0


class Wave(enum.Enum):
    SINE = "sine"
    TRIANGLE = "triangle"
    PULSE = "pulse"
    SAW = "saw"


@dataclass(frozen=True)
class Instrument:
    wave: Wave
    attack: float = 0.005
    decay: float = 0.2
    sustain: float = 0.6
    release: float = 0.08
    duty: float = 0.5
    vibrato: float = 0.0          # depth in semitones
    vibrato_rate: float = 5.5     # Hz
    vibrato_delay: float = 0.18   # seconds before it fades in
    detune: float = 0.0           # second oscillator, in cents; 0 = none
    bend: float = 0.0             # semitones above the note at the onset
    bend_time: float = 0.02       # seconds for the bend to fall by 1/e


def envelope(inst: Instrument, gate: int) -> list[float]:
    """Attack, decay to sustain while the key is held, then a release that ends at zero."""
    attack = max(2, int(inst.attack * RATE))
    n_rel = max(2, int(inst.release * RATE))
    k_decay = det_exp(-1.0 / max(1.0, inst.decay * RATE))
    k_rel = det_exp(-4.0 / n_rel)
    s = inst.sustain
    out = []
    level = 0.0
    x = 1.0
    for i in range(gate):
        if i < attack:
            level = (i + 1) / attack
        else:
            x *= k_decay
            level = s + (1.0 - s) * x
        out.append(level)
    y = level
    for j in range(n_rel):
        y *= k_rel
        out.append(y * (1.0 - (j + 1) / n_rel))
    return out


def _blep(t: float, dt: float) -> float:
    """Band-limiting correction near a jump of a naive waveform."""
    if t < dt:
        t /= dt
        return t + t - t * t - 1.0
    if t > 1.0 - dt:
        t = (t - 1.0) / dt
        return t * t + t + t + 1.0
    return 0.0


def _oscillator(inst: Instrument, freq: float, env: list[float], ratio: float) -> list[float]:
    wave_kind = inst.wave
    duty = inst.duty
    # A pulse that is not square has a mean of 2*duty - 1; removing it keeps
    # notes from thumping as their envelopes open and close.
    offset = 2.0 * duty - 1.0
    base = freq * ratio / RATE
    vib_depth = inst.vibrato * LN2 / 12.0
    vib_step = inst.vibrato_rate / RATE
    vib_start = int(inst.vibrato_delay * RATE)
    vib_ramp = 1.0 / (0.15 * RATE)
    bend = det_pow2(inst.bend / 12.0) - 1.0
    k_bend = det_exp(-1.0 / (inst.bend_time * RATE))
    phase = 0.0
    vphase = 0.0
    out = [0.0] * len(env)
    table = SINE
    for i, level in enumerate(env):
        dt = base
        if bend:
            dt *= 1.0 + bend
            bend *= k_bend
        if vib_depth and i > vib_start:
            amount = min(1.0, (i - vib_start) * vib_ramp)
            dt *= 1.0 + vib_depth * amount * sine(vphase)
            vphase += vib_step
        if wave_kind is Wave.PULSE:
            v = (1.0 if phase < duty else -1.0) - offset
            v += _blep(phase, dt)
            t2 = phase - duty
            if t2 < 0.0:
                t2 += 1.0
            v -= _blep(t2, dt)
        elif wave_kind is Wave.SAW:
            v = 2.0 * phase - 1.0 - _blep(phase, dt)
        elif wave_kind is Wave.TRIANGLE:
            v = 4.0 * phase - 1.0 if phase < 0.5 else 3.0 - 4.0 * phase
        else:
            p = phase * SINE_SIZE
            k = int(p)
            v = table[k] + (table[k + 1] - table[k]) * (p - k)
        out[i] = v * level
        phase += dt
        if phase >= 1.0:
            phase -= 1.0
    return out


def render_note(inst: Instrument, freq: float, seconds: float) -> list[float]:
    """One note held for `seconds`, followed by its release."""
    env = envelope(inst, max(1, int(seconds * RATE)))
    out = _oscillator(inst, freq, env, 1.0)
    if inst.detune:
        other = _oscillator(inst, freq, env, det_pow2(inst.detune / 1200.0))
        out = [0.5 * (a + b) for a, b in zip(out, other)]
    return out


def render_bell(freq: float, seconds: float) -> list[float]:
    """A struck chime: a few partials, the upper ones dying first."""
    n = int(seconds * RATE)
    partials = ((1.0, 1.0, 0.9), (2.0, 0.45, 0.35), (3.01, 0.25, 0.18), (4.2, 0.12, 0.08))
    out = [0.0] * n
    attack = int(0.002 * RATE)
    for ratio, amp, life in partials:
        step = freq * ratio / RATE
        if step >= 0.5:
            continue
        k = det_exp(-1.0 / (life * seconds * RATE))
        level = amp
        phase = 0.0
        for i in range(n):
            out[i] += sine(phase) * level
            phase += step
            level *= k
    for i in range(min(attack, n)):
        out[i] *= i / attack
    return fade(out, 0.0, 0.01)


def kick() -> list[float]:
    """A pitch-dropping sine thump."""
    n = int(0.22 * RATE)
    out = [0.0] * n
    phase = 0.0
    k_pitch = det_exp(-1.0 / (0.03 * RATE))
    k_amp = det_exp(-1.0 / (0.07 * RATE))
    sweep = 1.0
    level = 1.0
    for i in range(n):
        freq = 48.0 + 120.0 * sweep
        out[i] = sine(phase) * level
        phase += freq / RATE
        sweep *= k_pitch
        level *= k_amp
    return fade(out, 0.0, 0.02)


def snare(seed: int = 0) -> list[float]:
    """Noise burst over a short low tone."""
    n = int(0.18 * RATE)
    noise = Noise(seed ^ 0x5EED)
    out = [0.0] * n
    k_noise = det_exp(-1.0 / (0.045 * RATE))
    k_tone = det_exp(-1.0 / (0.03 * RATE))
    level_noise = 0.8
    level_tone = 0.7
    phase = 0.0
    held = 0.0
    for i in range(n):
        # A gentle lowpass keeps the noise from hissing.
        held += 0.6 * (noise.next() - held)
        out[i] = held * level_noise + sine(phase) * level_tone
        phase += 185.0 / RATE
        level_noise *= k_noise
        level_tone *= k_tone
    return fade(out, 0.001, 0.02)


def hat(seed: int = 0, length: float = 0.04) -> list[float]:
    """High noise: the difference of successive noise values drops the lows."""
    n = int((length * 3.0) * RATE)
    noise = Noise(seed ^ 0x4A7)
    out = [0.0] * n
    k = det_exp(-1.0 / (length * RATE))
    level = 1.0
    last = 0.0
    for i in range(n):
        x = noise.next()
        out[i] = (x - last) * 0.5 * level
        last = x
        level *= k
    return fade(out, 0.0005, 0.01)


def fade(samples: list[float], fade_in: float, fade_out: float) -> list[float]:
    """Linear fades at both ends, so a sound starts and stops at zero."""
    out = list(samples)
    n = len(out)
    n_in = min(n, int(fade_in * RATE))
    n_out = min(n, int(fade_out * RATE))
    for i in range(n_in):
        out[i] *= i / n_in
    for i in range(n_out):
        out[n - 1 - i] *= i / n_out
    return out


class Wrap(enum.Enum):
    AROUND = "around"  # a loop: what runs past the end sounds again at the start
    CUT = "cut"        # a one-shot: what runs past the end is dropped


class Mix:
    """A sample buffer that sounds are added into."""

    def __init__(self, length: int, wrap: Wrap) -> None:
        if length <= 0:
            raise ValueError(f"a mix needs at least one sample, got {length}")
        self.samples = [0.0] * length
        self.wrap = wrap

    def add(self, start: int, sound: list[float], gain: float = 1.0) -> None:
        buf = self.samples
        n = len(buf)
        if self.wrap is Wrap.AROUND:
            start %= n
        pos = start
        for v in sound:
            if pos >= n:
                if self.wrap is Wrap.CUT:
                    return
                pos -= n
            buf[pos] += v * gain
            pos += 1

    def mix_in(self, other: "Mix", gain: float = 1.0) -> None:
        self.add(0, other.samples, gain)


def lowpass(samples: list[float], cutoff: float, wrap: Wrap) -> list[float]:
    """One-pole lowpass. Over a loop the filter is first warmed on the loop's end,
    so its state at the start is the one it has when the loop comes round."""
    a = 1.0 - det_exp(-TAU * cutoff / RATE)
    y = 0.0
    if wrap is Wrap.AROUND:
        for v in samples[-2048:]:
            y += a * (v - y)
    out = [0.0] * len(samples)
    for i, v in enumerate(samples):
        y += a * (v - y)
        out[i] = y
    return out


def echo_loop(samples: list[float], delay: int, feedback: float, wet: float) -> list[float]:
    """Feedback echo over a loop. The second lap hears the echoes of the first,
    so the loop's start carries the echoes of its end."""
    n = len(samples)
    y = list(samples)
    for _ in range(2):
        for i in range(n):
            y[i] = samples[i] + feedback * y[i - delay]
    return [x + wet * (e - x) for x, e in zip(samples, y)]


def peak(samples: list[float]) -> float:
    return max((abs(v) for v in samples), default=0.0)


def to_pcm(samples: list[float], level: float = MINUS_3_DB) -> array.array:
    """Scales the loudest sample to `level` of full scale and rounds to 16 bits."""
    top = peak(samples)
    scale = level * FULL_SCALE / top if top > 0.0 else 0.0
    pcm = array.array("h")
    for v in samples:
        q = int(round(v * scale))
        pcm.append(max(-32768, min(FULL_SCALE, q)))
    return pcm


def write_wav(path: str, pcm: array.array) -> None:
    data = array.array("h", pcm)
    if sys.byteorder == "big":
        data.byteswap()
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(data.tobytes())


def read_wav(path: str) -> tuple[array.array, int, int, int]:
    """Samples, channel count, sample width in bytes and rate of a PCM WAV file."""
    with wave.open(path, "rb") as src:
        frames = src.readframes(src.getnframes())
        channels, width, rate = src.getnchannels(), src.getsampwidth(), src.getframerate()
    pcm = array.array("h")
    pcm.frombytes(frames)
    if sys.byteorder == "big":
        pcm.byteswap()
    return pcm, channels, width, rate
