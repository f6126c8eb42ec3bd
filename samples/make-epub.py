#!/usr/bin/env python3
"""Writes samples/harbour-book.epub, a small EPUB 3 book of our own, from the text below.

Three chapters about a harbour town in spine order, a navigation document whose table of
contents points at each chapter and at one section inside the last, and a colophon kept out of
the reading order (linear="no"). The chapters use the structure the reader maps to items:
headings, paragraphs, emphasis, a marked phrase, a list, a line break and a named entity.

The archive is the same byte for byte on every run (fixed dates, fixed order), so it can be
committed beside this script:  python3 samples/make-epub.py
"""

import os
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, "harbour-book.epub")
DATE = (2024, 5, 1, 6, 0, 0)

CHAPTERS = [
    ("dawn", "Dawn at the Quay", """
<p>Before the bells of Saint Brannoc ring six, the quay at Wrexhaven is already awake. Gulls
argue over the net sheds, and the tide slides back from the slipway with a sound like a long
breath.</p>
<p>Old <em>Morwen Tallack</em> unlocks the ice house first. She has done it for forty&nbsp;years,
and she says the harbour tells her the weather before the radio does.</p>
"""),
    ("market", "The Fish Market", """
<p>By seven the market hall smells of salt and diesel. The boards above the stalls list the
morning's catch:</p>
<ul>
<li>mackerel from the <strong>Lively Jane</strong></li>
<li>crab and lobster from the east pots</li>
<li>a single, enormous turbot that nobody can afford</li>
</ul>
<p>The auctioneer talks faster than anyone can listen, yet every buyer hears the one price
that matters.<br/>Then the hall is empty again &mdash; sold out by half past eight.</p>
"""),
    ("lighthouse", "The Lighthouse Walk", """
<p>In the afternoon the town climbs the cliff path to the old lighthouse.</p>
<h2 id="keeper">The keeper's log</h2>
<p>The last keeper left in 1989, but his log still lies open in the lamp room. The final entry
reads: <mark>wind west, sea moderate, all ships home</mark>.</p>
<p>Walkers read it aloud, one after another, and then go down to the harbour for their tea.</p>
"""),
]

COLOPHON = "<p>Written for FlitEngine as a sample book. Every word is our own.</p>"


def xhtml(title, body):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<!DOCTYPE html>\n'
        '<html xmlns="http://www.w3.org/1999/xhtml" xmlns:epub="http://www.idpf.org/2007/ops">\n'
        f"<head><title>{title}</title></head>\n<body>\n{body}</body>\n</html>\n"
    )


def main():
    files = []
    manifest = []
    spine = []
    toc = []
    for number, (name, title, body) in enumerate(CHAPTERS, start=1):
        files.append((f"OEBPS/{name}.xhtml", xhtml(title, f"<h1>{number}. {title}</h1>\n{body}")))
        manifest.append(f'<item id="{name}" href="{name}.xhtml" '
                        'media-type="application/xhtml+xml"/>')
        spine.append(f'<itemref idref="{name}"/>')
        toc.append(f'<li><a href="{name}.xhtml">{title}</a>')
    toc[-1] += '<ol><li><a href="lighthouse.xhtml#keeper">The keeper\'s log</a></li></ol>'
    toc = "\n".join(entry + "</li>" for entry in toc)
    files.append(("OEBPS/colophon.xhtml", xhtml("Colophon", COLOPHON)))
    manifest.append('<item id="colophon" href="colophon.xhtml" '
                    'media-type="application/xhtml+xml"/>')
    spine.append('<itemref idref="colophon" linear="no"/>')
    nav = f'<nav epub:type="toc" id="toc"><h1>Contents</h1>\n<ol>\n{toc}\n</ol></nav>\n'
    files.append(("OEBPS/nav.xhtml", xhtml("Contents", nav)))
    manifest.append('<item id="nav" href="nav.xhtml" properties="nav" '
                    'media-type="application/xhtml+xml"/>')
    package = f"""<?xml version="1.0" encoding="UTF-8"?>
<package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="id">
<metadata xmlns:dc="http://purl.org/dc/elements/1.1/">
<dc:identifier id="id">urn:flitengine:sample:harbour-book</dc:identifier>
<dc:title>A Day in Wrexhaven</dc:title>
<dc:language>en</dc:language>
<dc:creator>FlitEngine samples</dc:creator>
<meta property="dcterms:modified">2024-05-01T06:00:00Z</meta>
</metadata>
<manifest>
{chr(10).join(manifest)}
</manifest>
<spine>
{chr(10).join(spine)}
</spine>
</package>
"""
    container = """<?xml version="1.0" encoding="UTF-8"?>
<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
<rootfiles>
<rootfile full-path="OEBPS/package.opf" media-type="application/oebps-package+xml"/>
</rootfiles>
</container>
"""
    entries = [("mimetype", "application/epub+zip"), ("META-INF/container.xml", container),
               ("OEBPS/package.opf", package)] + files
    with zipfile.ZipFile(OUTPUT, "w") as book:
        for name, text in entries:
            info = zipfile.ZipInfo(name, DATE)
            info.compress_type = zipfile.ZIP_STORED if name == "mimetype" else zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            book.writestr(info, text.encode("utf-8"))
    print(f"wrote {OUTPUT} ({os.path.getsize(OUTPUT)} bytes)")


if __name__ == "__main__":
    main()
