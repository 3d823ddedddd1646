"""Tests of the sound generator and of the WAV files it wrote into assets/.

Run: python3 -m unittest discover -s tools/sounds
"""

from __future__ import annotations

import filecmp
import math
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import make_sounds  # noqa: E402
import synth  # noqa: E402
import tunes  # noqa: E402
from score import (bass_note, chord_at, chord_tone, frequency, midi_number,  # noqa: E402
                   parse_chord, parse_chords, parse_melody, parse_steps)
from synth import RATE, Instrument, Mix, Wave, Wrap  # noqa: E402

MUSIC = ("introsong", "gamemusic", "bonus")
EFFECTS = ("click", "bonusclick", "alarm")


def zero_crossing_rate(samples: list[float]) -> float:
    """Upward zero crossings per second: the pitch of a plain periodic tone."""
    ups = sum(1 for a, b in zip(samples, samples[1:]) if a < 0.0 <= b)
    return ups * RATE / len(samples)


class DeterministicMathTest(unittest.TestCase):
    def test_exp_and_sine_agree_with_the_c_library(self):
        for x in (-40.0, -3.7, -0.01, 0.0, 0.5, 2.0, 11.3):
            self.assertAlmostEqual(synth.det_exp(x) / math.exp(x), 1.0, places=12, msg=f"exp({x})")
        for phase in (-1.3, -0.25, 0.0, 0.1, 0.25, 0.5, 0.77, 3.9):
            self.assertAlmostEqual(synth.sine(phase), math.sin(2 * math.pi * phase), places=6,
                                   msg=f"sine({phase})")

    def test_noise_repeats_per_seed_and_stays_in_range(self):
        a, b, c = synth.Noise(5), synth.Noise(5), synth.Noise(6)
        first = [a.next() for _ in range(1000)]
        self.assertEqual(first, [b.next() for _ in range(1000)])
        self.assertNotEqual(first, [c.next() for _ in range(1000)])
        self.assertTrue(all(-1.0 <= v < 1.0 for v in first))
        self.assertLess(abs(sum(first) / len(first)), 0.1)


class NotationTest(unittest.TestCase):
    def test_note_names_and_pitches(self):
        for name, midi in (("C4", 60), ("A4", 69), ("F#5", 78), ("Bb3", 58), ("C-1", 0), ("b2", 47)):
            self.assertEqual(midi_number(name), midi, name)
        for bad in ("H4", "C", "C#", "4C", "Cx4"):
            with self.assertRaises(ValueError, msg=bad):
                midi_number(bad)
        self.assertAlmostEqual(frequency(69), 440.0, places=9)
        self.assertAlmostEqual(frequency(81), 880.0, places=9)
        self.assertAlmostEqual(frequency(60), 261.6255653, places=6)

    def test_melody_places_notes_and_rests_and_checks_bars(self):
        notes = parse_melody("C5:4 r:4 E5:8 | G5:16", 2)
        self.assertEqual([(n.start, n.length, n.midi) for n in notes],
                         [(0, 4, 72), (8, 8, 76), (16, 16, 79)])
        self.assertEqual(len(parse_melody("C5:16", 4)), 4)  # one bar repeats
        with self.assertRaisesRegex(ValueError, "bar 2 has 14 steps, expected 16"):
            parse_melody("C5:16 | C5:14", 2)
        with self.assertRaisesRegex(ValueError, "do not repeat evenly"):
            parse_melody("C5:16 | C5:16 | C5:16", 4)
        with self.assertRaises(ValueError):
            parse_melody("C5:0 C5:16", 1)

    def test_chords_share_their_bar(self):
        chords = parse_chords("C | Am G7", 2)
        self.assertEqual([(c.start, c.length, c.root, c.tones) for c in chords],
                         [(0, 16, 0, (0, 4, 7)), (16, 8, 9, (9, 0, 4)), (24, 8, 7, (7, 11, 2, 5))])
        self.assertEqual(parse_chord("F#m")[1], (6, 9, 1))
        self.assertEqual(parse_chord("Bbmaj7")[1], (10, 2, 5, 9))
        self.assertIs(chord_at(chords, 23), chords[1])
        with self.assertRaises(ValueError):
            parse_chord("Cdim")
        with self.assertRaisesRegex(ValueError, "3 chords"):
            parse_chords("C F G", 1)
        with self.assertRaises(ValueError):
            chord_at(chords, 32)

    def test_step_patterns_hold_and_rest(self):
        steps = parse_steps("x-.x ---- ---- ..x- | ---- ---- ---- ---.", 2)
        self.assertEqual([(s.start, s.length, s.symbol) for s in steps],
                         [(0, 2, "x"), (3, 9, "x"), (14, 17, "x")])
        with self.assertRaisesRegex(ValueError, "holds nothing"):
            parse_steps(".-..............", 1)
        with self.assertRaisesRegex(ValueError, "bar 1 has 15 steps"):
            parse_steps("x..............", 1)

    def test_chord_tones_and_bass_notes_sit_in_their_octave(self):
        c_major, a_minor = parse_chords("C | Am", 2)
        self.assertEqual([chord_tone(c_major, i, 55) for i in range(5)], [55, 60, 64, 67, 72])
        self.assertEqual([bass_note(a_minor, s, 40) for s in "RTFO"], [45, 48, 52, 57])
        self.assertEqual(bass_note(c_major, "R", 40), 48)
        with self.assertRaises(ValueError):
            bass_note(c_major, "X", 40)


class SynthTest(unittest.TestCase):
    def test_envelope_rises_settles_and_ends_silent(self):
        inst = Instrument(Wave.SINE, attack=0.01, decay=0.05, sustain=0.4, release=0.1)
        gate = int(0.5 * RATE)
        env = synth.envelope(inst, gate)
        self.assertEqual(len(env), gate + int(0.1 * RATE))
        self.assertLess(env[0], 0.01)
        self.assertAlmostEqual(max(env), 1.0, places=6)
        self.assertAlmostEqual(env[gate - 1], 0.4, places=3)
        self.assertEqual(env[-1], 0.0)

    def test_every_wave_sounds_its_pitch_without_offset(self):
        for wave in Wave:
            for duty in (0.125, 0.5):
                inst = Instrument(wave, duty=duty, sustain=1.0)
                note = synth.render_note(inst, 440.0, 0.5)
                rate = zero_crossing_rate(note)
                self.assertAlmostEqual(rate, 440.0, delta=8.0, msg=f"{wave} duty {duty}")
                mean = sum(note) / len(note)
                self.assertLess(abs(mean), 0.02, f"{wave} duty {duty}: mean {mean}")

    def test_bend_starts_high_and_settles_on_the_note(self):
        inst = Instrument(Wave.SINE, sustain=1.0, bend=12.0, bend_time=0.05)
        note = synth.render_note(inst, 440.0, 1.0)
        start = zero_crossing_rate(note[: RATE // 50])
        end = zero_crossing_rate(note[RATE // 2: RATE])
        self.assertGreater(start, 700.0)
        self.assertAlmostEqual(end, 440.0, delta=8.0)

    def test_a_loop_mix_wraps_and_a_one_shot_cuts(self):
        loop, shot = Mix(10, Wrap.AROUND), Mix(10, Wrap.CUT)
        for mix in (loop, shot):
            mix.add(8, [1.0, 2.0, 3.0, 4.0], 0.5)
            mix.add(23, [1.0])
        self.assertEqual(loop.samples, [1.5, 2.0, 0, 1.0, 0, 0, 0, 0, 0.5, 1.0])
        self.assertEqual(shot.samples, [0, 0, 0, 0, 0, 0, 0, 0, 0.5, 1.0])
        with self.assertRaises(ValueError):
            Mix(0, Wrap.AROUND)

    def test_loop_effects_carry_the_end_into_the_start(self):
        impulse = [0.0] * 1000
        impulse[990] = 1.0
        echoed = synth.echo_loop(impulse, 20, 0.5, 1.0)
        self.assertAlmostEqual(echoed[10], 0.5)
        self.assertAlmostEqual(echoed[30], 0.25)
        steady = synth.lowpass([0.5] * 5000, 800.0, Wrap.AROUND)
        self.assertAlmostEqual(min(steady), 0.5, places=9)
        rising = synth.lowpass([0.5] * 5000, 800.0, Wrap.CUT)
        self.assertLess(rising[0], 0.2)
        self.assertAlmostEqual(rising[-1], 0.5, places=9)

    def test_scaling_reaches_minus_3_db_and_survives_a_file(self):
        pcm = synth.to_pcm([0.0, 0.25, -2.0, 1.0])
        self.assertEqual(list(pcm), [0, 2900, -23197, 11599])
        self.assertEqual(list(synth.to_pcm([0.0, 0.0])), [0, 0])
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "x.wav")
            synth.write_wav(path, pcm)
            back, channels, width, rate = synth.read_wav(path)
        self.assertEqual((list(back), channels, width, rate), (list(pcm), 1, 2, 22050))

    def test_loop_jump_tells_a_clean_join_from_a_click(self):
        def tone(cycles: float) -> list[int]:
            n = round(cycles * RATE / 100.0)
            return [round(10000 * math.sin(2 * math.pi * 100.0 * i / RATE)) for i in range(n)]
        self.assertLess(make_sounds.loop_jump(tone(10)), 1.05)
        self.assertGreater(make_sounds.loop_jump(tone(10.25)), 5.0)


class TuneTest(unittest.TestCase):
    def test_tunes_fill_whole_bars_of_whole_steps(self):
        for tune in tunes.TUNES:
            step = tune.step_samples()
            self.assertEqual(step, int(step), f"{tune.name}: {step} samples a step")
            self.assertEqual(tune.length(), int(step) * 16 * tune.bars, tune.name)

    def test_every_bar_opens_on_a_tone_of_its_chord(self):
        for tune in tunes.TUNES:
            chords = parse_chords(tune.chords, tune.bars)
            for note in parse_melody(tune.melody, tune.bars):
                if note.start % 16 == 0:
                    chord = chord_at(chords, note.start)
                    self.assertIn(note.midi % 12, chord.tones,
                                  f"{tune.name} bar {note.start // 16 + 1}")

    def test_effects_are_short_and_start_and_end_silent(self):
        limits = {"click": 0.15, "bonusclick": 0.25, "alarm": 0.6}
        for name, make in tunes.EFFECTS.items():
            samples = make()
            self.assertLess(len(samples) / RATE, limits[name], name)
            self.assertEqual((samples[0], samples[-1]), (0.0, 0.0), name)


class WrittenFilesTest(unittest.TestCase):
    """The committed files: their format, lengths, levels and joins."""

    assets = make_sounds.ASSETS

    def read(self, name: str):
        return synth.read_wav(os.path.join(self.assets, name + ".wav"))

    def test_format_and_lengths(self):
        lengths = {"introsong": (20, 40), "gamemusic": (20, 40), "bonus": (8, 12),
                   "click": (0.02, 0.15), "bonusclick": (0.05, 0.25), "alarm": (0.2, 0.6)}
        total = 0
        for name, (low, high) in lengths.items():
            pcm, channels, width, rate = self.read(name)
            self.assertEqual((channels, width, rate), (1, 2, 22050), name)
            self.assertTrue(low <= len(pcm) / rate <= high, f"{name}: {len(pcm) / rate} s")
            total += os.path.getsize(os.path.join(self.assets, name + ".wav"))
        self.assertLess(total, 5_000_000)

    def test_peaks_near_minus_3_db_without_clipping(self):
        for name in MUSIC + EFFECTS:
            pcm = self.read(name)[0]
            top = max(abs(v) for v in pcm)
            db = 20 * math.log10(top / 32767)
            self.assertAlmostEqual(db, -3.0, delta=0.2, msg=name)

    def test_music_loops_join_smoothly_and_effects_are_silent_at_the_ends(self):
        for name in MUSIC:
            jump = make_sounds.loop_jump(self.read(name)[0])
            self.assertLess(jump, 1.0, f"{name}: expected a smooth join, got {jump:.2f}")
        for name in EFFECTS:
            pcm = self.read(name)[0]
            self.assertEqual((pcm[0], pcm[-1]), (0, 0), name)

    def test_generator_rewrites_the_same_bytes(self):
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "make_sounds.py")
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, script, "--out", tmp], check=True)
            for name in MUSIC + EFFECTS:
                fresh = os.path.join(tmp, name + ".wav")
                committed = os.path.join(self.assets, name + ".wav")
                self.assertTrue(filecmp.cmp(fresh, committed, shallow=False),
                                f"{name}.wav differs from a fresh run: regenerate it")


if __name__ == "__main__":
    unittest.main()
