#!/usr/bin/env python3
"""Writes the game's six WAV files.

    python3 tools/sounds/make_sounds.py            # into assets/
    python3 tools/sounds/make_sounds.py --out DIR  # elsewhere
    python3 tools/sounds/make_sounds.py --report   # also print levels and loop joins

The output depends only on this folder's scripts: the same bytes every run.
"""

from __future__ import annotations

import argparse
import math
import os
import sys

import synth
import tunes

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.normpath(os.path.join(HERE, "..", "..", "assets"))


def sounds() -> dict[str, list[float]]:
    """Every file's name (without .wav) and its samples before scaling."""
    out = {tune.name: tunes.render_tune(tune) for tune in tunes.TUNES}
    out.update({name: make() for name, make in tunes.EFFECTS.items()})
    return out


def loop_jump(pcm, span: int = 64) -> float:
    """The step from the last sample to the first, as a share of the largest
    step among the `span` samples on either side of the join. Near 1 or
    below, the join is as smooth as the sound around it; a click stands far
    above."""
    around = list(pcm[-span:]) + list(pcm[:span])
    steps = [abs(b - a) for a, b in zip(around, around[1:])]
    join = steps.pop(len(pcm[-span:]) - 1)
    largest = max(steps, default=0)
    return join / largest if largest else float(join > 0)


def describe(path: str) -> str:
    pcm, _, _, rate = synth.read_wav(path)
    top = max(abs(v) for v in pcm)
    db = 20.0 * math.log10(top / synth.FULL_SCALE) if top else float("-inf")
    return (f"{os.path.basename(path):16s} {len(pcm) / rate:7.3f} s {os.path.getsize(path):9d} B"
            f"  peak {db:6.2f} dBFS  first {pcm[0]:6d} last {pcm[-1]:6d}"
            f"  loop jump {abs(pcm[0] - pcm[-1]):5d} ({loop_jump(pcm):.2f} of the largest step nearby)")


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description="Write the game's WAV files.")
    parser.add_argument("--out", default=ASSETS, help="folder to write into (default: assets/)")
    parser.add_argument("--report", action="store_true", help="print each file's measurements")
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    for name, samples in sounds().items():
        path = os.path.join(args.out, name + ".wav")
        synth.write_wav(path, synth.to_pcm(samples))
        if args.report:
            print(describe(path))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
