#!/usr/bin/env python3
"""Hostile documents against flit-timing: each is generated here from a few lines, read by the
tool, and must get a clear refusal or a correct reading within the time and memory limits
(time being the tool's processor time, which a busy machine does not stretch).

    tests/hostile/hostile.py --flit-timing PATH [--sanitized]
                             [--only NAME] [--doubling] [--table]

A refusal is a non-zero status with a short message on standard error (under MAX_MESSAGE
bytes); a reading is status 0 with the words expected. Each run is stopped as soon as it passes
the time or memory limit, so a failing case costs no more than that. --sanitized scales the
limits for a build under AddressSanitizer, which is several times slower and heavier.

Each case names what it puts to the test: "linear" (the parsers), "budget" (the limit on a
document's words and text) or "messages" (messages that quote a value cut short).

--doubling runs the other check: for each importer, a hostile input of size n and of size 2n
(best of three runs each, less the time of a tiny document of the same kind) must take no more
than DOUBLING_FACTOR times as long, plus a little slack: time linear in the input, not square.

--table prints the results as the Markdown table of docs/reliability.md.
"""

import argparse
import io
import os
import random
import re
import resource
import runpy
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(HERE, "..", "..", "samples")

TIME_LIMIT = 10.0
# How much longer than the processor limit a run may take on the wall clock of a busy machine.
WALL_FACTOR = 3
MEMORY_LIMIT = 1 << 30
MAX_MESSAGE = 300
# Under AddressSanitizer: its shadow memory and quarantine, and its slower allocation.
SANITIZED_TIME = 6.0
SANITIZED_MEMORY = 3.0

DOUBLING_FACTOR = 3.0
DOUBLING_SLACK = 0.03


# --- the inputs -------------------------------------------------------------------------------

def names(count, wide=False):
    """count distinct short attribute names: a, b, ..., ba, bb, ... (wide: more characters to
    choose from, so shorter names; XML keeps their case, HTML does not)."""
    first = "abcdefghijklmnopqrstuvwxyz" + ("ABCDEFGHIJKLMNOPQRSTUVWXYZ" if wide else "")
    rest = first + ("0123456789_-." if wide else "")
    out = []
    for number in range(count):
        name = first[number % len(first)]
        number //= len(first)
        while number:
            name += rest[number % len(rest)]
            number //= len(rest)
        out.append(name)
    return out


def attributes(count, value=False, wide=False):
    return "".join(f' {n}=""' if value else f" {n}" for n in names(count, wide))


def html_attributes(count):
    return f"<html><body><p{attributes(count)}>Wide tag.</p></body></html>".encode()


def xhtml(body):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<html xmlns="http://www.w3.org/1999/xhtml">'
            f"<head><title>T</title></head><body>{body}</body></html>").encode()


def zip_archive(entries):
    """A zip archive of (name, bytes) entries, deflated but for the first; an entry given twice
    (the same bytes object) is deflated once."""
    out, central, deflated = bytearray(), bytearray(), {}
    for number, (name, data) in enumerate(entries):
        if number == 0:
            method, packed = 0, data
        else:
            if id(data) not in deflated:
                packer = zlib.compressobj(6, zlib.DEFLATED, -15)
                deflated[id(data)] = packer.compress(data) + packer.flush()
            method, packed = 8, deflated[id(data)]
        fields = struct.pack("<HHHHHIII", 20, 0, method, 0, 0x21, zlib.crc32(data), len(packed),
                             len(data))
        central += (b"PK\x01\x02" + struct.pack("<H", 20) + fields +
                    struct.pack("<HHHHHII", len(name), 0, 0, 0, 0, 0, len(out)) + name.encode())
        out += b"PK\x03\x04" + fields + struct.pack("<HH", len(name), 0) + name.encode() + packed
    end = struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, len(entries), len(entries),
                      len(central), len(out), 0)
    return bytes(out + central + end)


def epub(chapters):
    """An EPUB of the chapters (bytes each) in spine order."""
    manifest = "".join(f'<item id="c{k}" href="c{k}.xhtml" media-type="application/xhtml+xml"/>'
                       for k in range(len(chapters)))
    spine = "".join(f'<itemref idref="c{k}"/>' for k in range(len(chapters)))
    opf = ('<?xml version="1.0" encoding="UTF-8"?><package xmlns="http://www.idpf.org/2007/opf" '
           'version="3.0" unique-identifier="id"><metadata xmlns:dc="http://purl.org/dc/elements/'
           '1.1/"><dc:identifier id="id">x</dc:identifier><dc:title>Hostile</dc:title>'
           f"<dc:language>en</dc:language></metadata><manifest>{manifest}</manifest>"
           f"<spine>{spine}</spine></package>")
    container = ('<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:'
                 'opendocument:xmlns:container"><rootfiles><rootfile full-path="content.opf" '
                 'media-type="application/oebps-package+xml"/></rootfiles></container>')
    return zip_archive([("mimetype", b"application/epub+zip"),
                        ("META-INF/container.xml", container.encode()),
                        ("content.opf", opf.encode())] +
                       [(f"c{k}.xhtml", chapter) for k, chapter in enumerate(chapters)])


def huge_chapter_epub(count):
    """count chapters of 64 MiB of two-letter words each, mostly "ab" with a few others among
    them, so that each deflates to just under the 200 times its size that zip bombs exceed: the
    whole book is a few hundred KB a chapter."""
    rng = random.Random(30)
    letters = "abcdefghijklmnopqrstuvwxyz"
    block = bytearray()
    while len(block) < 1 << 20:
        block += b"ab " * 9000
        block += " ".join(rng.choice(letters) + rng.choice(letters) for _ in range(64)).encode()
        block += b" "
    block = block[:(1 << 20) - 10].rsplit(b" ", 1)[0] + b" "
    body = b"<p>" + bytes(block) * 64 + b"</p>"
    chapter = xhtml("").replace(b"<body></body>", b"<body>" + body + b"</body>")
    return epub([chapter] * count)


def pdf(pages):
    """A minimal valid PDF of that many pages, one word each, in one flat page tree."""
    objects = ["<< /Type /Catalog /Pages 2 0 R >>",
               "<< /Type /Pages /Kids [%s] /Count %d /MediaBox [0 0 612 792] "
               "/Resources << /Font << /F1 3 0 R >> >> >>"
               % (" ".join(f"{4 + 2 * k} 0 R" for k in range(pages)), pages),
               "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    # Words and places that differ from page to page: a line at the same place on every page
    # would be taken for a running head and left out.
    for k, word in enumerate(names(pages)):
        stream = f"BT /F1 12 Tf 72 {200 + k * 37 % 400} Td (Word{word}) Tj ET"
        objects.append("<< /Type /Page /Parent 2 0 R /Contents %d 0 R >>" % (5 + 2 * k))
        objects.append(f"<< /Length {len(stream)} >>\nstream\n{stream}\nendstream")
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += f"{number} 0 obj\n{body}\nendobj\n".encode()
    xref = len(out)
    out += f"xref\n0 {len(objects) + 1}\n0000000000 65535 f \n".encode()
    out += "".join(f"{offset:010d} 00000 n \n" for offset in offsets).encode()
    out += (f"trailer\n<< /Size {len(objects) + 1} /Root 1 0 R >>\nstartxref\n{xref}\n%%EOF\n"
            .encode())
    return bytes(out)


def fb2(body):
    return ('<?xml version="1.0" encoding="UTF-8"?><FictionBook xmlns="http://www.gribuser.ru/xml/'
            'fictionbook/2.0"><description><title-info><book-title>Hostile</book-title>'
            f"<lang>en</lang></title-info></description><body><section>{body}</section></body>"
            "</FictionBook>").encode()


def mobi(html):
    """A MOBI 6 book of the HTML, written as the sample book's script writes one."""
    writer = runpy.run_path(os.path.join(SAMPLES, "make-mobi.py"))
    size = writer["RECORD_BYTES"]
    chunks = [html[i:i + size] for i in range(0, len(html), size)]
    return writer["palm_database"]([writer["record0"](len(html), len(chunks))] + chunks +
                                   [b"\xe9\x8e\r\n"])


def settings(root_attributes="", utf16=False, doctype=""):
    """The default timing-settings file, its root given attributes, in UTF-8 or UTF-16."""
    with open(os.path.join(HERE, "..", "fuzz", "corpus", "timing_settings", "default.xml")) as f:
        text = f.read()
    text = text.replace("<flit_word_calcs>", doctype + "<flit_word_calcs" + root_attributes + ">")
    if utf16:
        return b"\xff\xfe" + text.replace('"UTF-8"', '"UTF-16"').encode("utf-16-le")
    return text.encode()


def wide_settings(count):
    """A settings file whose root has count attributes, under the 1 MiB a settings file may have."""
    wide = attributes(count, True, True)
    return settings(wide[:(1 << 20) - 4000].rsplit(" ", 1)[0])


def page_directives(count):
    return ("Start " + "{page 1}" * count + " end.").encode()


# --- the cases --------------------------------------------------------------------------------

class Case:
    """One hostile input: how to make it, the arguments that read it, and what it must get.

    expect is "refuse" (a short message), "read" (status 0, with words when given) or "either".
    """

    def __init__(self, name, what, make, args=(), expect="either", words=None, part="linear",
                 stdin=False, suffix=".bin", unwanted=()):
        self.name, self.what, self.make, self.args = name, what, make, list(args)
        self.expect, self.words, self.part = expect, words, part
        self.stdin, self.suffix, self.unwanted = stdin, suffix, unwanted


CASES = [
    Case("epub-64mib-chapter", "EPUB, one 64 MiB chapter of two-letter words (370 KB)",
         lambda: huge_chapter_epub(1), part="budget", suffix=".epub"),
    Case("epub-seven-chapters", "EPUB, seven such chapters (2.6 MB)",
         lambda: huge_chapter_epub(7), part="budget", suffix=".epub"),
    Case("stdin-248mib", "248 MiB of `ab ` on standard input",
         lambda: b"ab " * ((248 << 20) // 3), stdin=True, part="budget"),
    Case("html-100k-attributes", "HTML, one element with 100,000 attributes (0.9 MB)",
         lambda: html_attributes(100_000), expect="read", words=2, suffix=".html"),
    Case("html-1m-attributes", "HTML, one element with 1,000,000 attributes (11 MB)",
         lambda: html_attributes(1_000_000), expect="read", words=2, suffix=".html"),
    Case("xhtml-100k-attributes", "XHTML, one element with 100,000 attributes",
         lambda: xhtml(f"<p{attributes(100_000, True)}>Wide tag.</p>"), expect="read", words=2,
         args=["--format", "html"], suffix=".xhtml"),
    Case("xhtml-utf16-100k-attributes", "XHTML in UTF-16, one element with 100,000 attributes",
         lambda: b"\xff\xfe" + xhtml(f"<p{attributes(100_000, True)}>Wide tag.</p>")
         .replace(b'"UTF-8"', b'"UTF-16"').decode().encode("utf-16-le"),
         expect="read", words=2, args=["--format", "html"], suffix=".xhtml"),
    Case("epub-100k-attributes", "EPUB, a chapter with an element of 100,000 attributes",
         lambda: epub([xhtml(f"<p{attributes(100_000, True)}>Wide tag.</p>")]), expect="read",
         words=2, suffix=".epub"),
    Case("fb2-100k-attributes", "FB2, an element with 100,000 attributes",
         lambda: fb2(f"<p{attributes(100_000, True)}>Wide tag.</p>"), expect="read", words=2,
         suffix=".fb2"),
    Case("mobi-100k-attributes", "MOBI, an element with 100,000 attributes",
         lambda: mobi(html_attributes(100_000)), expect="read", words=2, suffix=".mobi"),
    Case("markdown-100k-attributes", "Markdown, inline HTML with 100,000 attributes",
         lambda: f"Wide <span{attributes(100_000)}>tag</span>.\n".encode(), expect="read",
         words=2, suffix=".md"),
    Case("page-directives-300k", "marked-up text, 300,000 `{page 1}` directives (2.4 MB)",
         lambda: page_directives(300_000), expect="read", words=2, suffix=".flit"),
    Case("pdf-100k-pages", "PDF, 100,000 pages of one word (19 MB)",
         lambda: pdf(100_000), suffix=".pdf"),
    Case("settings-143k-attributes", "settings file, 143,000 attributes on one element (1 MiB)",
         lambda: wide_settings(143_000), expect="refuse", suffix=".xml"),
    Case("settings-utf16", "settings file in UTF-16 (valid)", lambda: settings(utf16=True),
         expect="read", words=2, suffix=".xml"),
    Case("settings-utf16-doctype", "settings file in UTF-16 with a DOCTYPE",
         lambda: settings(utf16=True, doctype="<!DOCTYPE flit_word_calcs>\n"),
         expect="refuse", suffix=".xml"),
    Case("directive-10mb-number", "a directive holding a 10 MB number",
         lambda: ("{page " + "9" * 10_000_000 + "} text").encode(), expect="refuse",
         part="messages", suffix=".flit"),
    Case("background-proc-self-mem", "`{background /proc/self/mem}`",
         lambda: b"Fog {background /proc/self/mem} rolls in.", expect="refuse",
         part="messages", suffix=".flit", unwanted=(b"Success", b"Error: ")),
]

# The settings cases read this text with the settings file.
SETTINGS_TEXT = b"Two words."


# --- running ----------------------------------------------------------------------------------

def peak_rss(pid):
    """The peak resident memory of a running process, in bytes (0 once it is gone)."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return 0


def run(tool, args, stdin_path, time_limit, memory_limit, out_path):
    """Runs the tool; returns (status, stderr, seconds, peak bytes, stopped reason or None).

    The seconds are the processor time the tool took (user and system): a busy machine stretches
    the wall clock, not the work. A run is stopped past the processor limit, or past WALL_FACTOR
    times it on the wall clock, whichever comes first."""
    with open(stdin_path or os.devnull, "rb") as stdin, open(out_path, "wb") as out, \
            tempfile.TemporaryFile() as err:
        start = time.monotonic()
        child = subprocess.Popen([tool] + args, stdin=stdin, stdout=out, stderr=err)
        peak, stopped = 0, None
        while True:
            pid, status, usage = os.wait4(child.pid, os.WNOHANG)
            if pid != 0:
                break
            peak = max(peak, peak_rss(child.pid))
            spent = processor_seconds(child.pid)
            if stopped is None and (spent > time_limit or peak > memory_limit
                                    or time.monotonic() - start > time_limit * WALL_FACTOR):
                stopped = "memory" if peak > memory_limit else "time"
                # Not child.kill(): it polls first and may reap the child before wait4 does.
                os.kill(child.pid, signal.SIGKILL)
            time.sleep(0.01)
        child.returncode = os.waitstatus_to_exitcode(status)
        err.seek(0)
        seconds = usage.ru_utime + usage.ru_stime
        return child.returncode, err.read(), seconds, max(peak, usage.ru_maxrss * 1024), stopped


def processor_seconds(pid):
    """The user and system time of a running process so far, in seconds (0 once it is gone)."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError):
        return 0.0


def word_count(out_path):
    """The word count of flit-timing's --summary line, or None."""
    with open(out_path, "rb") as out:
        out.seek(max(0, os.path.getsize(out_path) - 4096))
        for line in out.read().decode("utf-8", "replace").splitlines():
            summary = re.match(r"words (\d+),", line)
            if summary:
                return int(summary.group(1))
    return None


def check(case, tool, folder, limits):
    """Generates the case's input, reads it, and returns (verdict, detail, seconds, peak)."""
    path = os.path.join(folder, case.name + case.suffix)
    # Made by another process, so that this one stays small: a child starts with its parent's
    # memory counted in its peak.
    subprocess.run([sys.executable, __file__, "--make", case.name, path], check=True)
    args = ["--summary"] + case.args
    if case.name.startswith("settings"):
        text = os.path.join(folder, "text.txt")
        with open(text, "wb") as out:
            out.write(SETTINGS_TEXT)
        args += ["--settings", path, text]
    elif not case.stdin:
        args.append(path)
    out_path = os.path.join(folder, "out")
    status, err, seconds, peak, stopped = run(tool, args, path if case.stdin else None,
                                              *limits, out_path)
    words = word_count(out_path) if status == 0 else None
    os.remove(path)
    if stopped:
        return False, f"stopped past the {stopped} limit", seconds, peak
    if status < 0 or status > 2:
        return False, f"ended by status {status}: {err[-200:]!r}", seconds, peak
    if status != 0:
        if case.expect == "read":
            return False, f"refused: {err[:200]!r}", seconds, peak
        if len(err) > MAX_MESSAGE or not err.strip():
            return False, f"a message of {len(err)} bytes", seconds, peak
        if any(word in err for word in case.unwanted):
            return False, f"an unclear message: {err[:200]!r}", seconds, peak
        return True, "refused: " + err.decode("utf-8", "replace").strip(), seconds, peak
    if case.expect == "refuse":
        return False, "read, but should be refused", seconds, peak
    if case.words is not None and words != case.words:
        return False, f"read {words} words, not {case.words}", seconds, peak
    return True, f"read: {words} words", seconds, peak


# --- doubling ---------------------------------------------------------------------------------

# For each importer: a hostile input of size n, its arguments, and n (about 0.1 s of work).
DOUBLING = [
    ("text", lambda n: b"ab " * n, [], 400_000, ".txt"),
    ("text, one long line", lambda n: b"a" * n, [], 8_000_000, ".txt"),
    ("markup", page_directives, [], 100_000, ".flit"),
    ("markdown", lambda n: f"Wide <span{attributes(n)}>tag</span>.\n".encode(), [], 400_000,
     ".md"),
    ("markdown, open delimiters", lambda n: b"[*a_ `" * n + b"\n", [], 30_000, ".md"),
    ("HTML", html_attributes, [], 1_000_000, ".html"),
    ("HTML, many elements", lambda n: b"<html><body>" + b"<p id=a>ab</p>" * n, [], 100_000,
     ".html"),
    ("XHTML", lambda n: xhtml(f"<p{attributes(n, True)}>Wide tag.</p>"), ["--format", "html"],
     500_000, ".xhtml"),
    ("EPUB", lambda n: epub([xhtml(f"<p{attributes(n, True)}>Wide.</p>")] + [xhtml("<p>ab</p>")]
                           * (n // 100)), [], 100_000, ".epub"),
    # PDF is left out: poppler copies its whole table of objects for each page's text, so that
    # its time grows with pages times objects; the importer reads at most 10,000 pages.
    ("FB2", lambda n: fb2(f"<p{attributes(n, True)}>Wide tag.</p>" + "<p>ab</p>" * n), [],
     50_000, ".fb2"),
    ("MOBI", lambda n: mobi(html_attributes(n)), [], 1_000_000, ".mobi"),
    ("settings", lambda n: settings("><x/" * n), ["--settings"], 50_000, ".xml"),
    ("settings, attributes", wide_settings, ["--settings"], 60_000, ".xml"),
]


def best_time(tool, args, runs=3):
    """The shortest processor time (user and system) of runs runs, and the exit status: other
    work on a busy machine stretches the wall clock, not the tool's own work."""
    best = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        status = subprocess.run([tool] + args, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                timeout=120).returncode
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        seconds = (after.ru_utime + after.ru_stime) - (before.ru_utime + before.ru_stime)
        best = seconds if best is None else min(best, seconds)
    return best, status


def doubling(tool, folder, factor_scale):
    failed = 0
    text = os.path.join(folder, "text.txt")
    with open(text, "wb") as out:
        out.write(SETTINGS_TEXT)
    for name, make, args, n, suffix in DOUBLING:
        # A square grows fourfold every time; a busy machine only now and then: a failed
        # comparison is measured again.
        for attempt in range(3):
            times, statuses = [], set()
            for size in (1, n, 2 * n):
                path = os.path.join(folder, "doubling" + suffix)
                with open(path, "wb") as out:
                    out.write(make(size))
                run_args = ["--summary"] + args + ([path, text] if args == ["--settings"]
                                                   else [path])
                seconds, status = best_time(tool, run_args)
                times.append(seconds)
                statuses.add(status if size > 1 else 0)
            base, single, double = times
            work, doubled = max(single - base, 0.0), max(double - base, 0.0)
            # Both sizes read alike (both read, or both refused), in time linear in their size.
            alike = len(statuses) == 1 or statuses == {0, 1}
            ok = alike and doubled <= DOUBLING_FACTOR * work + DOUBLING_SLACK * factor_scale
            if ok or not alike:
                break
        failed += not ok
        print(f"{'ok  ' if ok else 'FAIL'} {name:26} n {n:>9,}: {work * 1000:7.1f} ms, "
              f"2n: {doubled * 1000:7.1f} ms (x{doubled / work if work else 0:.2f})"
              f"{'' if alike else ', read differently: ' + str(sorted(statuses))}")
    return failed


def main():
    if sys.argv[1:2] == ["--make"]:
        name, path = sys.argv[2:4]
        with open(path, "wb") as out:
            out.write(next(case for case in CASES if case.name == name).make())
        return 0
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--flit-timing", required=True)
    parser.add_argument("--sanitized", action="store_true")
    parser.add_argument("--only", help="run only the case of this name")
    parser.add_argument("--doubling", action="store_true")
    parser.add_argument("--table", action="store_true")
    options = parser.parse_args()
    time_limit = TIME_LIMIT * (SANITIZED_TIME if options.sanitized else 1)
    memory_limit = MEMORY_LIMIT * (SANITIZED_MEMORY if options.sanitized else 1)
    with tempfile.TemporaryDirectory(prefix="flit-hostile-") as folder:
        if options.doubling:
            failed = doubling(options.flit_timing, folder, SANITIZED_TIME if options.sanitized
                              else 1)
            print(f"{len(DOUBLING) - failed} passed, {failed} failed")
            return 1 if failed else 0
        passed = failed = 0
        for case in CASES:
            if options.only and case.name != options.only:
                continue
            ok, detail, seconds, peak = check(case, options.flit_timing, folder,
                                              (time_limit, memory_limit))
            if options.table:
                print(f"| {case.what} | {detail} | {seconds:.2f} s | {peak / (1 << 20):.0f} MiB |")
                continue
            mark = "ok  " if ok else "FAIL"
            print(f"{mark} {case.name:30} {seconds:6.2f} s {peak / (1 << 20):7.0f} MiB  "
                  f"[{case.part}] {detail[:150]}")
            passed += ok
            failed += not ok
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
