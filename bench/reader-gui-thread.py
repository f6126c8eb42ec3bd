#!/usr/bin/env python3
"""Measures what a long document costs the reader's GUI thread, through the real reader.

Writes a plain text of --words words (3,000,000 by default; sentences and paragraphs of a
small vocabulary of our own), opens it in flitreader at --wpm with --record, and once reading
runs presses Up ten times in one second (xdotool, through the X server as a user's keys come).
Then it compares every chunk's and blank's interval in the record with the time flit-timing
gives it at the starting speed (the presses only make the computed times shorter), and prints
the largest excess: a speed change that held the GUI thread shows as a gap. Last it pauses
(Space) and reads the paused reader's CPU time over 10 s from /proc/<pid>/stat.

    bench/reader-gui-thread.py [--build build] [--words 3000000] [--wpm 300]

Prints one JSON object. Needs Xvfb and xdotool.
"""

import argparse
import json
import os
import random
import re
import subprocess
import sys
import tempfile
import time

WORD_LENGTH = 12
RAMP_WORDS = 5  # words left out at the start: the start-up ramp (100 to 300 wpm) times them slower
PRESSES = 10


def write_long_text(path, words, seed=17):
    rng = random.Random(seed)
    vocabulary = ("harbour lantern keeper stone evening tide gull window stair light salt rope "
                  "boat quiet northern ledge weather morning beacon rock a the of and to in was "
                  "her his over under beyond slowly remembered unmistakable circumnavigation "
                  "wind sea long white").split()
    count, sentences = 0, 0
    with open(path, "w", encoding="utf-8") as out:
        while count < words:
            sentence = [rng.choice(vocabulary) for _ in range(min(rng.randint(5, 18), words - count))]
            sentence[0] = sentence[0].capitalize()
            out.write(" ".join(sentence) + rng.choice([".", ".", ",", "?", "!"]))
            count += len(sentence)
            sentences += 1
            out.write("\n\n" if sentences % 6 == 0 else " ")


def cpu_ms(pid):
    """The process's CPU time so far: utime + stime from /proc/<pid>/stat (10 ms ticks), and
    the sum of its threads' run times from their schedstat (nanoseconds)."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    ticks = (int(fields[11]) + int(fields[12])) * 1000.0 / os.sysconf("SC_CLK_TCK")
    threads = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                threads[task] = int(stat.read().split()[0]) / 1e6
        except OSError:
            pass  # a thread that ended
    return ticks, threads


def cpu_between(before, after):
    """Milliseconds of CPU between two cpu_ms readings: from the ticks, and from the threads
    alive at both."""
    threads = sum(after[1][task] - ms for task, ms in before[1].items() if task in after[1])
    return [round(after[0] - before[0], 2), round(threads, 2)]


def record_rows(path):
    with open(path, encoding="utf-8") as lines:
        rows = [line.rstrip("\n").split("\t") for line in lines][1:]
    return [(float(r[0]), r[3]) for r in rows if len(r) > 3 and r[2] == "WORD"]


def computed_times(build, text, words, wpm, folder):
    """(display, delay) in ms for each of the text's first words, at wpm."""
    head = os.path.join(folder, "head.txt")
    with open(text, encoding="utf-8") as source:
        start = source.read(words * 20)
    # Cut after the last word wanted, keeping the line breaks: they lengthen the blank before.
    ends = [match.end() for match in re.finditer(r"\S+", start)]
    with open(head, "w", encoding="utf-8") as out:
        out.write(start[:ends[min(words, len(ends)) - 1]])
    tool = os.path.join(build, "tools", "flit-timing", "flit-timing")
    output = subprocess.run([tool, "--wpm", str(wpm), "--word-length", str(WORD_LENGTH), head],
                            check=True, capture_output=True, text=True).stdout
    rows = [line.split("\t") for line in output.splitlines()[1:]]
    return [(row[0], int(row[2]), int(row[3])) for row in rows if len(row) >= 4]


def largest_excess(events, expected, window):
    """The largest interval minus its computed time, after the ramp, inside the window (start
    and end in record milliseconds) and outside it; the median of all."""
    worst, index = {True: -1e9, False: -1e9}, 0
    # flit-timing gives a row for each chunk.
    chunks = [(display, delay) for _, display, delay in expected]
    excesses = []
    for i in range(0, len(events) - 2, 2):
        if index >= len(chunks):
            break
        (t_on, text), (t_off, blank), (t_next, _) = events[i], events[i + 1], events[i + 2]
        if not text or blank:
            break
        display, delay = chunks[index]
        if index >= RAMP_WORDS:
            inside = window[0] <= t_on <= window[1]
            for excess in (t_off - t_on - display, t_next - t_off - delay):
                excesses.append(excess)
                worst[inside] = max(worst[inside], excess)
        index += 1
    excesses.sort()
    return worst[True], worst[False], index, excesses[len(excesses) // 2] if excesses else 0.0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    parser.add_argument("--words", type=int, default=3000000)
    parser.add_argument("--wpm", type=int, default=300)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder:
        text = os.path.join(folder, "long.txt")
        record = os.path.join(folder, "record.tsv")
        write_long_text(text, args.words)
        display = ":%d" % (90 + os.getpid() % 400)
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1200x24", "-noreset"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        env = dict(os.environ, DISPLAY=display, HOME=folder, XDG_CONFIG_HOME=folder,
                   XDG_DATA_HOME=folder)
        time.sleep(1)
        opened = time.monotonic()
        reader = subprocess.Popen(
            [os.path.join(args.build, "app", "flitreader"), "--wpm", str(args.wpm),
             "--word-length", str(WORD_LENGTH), "--autostart", "--from-start", "--record", record,
             text], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            while time.monotonic() - opened < 120 and not any(
                    t for _, t in (record_rows(record) if os.path.exists(record) else [])):
                time.sleep(0.1)
            first_word_s = time.monotonic() - opened
            time.sleep(3)

            def xdo(*command):
                return subprocess.run(["xdotool", *command], env=env, capture_output=True,
                                      text=True).stdout.strip()

            window = xdo("search", "--name", "FlitReader").split("\n")[0]
            # Keys go to the window under the pointer (no window manager gives focus).
            xdo("mousemove", "--window", window, "200", "200")
            # The toolkit sets up its input handling at the first key: a Shift, which the
            # reader ignores, takes that cost before the measured keys.
            xdo("key", "shift")
            time.sleep(1)
            # The record counts from the reader's start on the same monotonic clock, give or
            # take the few milliseconds before its main runs.
            presses = [(time.monotonic() - opened) * 1000]
            for _ in range(PRESSES):
                xdo("key", "Up")
                time.sleep(1.0 / PRESSES)
            presses.append((time.monotonic() - opened) * 1000 + 500)
            # Reading goes on (at once, or once the GUI thread has caught up with the keys).
            shown = len(record_rows(record))
            waited = time.monotonic()
            while len(record_rows(record)) < shown + 40 and time.monotonic() - waited < 120:
                time.sleep(0.2)
            xdo("key", "space")
            time.sleep(1)
            before = cpu_ms(reader.pid)
            time.sleep(10)
            after = cpu_ms(reader.pid)
            paused_ms = cpu_between(before, after)
        finally:
            reader.terminate()
            reader.wait()
            xvfb.terminate()
            xvfb.wait()
        if os.environ.get("FLIT_KEEP_RECORD"):
            subprocess.run(["cp", record, os.environ["FLIT_KEEP_RECORD"]])
        events = record_rows(record)
        expected = computed_times(args.build, text, len(events) // 2 + 100, args.wpm, folder)
    during, elsewhere, chunks, median = largest_excess(events, expected, presses)
    json.dump({"words": args.words, "wpm": args.wpm, "first_word_s": round(first_word_s, 2),
               "chunks_compared": chunks, "largest_excess_ms_during_presses": round(during, 3),
               "largest_excess_ms_elsewhere": round(elsewhere, 3),
               "median_excess_ms": round(median, 3),
               "paused_cpu_ms_per_10s_stat": paused_ms[0],
               "paused_cpu_ms_per_10s_schedstat": paused_ms[1]}, sys.stdout)
    print()


if __name__ == "__main__":
    main()
