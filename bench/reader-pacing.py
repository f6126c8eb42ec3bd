#!/usr/bin/env python3
"""Measures how exactly flitreader keeps to the timing rules on screen.

Runs the reader unattended on a plain text at a given speed with --record, then compares each
chunk's and each blank's interval on screen with the time flit-timing gives the same word: a
chunk's display time, a blank's inter-word delay. An interval runs from one WORD's render signal
(the RENDERED line after it in the record) to the next one's; the same is measured from the
moments the WORD events arrived, for comparison. Words timed during the start-up ramp are left
out: flit-timing times every word at the steady speed, which for a target above 925 is 925, where
the engine's ramp stops.

    bench/reader-pacing.py [--build build] [--wpm 950] [--text samples/lighthouse.txt]
                           [--runs 1] [--show neighbours|page ...] [--json]

The reader runs with preferences of its own, in a temporary folder: the defaults, with the
words beside the flash (--show neighbours) and the page pane under it (--show page) when asked.

Prints, for each run, the median and 99th percentile of |interval - computed| in milliseconds,
the whole reading's error against the sum of the computed times, and the reader's render time
(a WORD's arrival to its render signal); with --runs above 1, how many runs meet the targets
and the slowest and fastest run's 99th percentile. Needs a display, or xvfb-run on the PATH.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

RAMP_START = 100
# The reader's targets at 950 wpm: median and 99th percentile of |interval - computed| in ms,
# and the whole reading's error in percent.
TARGET_MEDIAN_MS = 0.3
TARGET_P99_MS = 1.5
TARGET_WHOLE_PERCENT = 0.3
RAMP_STEP = 75
WORD_LENGTH = 12


def steady_speed(wpm):
    """The speed the engine times words at once its ramp is done: the ramp climbs in steps of
    75 from 100 and never past 950, so a target above 925 holds it at 925."""
    speed = RAMP_START
    while speed + RAMP_STEP <= 950 and speed < wpm:
        speed += RAMP_STEP
    return min(speed, wpm)


def ramp_words(wpm):
    """Words the reader times below the target speed after a start."""
    count, speed = 0, RAMP_START
    while speed < wpm:
        count += 1
        speed = min(speed + RAMP_STEP, 950)
    return count


# What --show turns on, as the preferences file names it.
SHOWN = {"neighbours": "NeighbourWords", "page": "PagePane"}


def run_reader(args, record, folder):
    config = os.path.join(folder, "config")
    os.makedirs(os.path.join(config, "flitreader"))
    with open(os.path.join(config, "flitreader", "flitreader.conf"), "w", encoding="utf-8") as out:
        out.write("[View]\n" + "".join(f"{SHOWN[name]}=1\n" for name in args.show))
    command = [os.path.join(args.build, "app", "flitreader"), "--wpm", str(args.wpm),
               "--word-length", str(WORD_LENGTH), "--autostart", "--exit-when-done",
               "--record", record, args.text]
    if not os.environ.get("DISPLAY"):
        command = ["xvfb-run", "-a", "-s", "-screen 0 1600x1200x24"] + command
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env=dict(os.environ, XDG_CONFIG_HOME=config))


def computed_intervals(args):
    """For every chunk after the ramp and every chunk before it: (counted, milliseconds) for
    the chunk, then for its blank."""
    tool = os.path.join(args.build, "tools", "flit-timing", "flit-timing")
    output = subprocess.run([tool, "--wpm", str(steady_speed(args.wpm)),
                             "--word-length", str(WORD_LENGTH),
                             args.text], check=True, capture_output=True, text=True).stdout
    rows = [line.split("\t") for line in output.splitlines()[1:]]
    intervals = []
    skip = ramp_words(args.wpm)
    for index, row in enumerate(r for r in rows if len(r) >= 4):
        word, display_ms, delay_ms = row[0], int(row[2]), int(row[3])
        # Each word gives one or more chunks; all of a word's chunks share its times.
        pieces = 1 if len(word) <= WORD_LENGTH else -(-(len(word) - 1) // (WORD_LENGTH - 1))
        for _ in range(pieces):
            intervals.append((index >= skip, display_ms))
            intervals.append((index >= skip, delay_ms))
    return intervals


def word_moments(record):
    """(arrived, rendered) for every WORD event, in order; rendered is None without a signal."""
    with open(record, encoding="utf-8") as lines:
        rows = [line.rstrip("\n").split("\t") for line in lines][1:]
    moments = []
    for row in rows:
        if len(row) > 2 and row[2] == "WORD":
            moments.append([float(row[0]), None])
        elif len(row) > 2 and row[2] == "RENDERED" and moments and moments[-1][1] is None:
            moments[-1][1] = float(row[0])
    return moments


def figures(intervals, marks):
    differences, observed, computed = [], 0.0, 0.0
    # The last blank's interval ends with DONE, which is not rendered: left out.
    for (counted, ms), start, end in zip(intervals, marks, marks[1:]):
        if counted:
            differences.append(abs(end - start - ms))
            observed += end - start
            computed += ms
    differences.sort()
    return {
        "intervals": len(differences),
        "median_abs_ms": statistics.median(differences),
        "p99_abs_ms": differences[min(len(differences) - 1, int(0.99 * len(differences)))],
        "max_abs_ms": differences[-1],
        "whole_error_percent": 100.0 * (observed - computed) / computed,
    }


def render_times(moments, skip):
    """Median, 99th percentile and maximum of a WORD's arrival to its render signal, in ms."""
    times = sorted(rendered - arrived for arrived, rendered in moments[skip:])
    return {"median_ms": statistics.median(times),
            "p99_ms": times[min(len(times) - 1, int(0.99 * len(times)))], "max_ms": times[-1]}


def meets(figures):
    return (figures["median_abs_ms"] <= TARGET_MEDIAN_MS and figures["p99_abs_ms"] <= TARGET_P99_MS
            and abs(figures["whole_error_percent"]) <= TARGET_WHOLE_PERCENT)


def summary(runs):
    """How many runs meet the targets, and the spread of the 99th percentile across them."""
    p99 = sorted(result["rendered"]["p99_abs_ms"] for result in runs)
    return {"runs": len(runs), "meeting": sum(meets(result["rendered"]) for result in runs),
            "p99_fastest_ms": p99[0], "p99_slowest_ms": p99[-1],
            "load_highest": max(max(r["load_before"], r["load_after"]) for r in runs)}


def one_run(args, intervals):
    with tempfile.TemporaryDirectory() as folder:
        record = os.path.join(folder, "record.tsv")
        run_reader(args, record, folder)
        moments = word_moments(record)
    if len(moments) < len(intervals):
        sys.exit("the record has fewer chunks than the text has words")
    if any(rendered is None for _, rendered in moments):
        sys.exit("the record has no render signals (a reader built before they were recorded?)")
    # Each interval is a chunk's or a blank's: the ramp's words are twice as many events.
    skip = sum(1 for counted, _ in intervals if not counted)
    return {
        "rendered": figures(intervals, [rendered for _, rendered in moments]),
        "arrived": figures(intervals, [arrived for arrived, _ in moments]),
        "render": render_times(moments, skip),
    }


def load():
    with open("/proc/loadavg", encoding="utf-8") as info:
        return float(info.read().split()[0])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--wpm", type=int, default=950)
    parser.add_argument("--text", default="samples/lighthouse.txt")
    parser.add_argument("--runs", type=int, default=1)
    parser.add_argument("--show", action="append", choices=sorted(SHOWN), default=[],
                        help="show the words beside the flash or the page pane while reading")
    parser.add_argument("--json", action="store_true", help="print the figures as JSON")
    args = parser.parse_args()

    intervals = computed_intervals(args)
    runs = []
    for _ in range(args.runs):
        before = load()
        result = one_run(args, intervals)
        result["load_before"] = before
        result["load_after"] = load()
        runs.append(result)
    if args.json:
        print(json.dumps(runs))
        return
    shown = f", {' and '.join(args.show)} shown" if args.show else ""
    print(f"{args.text} at {args.wpm} wpm{shown}, chunks and blanks after the ramp "
          f"(targets: median ≤ 0.3 ms, 99th percentile ≤ 1.5 ms, whole reading within 0.3 %)")
    for number, result in enumerate(runs, 1):
        for source in ("rendered", "arrived"):
            f = result[source]
            print(f"run {number}, {source:>8}: {f['intervals']} intervals, |interval - computed| "
                  f"median {f['median_abs_ms']:.3f} ms, 99th percentile {f['p99_abs_ms']:.3f} ms,"
                  f" maximum {f['max_abs_ms']:.3f} ms; whole reading "
                  f"{f['whole_error_percent']:+.3f} %")
        r = result["render"]
        print(f"       render (arrival to signal) median {r['median_ms']:.3f} ms, 99th percentile "
              f"{r['p99_ms']:.3f} ms, maximum {r['max_ms']:.3f} ms; load average "
              f"{result['load_before']:.2f} before, {result['load_after']:.2f} after")
    if len(runs) > 1:
        s = summary(runs)
        print(f"{s['meeting']} of {s['runs']} runs meet the targets; 99th percentile "
              f"{s['p99_fastest_ms']:.3f} to {s['p99_slowest_ms']:.3f} ms; load average up to "
              f"{s['load_highest']:.2f}")


if __name__ == "__main__":
    main()
