#!/usr/bin/env python3
"""Measures how exactly flitreader keeps to the timing rules.

Runs the reader unattended on a plain text at a given speed with --record, then compares each
chunk's time on screen (from its WORD event to the blank WORD after it, as the reader received
them) with the display time flit-timing gives the same word. Words timed during the start-up
ramp are left out: flit-timing times every word at the steady speed.

    bench/reader-pacing.py [--build build] [--wpm 950] [--text samples/lighthouse.txt]

Prints the median and 99th percentile of the differences in milliseconds. Needs a display, or
xvfb-run on the PATH.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

RAMP_START = 100
RAMP_STEP = 75
WORD_LENGTH = 12


def ramp_words(wpm):
    """Words the reader times below the target speed after a start."""
    count, speed = 0, RAMP_START
    while speed < wpm:
        count += 1
        speed = min(speed + RAMP_STEP, 950)
    return count


def run_reader(args, record):
    command = [os.path.join(args.build, "app", "flitreader"), "--wpm", str(args.wpm),
               "--word-length", str(WORD_LENGTH), "--autostart", "--exit-when-done",
               "--record", record, args.text]
    if not os.environ.get("DISPLAY"):
        command = ["xvfb-run", "-a", "-s", "-screen 0 1600x1200x24"] + command
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def expected_display_times(args):
    tool = os.path.join(args.build, "tools", "flit-timing", "flit-timing")
    output = subprocess.run([tool, "--wpm", str(args.wpm), "--word-length", str(WORD_LENGTH),
                             args.text], check=True, capture_output=True, text=True).stdout
    rows = [line.split("\t") for line in output.splitlines()[1:]]
    return [(row[0], int(row[2])) for row in rows if len(row) >= 4]


def chunks_on_screen(record):
    """(first chunk's word position, chunk, milliseconds on screen) for every chunk."""
    with open(record, encoding="utf-8") as lines:
        rows = [line.rstrip("\n").split("\t") for line in lines][1:]
    words = [(float(r[0]), r[3]) for r in rows if len(r) > 3 and r[2] == "WORD"]
    shown = []
    for (t_on, text), (t_off, blank) in zip(words, words[1:]):
        if text and not blank:
            shown.append((text, t_off - t_on))
    return shown


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--wpm", type=int, default=950)
    parser.add_argument("--text", default="samples/lighthouse.txt")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder:
        record = os.path.join(folder, "record.tsv")
        run_reader(args, record)
        shown = chunks_on_screen(record)
    expected = expected_display_times(args)

    # Each word gives one or more chunks; all of a word's chunks share its display time.
    differences = []
    chunk = 0
    for index, (word, display_ms) in enumerate(expected):
        pieces = 1 if len(word) <= WORD_LENGTH else -(-(len(word) - 1) // (WORD_LENGTH - 1))
        for _ in range(pieces):
            if chunk >= len(shown):
                sys.exit("the record has fewer chunks than the text has words")
            if index >= ramp_words(args.wpm):
                differences.append(shown[chunk][1] - display_ms)
            chunk += 1

    differences.sort()
    p99 = differences[min(len(differences) - 1, int(0.99 * len(differences)))]
    print(f"{args.text} at {args.wpm} wpm: {len(differences)} chunks after the ramp")
    print(f"on-screen time minus display time: median {statistics.median(differences):.3f} ms,"
          f" 99th percentile {p99:.3f} ms, maximum {differences[-1]:.3f} ms (target: median"
          f" within 2 ms)")


if __name__ == "__main__":
    main()
