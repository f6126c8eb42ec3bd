#!/usr/bin/env python3
"""Writes the sample book's Kindle editions: samples/harbour-book.mobi, .azw3 and -ncx.mobi.

harbour-book.mobi is written here, byte for byte, as a MOBI 6 book: a Palm database of type
BOOKMOBI whose record 0 holds the PalmDOC header (text stored uncompressed), the MOBI header
and an EXTH header (title, author, language), followed by the text records and an end record.
The text is the chapters of make-epub.py as one HTML document, chapters separated by page
breaks, with a contents page that the guide names and that links to each chapter (and to the
keeper's log) by "filepos" byte offsets, as Kindle books of that generation do.

harbour-book.azw3 (KF8, with its skeleton, fragment and NCX indexes) and harbour-book-ncx.mobi
(MOBI 6 with an NCX index) are converted from harbour-book.epub by calibre's ebook-convert when
--azw3 is given (Debian: apt-get install calibre); they are committed, so this needs running only
when the sample book changes:

    python3 samples/make-mobi.py [--azw3]
"""

import os
import re
import runpy
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
MOBI = os.path.join(HERE, "harbour-book.mobi")
AZW3 = os.path.join(HERE, "harbour-book.azw3")
NCX_MOBI = os.path.join(HERE, "harbour-book-ncx.mobi")
EPUB = os.path.join(HERE, "harbour-book.epub")
TITLE = "A Day in Wrexhaven"
RECORD_BYTES = 4096
NOT_SET = 0xFFFFFFFF
# Fixed so that the file is the same on every run: 2024-05-01 06:00 UTC as Palm seconds.
PALM_TIME = 1714543200 + 2082844800

# The sample book's chapters, as make-epub.py writes them.
CHAPTERS = runpy.run_path(os.path.join(HERE, "make-epub.py"))["CHAPTERS"]


def ref(name):
    """A filepos placeholder as wide as the ten digits that replace it."""
    return "@" + name.ljust(8, "_") + "@"


def book_html():
    """The book as MOBI 6 HTML, with filepos placeholders and anchor markers still in it."""
    contents = []
    parts = ['<html><head><guide><reference type="toc" title="Contents" filepos=%s /></guide>'
             '</head><body>' % ref("toc"), '<a id="@toc-at@"></a><h1>Contents</h1>']
    for number, (name, title, body) in enumerate(CHAPTERS, start=1):
        contents.append('<p><a filepos=%s>%s</a></p>' % (ref("ch%d" % number), title))
        parts.append(f'<mbp:pagebreak/><a id="@ch{number}-at@"></a><h1>{number}. {title}</h1>')
        # The keeper's log is a section the contents page links to.
        parts.append(body.replace('<h2 id="keeper">', '<a id="@keeper-at@"></a><h2>'))
    contents.append("<p><a filepos=%s>The keeper's log</a></p>" % ref("keeper"))
    parts.insert(2, "\n".join(contents))
    parts.append("</body></html>")
    return "".join(parts)


def resolve_fileposes(html):
    """Takes out each anchor marker and puts its byte offset in place of each placeholder."""
    data = html.encode("utf-8")
    offsets = {}
    while True:
        found = re.search(rb'<a id="@([a-z0-9]+)-at@"></a>', data)
        if not found:
            break
        offsets[found.group(1).decode()] = found.start()
        data = data[:found.start()] + data[found.end():]
    return re.sub(rb"@([a-z0-9]+)_*@", lambda m: b"%010d" % offsets[m.group(1).decode()], data)


def exth(records):
    body = b"".join(struct.pack(">II", tag, 8 + len(value)) + value for tag, value in records)
    header = b"EXTH" + struct.pack(">II", 12 + len(body), len(records)) + body
    return header + b"\0" * (-len(header) % 4)


def record0(text_length, text_records):
    name = TITLE.encode("utf-8")
    exth_bytes = exth([(100, b"FlitEngine samples"), (503, name), (524, b"en")])
    mobi_length = 232
    full_name_offset = 16 + mobi_length + len(exth_bytes)
    palmdoc = struct.pack(">HHIHHHH", 1, 0, text_length, text_records, RECORD_BYTES, 0, 0)
    mobi = b"MOBI" + struct.pack(
        ">IIIII", mobi_length, 2, 65001, 0x5A17, 6)
    mobi += struct.pack(">10I", *([NOT_SET] * 10))
    mobi += struct.pack(">IIIIIIIIIIIII", text_records + 1, full_name_offset, len(name), 9, 0, 0,
                        6, NOT_SET, 0, 0, 0, 0, 0x50)
    mobi += b"\0" * 32
    mobi += struct.pack(">IIIII", NOT_SET, NOT_SET, 0, 0, 0) + b"\0" * 8
    mobi += struct.pack(">HHI", 1, text_records, 1)
    mobi += struct.pack(">IIII", NOT_SET, 0, NOT_SET, 0) + b"\0" * 8
    mobi += struct.pack(">IIII", NOT_SET, 0, NOT_SET, NOT_SET)
    mobi += struct.pack(">HHI", 0, 0, NOT_SET)
    assert len(mobi) == mobi_length
    data = palmdoc + mobi + exth_bytes + name
    return data + b"\0" * (2 + (-(len(data) + 2) % 4))


def palm_database(records):
    header = TITLE.encode("utf-8")[:31].ljust(32, b"\0")
    header += struct.pack(">HHIIIIII", 0, 0, PALM_TIME, PALM_TIME, 0, 0, 0, 0)
    header += b"BOOKMOBI" + struct.pack(">IIH", 2 * len(records) - 1, 0, len(records))
    offset = len(header) + 8 * len(records) + 2
    entries = b""
    for number, record in enumerate(records):
        entries += struct.pack(">II", offset, 2 * number)
        offset += len(record)
    return header + entries + b"\0\0" + b"".join(records)


def write_mobi():
    text = resolve_fileposes(book_html())
    chunks = [text[i:i + RECORD_BYTES] for i in range(0, len(text), RECORD_BYTES)]
    records = [record0(len(text), len(chunks))] + chunks + [b"\xe9\x8e\r\n"]
    with open(MOBI, "wb") as out:
        out.write(palm_database(records))
    print(f"wrote {MOBI} ({os.path.getsize(MOBI)} bytes)")


def convert(target, *options):
    tool = shutil.which("ebook-convert")
    if tool is None:
        sys.exit("ebook-convert not found: install calibre to write the converted editions")
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "book" + os.path.splitext(target)[1])
        subprocess.run([tool, EPUB, out, "--no-inline-toc", *options], check=True,
                       stdout=subprocess.DEVNULL,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        shutil.copyfile(out, target)
    print(f"wrote {target} ({os.path.getsize(target)} bytes)")


if __name__ == "__main__":
    write_mobi()
    if "--azw3" in sys.argv[1:]:
        convert(AZW3)
        convert(NCX_MOBI, "--mobi-file-type", "old")
