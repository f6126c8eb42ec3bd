#!/usr/bin/env python3
"""Reads real books, as Debian's documentation packages ship them, with flit-timing and checks
figures that any sound reading of them holds, whatever the book:

- editions: the EPUB, HTML, PDF and plain-text editions of one book read within a few percent
  of the median of its editions' word counts, and none reads more than 1.3 times the words of
  its text edition (a book read again in part or in full);
- repeats: no phrase of five words comes back in an edition far more often than in the text
  edition (a PDF's running headers and footers, or a chapter file read once per section);
- noise: no flashed word holds bytes that are not text (control characters, replacement
  characters, runs of Latin-1 letters and symbols as image bytes give);
- time: each file opens within 2 s of processor time plus 1 s per MB of file.

The books are those of BOOKS below; `make check-books` installs their packages. Compressed
files (.gz) are read from a decompressed copy. Prints one line per edition and one per failed
check, and exits 1 when any check fails. `--self-test` checks the noise detector alone.
"""

import argparse
import collections
import concurrent.futures
import glob
import gzip
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# Each book: a name, and its editions as {format: glob}. A glob that matches several files
# (an HTML edition split into chapters) reads them all and adds their words up. The text
# edition is the reference for the repeat checks.
BOOKS = [
    ("debmake-doc (en)", {
        "text": "/usr/share/doc/debmake-doc/debmake-doc.en.txt.gz",
        "epub": "/usr/share/doc/debmake-doc/debmake-doc.en.epub",
        "html": "/usr/share/doc/debmake-doc/html/*.en.html",
        "pdf": "/usr/share/doc/debmake-doc/debmake-doc.en.pdf"}),
    ("debmake-doc (ru)", {
        "text": "/usr/share/doc/debmake-doc/debmake-doc.ru.txt.gz",
        "epub": "/usr/share/doc/debmake-doc/debmake-doc.ru.epub",
        "html": "/usr/share/doc/debmake-doc/html/*.ru.html",
        "pdf": "/usr/share/doc/debmake-doc/debmake-doc.ru.pdf"}),
    ("debmake-doc (zh-cn)", {
        "text": "/usr/share/doc/debmake-doc/debmake-doc.zh-cn.txt.gz",
        "epub": "/usr/share/doc/debmake-doc/debmake-doc.zh-cn.epub",
        "html": "/usr/share/doc/debmake-doc/html/*.zh-cn.html",
        "pdf": "/usr/share/doc/debmake-doc/debmake-doc.zh-cn.pdf"}),
    ("developers-reference (en)", {
        "text": "/usr/share/developers-reference/developers-reference.txt.gz",
        "epub": "/usr/share/developers-reference/developers-reference.epub",
        "html": "/usr/share/developers-reference/developers-reference.html",
        "pdf": "/usr/share/developers-reference/developers-reference.pdf"}),
    # The policy's HTML pages each carry the site's navigation bar, which a reader of one page
    # rightly reads: its editions are the single documents.
    ("debian-policy (en)", {
        "text": "/usr/share/doc/debian-policy/policy.txt.gz",
        "epub": "/usr/share/doc/debian-policy/policy.epub",
        "pdf": "/usr/share/doc/debian-policy/policy.pdf.gz"}),
    ("maint-guide (fr)", {
        "text": "/usr/share/doc/maint-guide-fr/maint-guide.fr.txt.gz",
        "html": "/usr/share/doc/maint-guide-fr/html/*.fr.html",
        "pdf": "/usr/share/doc/maint-guide-fr/maint-guide.fr.pdf"}),
    ("maint-guide (de)", {
        "text": "/usr/share/doc/maint-guide-de/maint-guide.de.txt.gz",
        "html": "/usr/share/doc/maint-guide-de/html/*.de.html",
        "pdf": "/usr/share/doc/maint-guide-de/maint-guide.de.pdf"}),
    # live-manual's EPUB spine names each chapter file once per section; its PDFs hold only the
    # contents pages, so they are left out.
    ("live-manual (en)", {
        "text": "/usr/share/doc/live-manual/txt/live-manual.en.txt.gz",
        "epub": "/usr/share/doc/live-manual/epub/live-manual.en.epub",
        "html": "/usr/share/doc/live-manual/html/live-manual.en.html"}),
    ("live-manual (es)", {
        "text": "/usr/share/doc/live-manual/txt/live-manual.es.txt.gz",
        "epub": "/usr/share/doc/live-manual/epub/live-manual.es.epub",
        "html": "/usr/share/doc/live-manual/html/live-manual.es.html"}),
    ("live-manual (ja)", {
        "text": "/usr/share/doc/live-manual/txt/live-manual.ja.txt.gz",
        "epub": "/usr/share/doc/live-manual/epub/live-manual.ja.epub",
        "html": "/usr/share/doc/live-manual/html/live-manual.ja.html"}),
]

# How far an edition's word count may stray from the median of the book's editions. Measured
# on the books above: the text editions read up to 3.4% above the median (they list the links'
# addresses), EPUB and HTML within 0.5%, PDF within 2.1% with its page furniture. PDF has more
# room, for the hyphenation and layout that its text is recovered from.
TOLERANCE = {"text": 0.05, "epub": 0.05, "html": 0.05, "pdf": 0.08}
# An edition reading this many times the words of its text edition reads part of it again.
MAX_RATIO_TO_TEXT = 1.3
# A phrase of PHRASE_WORDS words repeated PHRASE_MIN_COUNT times or more, and more than
# PHRASE_FACTOR times its count in the text edition plus one, is text read again: a running
# header (98 times in developers-reference's PDF, 16 in maint-guide's) or a file read once per
# section. The books' own repeated phrases (a directory tree drawn 13 times) stay below.
PHRASE_WORDS = 5
PHRASE_MIN_COUNT = 15
PHRASE_FACTOR = 3
# Processor time allowed to open and read one file: generous, so that a loaded machine does
# not fail it, but a cost that grows faster than the file does.
TIME_BASE_S = 2.0
TIME_PER_MB_S = 1.0


def is_noise(word):
    """True when a flashed word holds bytes that are not text: a control character (C0 or C1),
    a replacement character, or three Latin-1 letters (U+00C0-U+00FF) in a run that only Latin-1
    symbols and ASCII punctuation break into, as image or compressed bytes read as Latin-1 give.
    Real words in French, German or Spanish never hold three such letters in a row."""
    run = 0
    for c in word:
        code = ord(c)
        if code < 0x20 or 0x7F <= code <= 0x9F or c == "\ufffd":
            return True
        if 0xC0 <= code <= 0xFF:
            run += 1
            if run >= 3:
                return True
        elif code > 0xFF or c.isalnum():
            run = 0
    return False


def self_test():
    cases = [("été", False), ("Größe", False), ("créée", False), ("«Ça»", False), ("año,", False),
             ("Ärger-Öl", False), ("ÿØÿà", True), ("Ã¿Ã\u0098", True), ("ab\u0085cd", True),
             ("\ufffd\ufffd", True), ("Ð.Ñ:Ã¤", True), ("«À»", False), ("日本語", False), ("Привет", False)]
    failed = [(w, want) for w, want in cases if is_noise(w) != want]
    for w, want in failed:
        print(f"noise detector: {ascii(w)} should {'' if want else 'not '}be noise")
    print(f"noise detector: {len(cases) - len(failed)} passed, {len(failed)} failed")
    return not failed


def run_flit_timing(tool, path):
    """Runs flit-timing on one file: (words, words in notes, processor seconds, wall seconds,
    error)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.monotonic()
        process = subprocess.Popen([tool, "--summary", path], stdout=out, stderr=err)
        _, status, usage = os.wait4(process.pid, 0)
        process.returncode = os.waitstatus_to_exitcode(status)
        wall = time.monotonic() - start
        cpu = usage.ru_utime + usage.ru_stime
        out.seek(0)
        lines = out.read().decode("utf-8", "surrogateescape").split("\n")
        if process.returncode != 0:
            err.seek(0)
            return [], 0, cpu, wall, err.read().decode("utf-8", "replace").strip()
    # A header line, one line per flash (the word, then tab-separated figures), the summary, and
    # for a book whose notes are taken out of its text, how many words they hold: the other
    # editions read the same notes inline.
    words = [line.split("\t", 1)[0] for line in lines[1:] if "\t" in line]
    notes = re.search(r"^notes \d+, note_words (\d+)$", "\n".join(lines[-3:]), re.M)
    return words, int(notes.group(1)) if notes else 0, cpu, wall, None


def phrases(words):
    tokens = ["".join(c for c in w.casefold() if c.isalnum()) for w in words]
    # A token of one letter repeated ("a", "bb" of a drawing's b'' strings) is no word: a tree
    # drawn in one edition's own way would otherwise count as a phrase read again.
    tokens = [t for t in tokens if len(set(t)) > 1]
    return collections.Counter(
        " ".join(tokens[i:i + PHRASE_WORDS]) for i in range(len(tokens) - PHRASE_WORDS + 1))


class Edition:
    def __init__(self, form, files):
        self.form = form
        self.files = files          # (path read, size in bytes, shown name)
        self.words = []
        self.note_words = 0
        self.results = []           # per file: (shown name, size, words, cpu, wall, error)


def prepare(book_editions, scratch):
    """The files of each edition, decompressed into scratch where needed; missing ones listed."""
    editions, missing = [], []
    for form, pattern in book_editions.items():
        matches = sorted(glob.glob(pattern))
        if not matches:
            missing.append(pattern)
            continue
        files = []
        for path in matches:
            read = path
            if path.endswith(".gz"):
                read = os.path.join(scratch, str(len(os.listdir(scratch))) + "-"
                                    + os.path.basename(path)[:-3])
                with gzip.open(path, "rb") as src, open(read, "wb") as dst:
                    shutil.copyfileobj(src, dst)
            files.append((read, os.path.getsize(read), path))
        editions.append(Edition(form, files))
    return editions, missing


def check_book(name, editions, failures):
    def fail(check, what):
        failures.append((name, check))
        print(f"  FAIL {check}: {what}")

    print(f"{name}")
    for e in editions:
        cpu = sum(r[3] for r in e.results)
        wall = sum(r[4] for r in e.results)
        size = sum(r[1] for r in e.results)
        notes = f" + {e.note_words} in notes" if e.note_words else ""
        print(f"  {e.form:5} {len(e.words):8} words{notes}  {size / 1e6:6.2f} MB  {cpu:5.2f} s cpu"
              f"  {wall:5.2f} s wall  ({len(e.files)} file{'s' if len(e.files) > 1 else ''})")
        for shown, _, _, _, _, error in e.results:
            if error is not None:
                fail("open", f"{e.form} {shown}: {error}")
    counts = [len(e.words) + e.note_words for e in editions]
    median = statistics.median(counts)
    for e, count in zip(editions, counts):
        off = (count - median) / median if median else 0.0
        if abs(off) > TOLERANCE[e.form]:
            fail("editions", f"{e.form} reads {count} words, {off:+.1%} from the median "
                 f"{median:.0f} of the editions (allowed {TOLERANCE[e.form]:.0%})")
    text = next((e for e in editions if e.form == "text"), None)
    if text is not None and text.words:
        reference = phrases(text.words)
        for e in editions:
            if e is text:
                continue
            ratio = len(e.words) / len(text.words)
            if ratio > MAX_RATIO_TO_TEXT:
                fail("editions", f"{e.form} reads {ratio:.1f} times the words of the text edition "
                     f"({len(e.words)} against {len(text.words)}; allowed {MAX_RATIO_TO_TEXT})")
            repeated = [(count, phrase) for phrase, count in phrases(e.words).items()
                        if count >= PHRASE_MIN_COUNT
                        and count > PHRASE_FACTOR * (reference[phrase] + 1)]
            if repeated:
                repeated.sort(reverse=True)
                shown = "; ".join(f"'{p}' {c} times (text: {reference[p]})"
                                  for c, p in repeated[:3])
                fail("repeats", f"{e.form} repeats {len(repeated)} phrases of {PHRASE_WORDS} words "
                     f"beyond the text edition, e.g. {shown}")
    for e in editions:
        noise = [w for w in e.words if is_noise(w)]
        if noise:
            fail("noise", f"{e.form} flashes {len(noise)} words of binary noise, e.g. "
                 + " ".join(ascii(w) for w in noise[:5]))
        for shown, size, _, cpu, _, _ in e.results:
            allowed = TIME_BASE_S + TIME_PER_MB_S * size / 1e6
            if cpu > allowed:
                fail("time", f"{e.form} {os.path.basename(shown)} took {cpu:.2f} s for "
                     f"{size / 1e6:.2f} MB (allowed {allowed:.2f} s)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--flit-timing", default="build/tools/flit-timing/flit-timing")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args()
    if not self_test():
        return 1
    if args.self_test:
        return 0
    if not os.access(args.flit_timing, os.X_OK):
        print(f"check-books: no flit-timing at {args.flit_timing}")
        return 1

    failures = []
    with tempfile.TemporaryDirectory(prefix="check-books-") as scratch:
        books, missing = [], []
        for name, book_editions in BOOKS:
            editions, lacking = prepare(book_editions, scratch)
            missing += lacking
            books.append((name, editions))
        if missing:
            print("check-books: missing (is the package installed?):\n  " + "\n  ".join(missing))
            return 1
        jobs = [(e, f) for _, editions in books for e in editions for f in e.files]
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            runs = pool.map(lambda job: run_flit_timing(args.flit_timing, job[1][0]), jobs)
            for (e, (_, size, shown)), (words, notes, cpu, wall, error) in zip(jobs, runs):
                e.words += words
                e.note_words += notes
                e.results.append((shown, size, len(words), cpu, wall, error))
        for name, editions in books:
            check_book(name, editions, failures)

    checks = {check for _, check in failures}
    books_failed = {name for name, _ in failures}
    print(f"check-books: {len(BOOKS) - len(books_failed)} passed, {len(books_failed)} failed"
          + (f" ({len(failures)} failures in checks: {', '.join(sorted(checks))})"
             if failures else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
