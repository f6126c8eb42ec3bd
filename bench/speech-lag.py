#!/usr/bin/env python3
"""Measures how closely flitreader's flashes follow its voice when it reads aloud.

Reads a plain text and an EPUB aloud to the end with --record, through a private PulseAudio
server with a null sink (started here unless PULSE_SERVER names one), and pairs each SPOKEN line
of the record (the moment the synthesizer reported the word heard) with the WORD the reader
showed for it and that word's render signal. Then stops the voice over and over with
flit-speech-bench, as a pause does.

    bench/speech-lag.py [--build build] [--wpm 250] [--json]

Prints, for each document: the words flashed, whether they are the words spoken, once each and
in order, and the median, 90th percentile and largest lag from a word's report to its render
signal in milliseconds; then how long the voice takes to stop (the process's first stop apart)
and how long after a stop a new sentence is first heard. Needs a display, or xvfb-run.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DOCUMENTS = ("samples/harbour.txt", "samples/harbour-book.epub")
# The lag the reader is to keep to, median, in milliseconds; and the longest a pause may leave
# the voice speaking.
TARGET_LAG_MS = 30
TARGET_STOP_MS = 100


def record_pairs(path):
    """The (spoken word, its report in ms, the word flashed, its render in ms) of a record, in
    order; a word flashed with no report pairs with None."""
    spoken, flashed, waiting = [], [], None
    with open(path, encoding="utf-8") as record:
        next(record)
        for line in record:
            fields = line.rstrip("\n").split("\t")
            t, window, kind, text = float(fields[0]), fields[1], fields[2], fields[3]
            if kind == "SPOKEN":
                spoken.append((text, t))
            elif window == "view" and kind == "WORD" and text:
                waiting = text
            elif window == "view" and kind == "RENDERED" and waiting is not None:
                flashed.append((waiting, t))
                waiting = None
    return spoken, flashed


def read_aloud(build, document, wpm, environment):
    with tempfile.TemporaryDirectory() as folder:
        record = os.path.join(folder, "record.tsv")
        command = [os.path.join(build, "app", "flitreader"), "--read-aloud", "--autostart",
                   "--exit-when-done", "--from-start", "--wpm", str(wpm), "--word-length", "100",
                   "--record", record, os.path.join(ROOT, document)]
        if not os.environ.get("DISPLAY"):
            command = ["xvfb-run", "-a", "-s", "-screen 0 1600x1200x24"] + command
        env = dict(environment, XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder)
        subprocess.run(command, env=env, check=True, timeout=600, stdout=subprocess.DEVNULL)
        spoken, flashed = record_pairs(record)
    lags = [shown - heard for (_, heard), (_, shown) in zip(spoken, flashed)]
    ordered = len(spoken) == len(flashed) and all(
        said == shown for (said, _), (shown, _) in zip(spoken, flashed))
    lags.sort()
    return {"document": document, "words": len(flashed), "spoken": len(spoken),
            "each_once_in_order": ordered,
            "median_ms": statistics.median(lags) if lags else None,
            "p90_ms": lags[int(0.9 * (len(lags) - 1))] if lags else None,
            "max_ms": lags[-1] if lags else None}


def stops(build, environment):
    output = subprocess.run([os.path.join(build, "bench", "flit-speech-bench"), "--stops=10"],
                            env=environment, check=True, capture_output=True, text=True,
                            timeout=600).stdout
    figures = json.loads(output)
    later = sorted(figures["stop_ms"][1:])
    resumed = sorted(figures["first_word_ms"][1:])
    return {"first_stop_ms": figures["stop_ms"][0], "stop_median_ms": statistics.median(later),
            "stop_max_ms": later[-1], "late_reports": figures["late_reports"],
            "heard_after_stop_median_ms": statistics.median(resumed)}


def measure(build, wpm):
    environment = dict(os.environ)
    with tempfile.TemporaryDirectory() as pulse:
        fixture = os.path.join(ROOT, "tests", "support", "pulse-fixture.sh")
        started = "PULSE_SERVER" not in environment
        if started:
            subprocess.run([fixture, "start", pulse], check=True, stdout=subprocess.DEVNULL)
            environment["PULSE_SERVER"] = "unix:" + os.path.join(pulse, "native")
        try:
            return {"documents": [read_aloud(build, document, wpm, environment)
                                  for document in DOCUMENTS],
                    "stops": stops(build, environment)}
        finally:
            if started:
                subprocess.run([fixture, "stop", pulse], check=False)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--wpm", type=int, default=250)
    parser.add_argument("--json", action="store_true")
    args = parser.parse_args()
    results = measure(args.build, args.wpm)
    if args.json:
        json.dump(results, sys.stdout)
        print()
        return 0
    for document in results["documents"]:
        print(f"{document['document']}: {document['words']} words flashed, "
              f"{document['spoken']} spoken, each once in order: "
              f"{'yes' if document['each_once_in_order'] else 'NO'}; lag median "
              f"{document['median_ms']:.2f} ms, p90 {document['p90_ms']:.2f} ms, "
              f"max {document['max_ms']:.2f} ms (target median <= {TARGET_LAG_MS} ms)")
    stop = results["stops"]
    print(f"voice stopped: median {stop['stop_median_ms']:.1f} ms, max {stop['stop_max_ms']:.1f} "
          f"ms (first of the process {stop['first_stop_ms']:.1f} ms; target {TARGET_STOP_MS} ms); "
          f"reports after a stop {stop['late_reports']}; a new sentence heard "
          f"{stop['heard_after_stop_median_ms']:.0f} ms after a stop")
    return 0


if __name__ == "__main__":
    sys.exit(main())
