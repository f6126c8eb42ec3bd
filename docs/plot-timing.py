#!/usr/bin/env python3
"""Draws the pictures of docs/timing.md from what flit-timing prints.

    docs/plot-timing.py [--flit-timing PROGRAM] [--out DIR] [--check]

timing-vs-speed.svg: the display time and the delay after it of a few typical words, against
the reading speed, from flit-timing run at every speed from 100 to 950 words per minute in
steps of 25. timing-rhythm.svg: flit-timing's own picture of a short text's rhythm.

--check writes nothing: it fails when the pictures in DIR differ from what the timing rules
give now, so that the documentation follows a change to the rules.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

# Each word is timed in this sentence, in this order: what precedes a word can change its time
# (a capitalised word after a punctuated one is not taken for a name).
SENTENCE = "the lighthouse harbour, NASA 1999 end.\n"
WORDS = [
    ("the", "short word"),
    ("lighthouse", "long word"),
    ("harbour,", "comma"),
    ("NASA", "capitals"),
    ("1999", "number"),
    ("end.", "line end"),
]
COLOURS = ["#1b3f7a", "#2f9e6e", "#e0483a", "#8a4fc4", "#c99a2e", "#4a4a4a"]
SPEEDS = list(range(100, 951, 25))
RHYTHM_TEXT = "Smith, the reading NASA end.\nThe 1999 end. Dr. (aside)"
RHYTHM_WPM = 250


def run(program, args, text):
    result = subprocess.run([program] + args, input=text.encode("utf-8"), capture_output=True,
                            check=True)
    return result.stdout.decode("utf-8")


def measure(program):
    """{word: [(speed, display_ms, delay_ms), ...]}"""
    table = {word: [] for word, _ in WORDS}
    for speed in SPEEDS:
        lines = run(program, ["--wpm", str(speed)], SENTENCE).splitlines()[1:]
        for line in lines:
            word, _separator, display, delay = line.split("\t")
            table[word].append((speed, int(display), int(delay)))
    return table


def panel(x0, y0, width, height, title, series, y_max, y_step):
    """One chart: speed along x, milliseconds up y; series is [(colour, [(speed, ms)...])]."""
    out = []
    sx = lambda s: x0 + (s - SPEEDS[0]) * width / (SPEEDS[-1] - SPEEDS[0])
    sy = lambda ms: y0 + height - ms * height / y_max
    out.append(f'<text x="{x0}" y="{y0 - 12}" font-weight="bold">{title}</text>')
    for ms in range(0, y_max + 1, y_step):
        y = sy(ms)
        out.append(f'<line x1="{x0}" y1="{y:.1f}" x2="{x0 + width}" y2="{y:.1f}" '
                   f'stroke="#dddddd"/>')
        out.append(f'<text x="{x0 - 6}" y="{y + 4:.1f}" text-anchor="end">{ms}</text>')
    for speed in range(100, 951, 150):
        x = sx(speed)
        out.append(f'<line x1="{x:.1f}" y1="{y0 + height}" x2="{x:.1f}" y2="{y0 + height + 4}" '
                   f'stroke="#888888"/>')
        out.append(f'<text x="{x:.1f}" y="{y0 + height + 16}" text-anchor="middle">{speed}</text>')
    out.append(f'<text x="{x0 + width / 2}" y="{y0 + height + 32}" text-anchor="middle">'
               f'words per minute</text>')
    out.append(f'<text x="{x0 - 44}" y="{y0 + height / 2}" text-anchor="middle" '
               f'transform="rotate(-90 {x0 - 44} {y0 + height / 2})">milliseconds</text>')
    out.append(f'<rect x="{x0}" y="{y0}" width="{width}" height="{height}" fill="none" '
               f'stroke="#888888"/>')
    for colour, points in series:
        path = " ".join(f"{sx(s):.1f},{sy(ms):.1f}" for s, ms in points)
        out.append(f'<polyline points="{path}" fill="none" stroke="{colour}" '
                   f'stroke-width="2"/>')
    return out


def draw(table):
    width, height = 360, 260
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<svg xmlns="http://www.w3.org/2000/svg" width="900" height="400" '
           'font-family="sans-serif" font-size="12">',
           '<rect width="900" height="400" fill="#ffffff"/>']
    display = [(c, [(s, d) for s, d, _ in table[w]]) for c, (w, _) in zip(COLOURS, WORDS)]
    delay = [(c, [(s, d) for s, _, d in table[w]]) for c, (w, _) in zip(COLOURS, WORDS)]
    out += panel(70, 40, width, height, "Display time", display, 900, 100)
    out += panel(520, 40, width, height, "Delay after the word", delay, 2400, 400)
    for i, ((word, kind), colour) in enumerate(zip(WORDS, COLOURS)):
        x, y = 70 + (i % 3) * 260, 362 + (i // 3) * 20
        out.append(f'<rect x="{x}" y="{y - 6}" width="14" height="4" fill="{colour}"/>')
        out.append(f'<text x="{x + 20}" y="{y}">{word} ({kind})</text>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--flit-timing", default=shutil.which("flit-timing") or "flit-timing")
    parser.add_argument("--out", default=os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()

    pictures = {"timing-vs-speed.svg": draw(measure(args.flit_timing))}
    with tempfile.TemporaryDirectory() as work:
        rhythm = os.path.join(work, "rhythm.svg")
        run(args.flit_timing, ["--wpm", str(RHYTHM_WPM), "--svg", rhythm], RHYTHM_TEXT)
        with open(rhythm, encoding="utf-8") as f:
            pictures["timing-rhythm.svg"] = f.read()

    stale = []
    for name, content in pictures.items():
        path = os.path.join(args.out, name)
        if args.check:
            try:
                with open(path, encoding="utf-8") as f:
                    if f.read() != content:
                        stale.append(name)
            except FileNotFoundError:
                stale.append(name)
        else:
            with open(path, "w", encoding="utf-8") as f:
                f.write(content)
            print(f"wrote {path}")
    if stale:
        print("out of date with the timing rules (run docs/plot-timing.py): " + ", ".join(stale),
              file=sys.stderr)
        return 1
    if args.check:
        print("the pictures match the timing rules")
    return 0


if __name__ == "__main__":
    sys.exit(main())
