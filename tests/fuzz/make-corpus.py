#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds are the project's own samples and small hand-made inputs, good and bad: for the
settings loader, variants of corpus/timing_settings/default.xml (the table as flit-timing
--save-settings writes it); for the importers, texts with every kind of fault; for flit-timing,
the same texts behind its four option bytes. Run it from anywhere; it rewrites every seed it
makes and leaves default.xml alone.
"""

import io
import os
import shutil
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
SAMPLES = os.path.join(ROOT, "samples")
CORPUS = os.path.join(HERE, "corpus")

FIELDS = [
    "speed",
    "wd_base_value_adj_percentage",
    "wd_longer_word_adj_percentage",
    "wd_all_caps_adj_percentage",
    "wd_all_nums_adj_percentage",
    "iwd_base_value_adj_percentage",
    "iwd_comma_adj_percentage",
    "iwd_period_adj_percentage",
    "iwd_newline_adj_percentage",
    "rest_delay_adj_percentage",
    "sustain_delay_adj_percentage",
]


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def sample(name):
    with open(os.path.join(SAMPLES, name), "rb") as f:
        return f.read()


def settings(rows, root="flit_word_calcs", version="01.00"):
    """A settings document; each row is a list of field values (str or int), speed first."""
    text = '<?xml version="1.0" encoding="UTF-8"?>\n<%s><version>%s</version>' % (root, version)
    for row in rows:
        text += "<timing_table_data><version>01.00</version>"
        for name, value in zip(FIELDS, row):
            text += "<%s>%s</%s>" % (name, value, name)
        text += "</timing_table_data>"
    return text + "</%s>\n" % root


def row(speed, pct=100):
    return [speed] + [pct] * (len(FIELDS) - 1)


def settings_seeds():
    t = "timing_settings"
    with open(os.path.join(CORPUS, t, "default.xml"), "rb") as f:
        default = f.read()
    speeds = [25, 100, 250, 400, 550, 950]
    write(t, "compact.xml", settings([row(s) for s in speeds]))
    write(t, "three-rows.xml", settings([row(20), row(90), row(240)]))
    write(t, "one-row-partial.xml",
          "<flit_word_calcs><timing_table_data><speed>10</speed></timing_table_data>"
          "</flit_word_calcs>")
    write(t, "no-rows.xml", "<flit_word_calcs/>")
    write(t, "other-version.xml", settings([row(s, 90) for s in speeds], version="02.07"))
    write(t, "wrong-root.xml", settings([row(s) for s in speeds], root="flit_word_calc"))
    write(t, "seven-rows.xml", settings([row(s) for s in speeds + [1000]]))
    write(t, "descending-speeds.xml", settings([row(s) for s in reversed(speeds)]))
    write(t, "equal-speeds.xml", settings([row(s) for s in [25, 100, 250, 400, 550, 550]]))
    write(t, "negative-percentages.xml",
          settings([row(s, -17) for s in speeds]))
    write(t, "negative-speeds.xml", settings([row(s) for s in [-500, -20, 0, 1, 2, 3]]))
    write(t, "huge-numbers.xml",
          settings([row(s, "99999999999999999999") for s in speeds]))
    write(t, "int-limits.xml",
          settings([row(-2147483648, 2147483647), row(0, -2147483648), row(1, 2147483647),
                    row(2, -2147483648), row(3, 2147483647), row(2147483647, 2147483647)]))
    write(t, "large-percentages.xml", settings([row(s, 1000000) for s in speeds]))
    write(t, "not-numbers.xml",
          settings([[s] + ["lots", " 12 ", "0x10", "1e3", "+5", "--1", "", "1.5", "12abc", "\t7\n"]
                    for s in speeds]))
    write(t, "truncated.xml", default[: len(default) // 2])
    write(t, "truncated-in-tag.xml", default[:200])
    write(t, "empty.xml", b"")
    write(t, "only-declaration.xml", b'<?xml version="1.0"?>\n')
    write(t, "malformed-unclosed.xml", "<flit_word_calcs><timing_table_data>")
    write(t, "malformed-mismatched.xml",
          "<flit_word_calcs><timing_table_data><speed>25</timing_table_data></speed>"
          "</flit_word_calcs>")
    write(t, "malformed-attributes.xml",
          '<flit_word_calcs a="1" a="2"><timing_table_data speed=25/></flit_word_calcs>')
    write(t, "two-roots.xml", "<flit_word_calcs/><flit_word_calcs/>")
    write(t, "binary.bin", bytes([0x7F, 0x45, 0x4C, 0x46, 0x02, 0x01, 0x01, 0x00]) +
          bytes(range(256)))
    write(t, "nul-inside.xml", default[:120] + b"\x00" + default[120:])
    write(t, "invalid-utf8.xml",
          b"<flit_word_calcs><version>\xff\xfe\xc0\xaf</version></flit_word_calcs>")
    write(t, "utf16.xml", '<?xml version="1.0" encoding="UTF-16"?><flit_word_calcs/>'
          .encode("utf-16"))
    write(t, "latin1.xml", '<?xml version="1.0" encoding="ISO-8859-1"?>'
          '<flit_word_calcs><version>\xe9</version></flit_word_calcs>'.encode("latin-1"))
    write(t, "doctype-entities.xml",
          '<?xml version="1.0"?>\n<!DOCTYPE flit_word_calcs [\n'
          '<!ENTITY a "1234567890">\n'
          '<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">\n'
          '<!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">\n'
          '<!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">\n'
          '<!ENTITY n "250">\n]>\n'
          "<flit_word_calcs><version>&d;</version><timing_table_data><speed>&n;</speed>"
          "</timing_table_data></flit_word_calcs>\n")
    write(t, "doctype-external.xml",
          '<?xml version="1.0"?>\n<!DOCTYPE flit_word_calcs [\n'
          '<!ENTITY outside SYSTEM "file:///etc/hostname">\n]>\n'
          "<flit_word_calcs><version>&outside;</version></flit_word_calcs>\n")
    write(t, "doctype-recursive.xml",
          '<?xml version="1.0"?>\n<!DOCTYPE flit_word_calcs [\n'
          '<!ENTITY a "&b;">\n<!ENTITY b "&a;">\n]>\n'
          "<flit_word_calcs><version>&a;</version></flit_word_calcs>\n")
    write(t, "cdata-comments.xml",
          "<!-- before --><flit_word_calcs><?pi data?><timing_table_data>"
          "<speed><![CDATA[30]]></speed><!-- c --><wd_base_value_adj_percentage>1<!-- x -->2"
          "</wd_base_value_adj_percentage></timing_table_data></flit_word_calcs>")
    write(t, "namespaces.xml",
          '<f:flit_word_calcs xmlns:f="urn:x"><f:timing_table_data><speed>5</speed>'
          "</f:timing_table_data></f:flit_word_calcs>")
    write(t, "nested-rows.xml",
          "<flit_word_calcs><timing_table_data><timing_table_data><speed>1</speed>"
          "</timing_table_data></timing_table_data></flit_word_calcs>")
    depth = 10000
    write(t, "deep-nesting.xml", "<flit_word_calcs>" + "<a>" * depth + "</a>" * depth +
          "</flit_word_calcs>")
    write(t, "deep-nesting-in-field.xml",
          "<flit_word_calcs><timing_table_data><speed>" + "<b>" * depth + "7" + "</b>" * depth +
          "</speed></timing_table_data></flit_word_calcs>")
    write(t, "deep-nesting-unclosed.xml", "<flit_word_calcs>" + "<a>" * depth)


# Texts with every fault and every odd corner the importers must take or refuse cleanly.
TEXTS = {
    "empty.txt": b"",
    "only-spaces.txt": b"   ",
    "only-whitespace.txt": b" \t\v\f \r\n\n\r\t ",
    "one-word.txt": b"word",
    "long-word.txt": b"a" * 5000,
    "long-caps-word.txt": b"N" * 4000 + b".",
    "long-number.txt": b"7" * 4000,
    "long-word-in-text.txt": b"Before " + b"x" * 3600 + b", after.\n",
    "long-line-of-words.txt": b"go " * 1500,
    "invalid-utf8-ff.txt": b"good \xff bad",
    "invalid-utf8-continuation.txt": b"\x80lone continuation",
    "invalid-utf8-overlong.txt": b"over \xc0\xaf long",
    "invalid-utf8-surrogate.txt": b"half \xed\xa0\x80 pair",
    "invalid-utf8-above-max.txt": b"big \xf4\x90\x80\x80 one",
    "invalid-utf8-truncated.txt": b"ends in the middle \xe2\x82",
    "invalid-utf8-second-line.txt": b"line one\r\nline \xce two\n",
    "nul-bytes.txt": b"a\x00b \x00\x00 c",
    "nul-only.txt": b"\x00",
    "crlf.txt": b"one\r\ntwo\r\n\r\nthree\r\n",
    "lone-cr.txt": b"one\rtwo\r\rthree\r",
    "mixed-line-breaks.txt": b"a\r\r\n\n\rb\n\r\nc",
    "control-characters.txt": b"bell\x07 escape\x1b[0m back\x08space \x01\x02\x03",
    "noncharacters.txt": "fe \ufffe ff \uffff end \U0010ffff".encode("utf-8"),
    "bom.txt": b"\xef\xbb\xbfStarts with a byte order mark.",
    "wrapped-paragraphs.txt": b"A line wrapped\ninside its paragraph.\n \t\nThe next one.\n",
    "windows-1252.txt": b"Caf\xe9 cr\xe8me \x93quoted\x94 \x80 5 \x96 dash\n",
    "windows-1252-undefined.txt": b"caf\xe9 \x81 not a text",
    "utf16-le.txt": "\ufeffCaf\u00e9 line\r\nnext".encode("utf-16-le"),
    "utf16-be.txt": "\ufeffCaf\u00e9 line\nnext".encode("utf-16-be"),
    "utf16-lone-surrogate.txt": b"\xff\xfea\x00\x00\xd8b\x00",
    "png-header.txt": b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR",
    "zip-not-epub.txt": b"PK\x03\x04\x14\x00\x00\x00\x08\x00",
    "control-heavy.txt": b"\x01\x02\x03\x04\x05\x06 a b",
    "multibyte.txt": "Caf\u00e9 na\u00efve \u65e5\u672c\u8a9e \U0001f600 \u00e9\u0301".encode(
        "utf-8"),
    "punctuation.txt": b"Mr. Smith, Dr. J. Doe; (aside) NASA! 1999? end: <x> yes.\n",
    "xml-specials.txt": b"<svg> & \"quotes\" 'apos' ]]> <!-- -->",
}

MARKUP = {
    "every-directive.flit":
        "{page 1}{speed 300}{view 1}{command 2}Start{rest 2} {sustain 1}\n"
        "{bold}bold{/bold} {highlight}lit{/highlight} {colour #C83228}red{colour} "
        "{colour #1E6E3C flag}flag{colour}\n"
        "{background media/sky.png 1}over sky{background} {lgraphic media/chart.png 2}"
        "{bgraphic media/gull.png pause}{bgraphic a.png 3}{sound media/horn.wav}"
        "{video media/ferry.gif}\n"
        "{assessment What   is the tide doing?  }{review}{link https://example.org/x}"
        "{mailto someone@example.org}\n"
        "{note glossary 1}{note course 2}{note rapid 3}{note user 4}{dogear 5}\n"
        "{email 0}{attachment announce}{attachment skip}{attachment info}{page 2 hidden}"
        "{{literal}} brac{{es}} end}}\n",
    "directives-glued.flit": "sea{rest 2}wall{bold}x{/bold}{{y}}{sound b.wav}z",
    "same-file-twice.flit": "{sound b.wav}one{sound b.wav}two{lgraphic ./b.wav 1}",
    "empty-file.flit": "{sound empty}",
    "blanks-in-directive.flit": "{\trest\t 3 \v}{ page\f7 }",
    "limits.flit": "{rest 4294967295}{page 0}{view 4294967295}{command 0}",
    "unknown-directive.flit": "text {fog} more",
    "empty-directive.flit": "a { } b",
    "empty-braces.flit": "a {} b",
    "unclosed-end-of-text.flit": "ends {rest 2",
    "unclosed-end-of-line.flit": "line {rest 2\n1}",
    "unclosed-cr.flit": "line {rest 2\r1}",
    "unclosed-next-brace.flit": "{rest {2}}",
    "stray-close.flit": "a } b",
    "lone-open.flit": "{",
    "lone-close.flit": "}",
    "triple-braces.flit": "{{{rest 1}}}",
    "rest-missing-number.flit": "{rest}",
    "rest-not-number.flit": "{rest two}",
    "rest-negative.flit": "{rest -1}",
    "rest-too-large.flit": "{rest 4294967296}",
    "rest-huge.flit": "{rest 99999999999999999999999999}",
    "rest-extra.flit": "{rest 1 2}",
    "too-many-arguments.flit": "{rest 1 2 3 4 5 6 7 8}",
    "bold-twice.flit": "{bold}a{bold}b",
    "bold-end-alone.flit": "{/bold}",
    "highlight-end-alone.flit": "a{/highlight}",
    "bold-argument.flit": "{bold yes}",
    "colour-short.flit": "{colour #12345}",
    "colour-not-hex.flit": "{colour #GGGGGG}",
    "colour-no-hash.flit": "{colour C83228}",
    "colour-bad-flag.flit": "{colour #C83228 flags}",
    "colour-extra.flit": "{colour #C83228 flag more}",
    "page-bad-word.flit": "{page 3 shown}",
    "page-missing.flit": "{page}",
    "note-bad-kind.flit": "{note footnote 1}",
    "note-missing-number.flit": "{note glossary}",
    "note-missing-kind.flit": "{note}",
    "attachment-bad.flit": "{attachment open}",
    "attachment-missing.flit": "{attachment}",
    "assessment-empty.flit": "{assessment}",
    "link-missing.flit": "{link}",
    "mailto-extra.flit": "{mailto a@b c@d}",
    "review-extra.flit": "{review now}",
    "speed-word.flit": "{speed fast}",
    "hold-not-number.flit": "{lgraphic media/chart.png long}",
    "hold-pause-not-allowed.flit": "{background media/sky.png pause}",
    "sound-extra.flit": "{sound media/horn.wav 3}",
    "missing-file.flit": "{sound missing.wav}",
    "missing-file-in-folder.flit": "{lgraphic media/nothere.png 2}",
    "missing-absolute.flit": "{background /nonexistent/flit/x.png}",
    "file-is-folder.flit": "{video media}",
    "file-parent.flit": "{sound ../nothere.wav}",
    "file-missing-name.flit": "{sound}",
    "file-huge.flit": "{sound huge.bin}",
    "file-huge-held.flit": "{lgraphic huge.bin 2}{background huge.bin}",
    "error-after-multibyte.flit": "\u65e5\u672c \U0001f600 {fog}".encode("utf-8"),
    "error-on-third-line.flit": "one\r\ntwo\rthree {rest x}",
    "long-directive.flit": "{" + "x" * 300 + "}",
    "long-argument.flit": "{rest " + "9" * 300 + "}",
    "multibyte-argument.flit": "{note \u00e9t\u00e9 1}",
    "invalid-utf8-in-directive.flit": b"{rest \xff}",
    "nul-in-directive.flit": b"{rest \x001}",
}


def text_seeds():
    samples = {name: sample(name) for name in ["harbour.txt", "lighthouse.txt",
                                                "harbour-tour.flit"]}
    for name, data in list(samples.items()) + list(TEXTS.items()):
        write("plain_text", name, data)
    for name, data in list(samples.items()) + list(TEXTS.items()) + list(MARKUP.items()):
        write("markup", name, data)

    # flit-timing: option bytes (format, speed, word length) before each text.
    def options(marked_up, wpm, word_length):
        value = wpm - 1
        return bytes([1 if marked_up else 0, value >> 8, value & 0xFF, word_length])

    for name, data in samples.items():
        flit = name.endswith(".flit")
        write("flit_timing", name, options(flit, 250, 0) + data)
        write("flit_timing", "fast-" + name, options(flit, 5000, 0) + data)
        write("flit_timing", "slow-split-" + name, options(flit, 1, 3) + data)
    for name, data in TEXTS.items():
        write("flit_timing", name, options(False, 250, 0) + data)
    for name in ["every-directive.flit", "directives-glued.flit", "unknown-directive.flit",
                 "missing-file.flit", "unclosed-end-of-line.flit", "file-huge.flit"]:
        data = MARKUP[name]
        write("flit_timing", name, options(True, 350, 0) + (
            data.encode("utf-8") if isinstance(data, str) else data))
    write("flit_timing", "long-word-slow.txt", options(False, 1, 0) + b"w" * 4000)
    write("flit_timing", "long-word-fast.txt", options(False, 5000, 0) + b"W" * 4000)
    write("flit_timing", "long-word-split.txt", options(False, 700, 2) + b"z" * 4000)
    write("flit_timing", "short.bin", b"\x01\x02")


def pdf(pages, info=None, catalog_extra="", trailer_extra=""):
    """A PDF written by hand with uncompressed content streams, so that mutations reach the text
    operators: pages is a list of (content stream, page dictionary extras)."""
    objects = ["<< /Type /Catalog /Pages 2 0 R %s >>" % catalog_extra, None,
               "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
    kids = []
    for content, extra in pages:
        objects.append("<< /Length %d >>\nstream\n%s\nendstream" % (len(content) + 1, content))
        objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents %d 0 R "
                       "/Resources << /Font << /F1 3 0 R >> >> %s >>" % (len(objects), extra))
        kids.append("%d 0 R" % len(objects))
    objects[1] = "<< /Type /Pages /Kids [%s] /Count %d >>" % (" ".join(kids), len(kids))
    if info:
        objects.append(info)
    out = b"%PDF-1.4\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body.encode("latin-1"))
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    trailer = "/Size %d /Root 1 0 R %s %s" % (len(objects) + 1, trailer_extra,
                                               "/Info %d 0 R" % len(objects) if info else "")
    out += b"trailer\n<< %s >>\nstartxref\n%d\n%%%%EOF\n" % (trailer.encode(), xref)
    return out


def pdf_seeds():
    t = "pdf"
    lines = ("BT /F1 12 Tf 72 700 Td (The harbour woke before the exam-) Tj 0 -14 Td "
             "(ple town did. Gulls) Tj 0 -28 Td (rose over the wall.) Tj ET")
    heading = "BT /F1 20 Tf 72 760 Td (Chapter One) Tj ET " + lines
    book = pdf([(heading, ""), (lines, ""), (lines, "/Rotate 90")],
               info="<< /Title (Harbour Notes) >>",
               catalog_extra="/PageLabels << /Nums [0 << /S /r >> 1 << /S /D /St 7 >>] >>")
    write(t, "book.pdf", book)
    write(t, "rotated-text.pdf", pdf([("BT /F1 12 Tf 0 1 -1 0 300 100 Tm (Sideways text.) Tj "
                                       "ET", "")]))
    write(t, "no-text.pdf", pdf([("0 0 1 rg 72 72 200 200 re f", "")]))
    write(t, "no-pages.pdf", pdf([]))
    write(t, "truncated.pdf", book[: len(book) // 2])
    write(t, "locked.pdf", pdf([(lines, "")], trailer_extra=(
        "/Encrypt << /Filter /Standard /V 1 /R 2 /O <%s> /U <%s> /P -4 >> /ID [<00> <00>]"
        % ("11" * 32, "22" * 32))))
    write(t, "garbage.pdf", b"%PDF-1.7\n\x00\xff garbage")
    write(t, "empty.pdf", b"")


def mobi_seeds():
    """The sample book's Kindle editions, whole, locked, cut short and with a damaged header."""
    t = "mobi"
    for name in ["harbour-book.azw3", "harbour-book.mobi"]:
        book = sample(name)
        kind = name.rsplit(".", 1)[1]
        record0 = int.from_bytes(book[78:82], "big")
        write(t, name, book)
        if kind == "mobi":
            write(t, "harbour-book-ncx.mobi", sample("harbour-book-ncx.mobi"))
        write(t, "drm." + kind, book[:record0 + 12] + b"\0\2" + book[record0 + 14:])
        write(t, "truncated." + kind, book[: len(book) // 2])
        write(t, "huge-text." + kind, book[:record0 + 4] + b"\xff" * 4 + book[record0 + 8:])
    write(t, "not-mobipocket.mobi", book[:record0 + 16] + b"MOBY" + book[record0 + 20:])
    write(t, "header-only.mobi", book[:78])



def fb2_zip(entries):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            # A fixed date, so that the seeds come out the same on every run.
            z.writestr(zipfile.ZipInfo(name, (2026, 1, 1, 0, 0, 0)), data, zipfile.ZIP_DEFLATED)
    return out.getvalue()


def fb2_seeds():
    t = "fb2"
    book = sample("harbour-book.fb2")
    head = "<?xml version='1.0' encoding='%s'?>\n<FictionBook>"
    write(t, "harbour-book.fb2", book)
    write(t, "windows-1251.fb2", (head % "windows-1251").encode() +
          b"<body><section><title><p>\xcc\xee\xf0\xe5</p></title><p>\xe2\xee\xe4\xe0</p>"
          b"</section></body></FictionBook>")
    write(t, "book.fb2.zip", fb2_zip([("book.fb2", book)]))
    write(t, "zip-without-fb2.zip", fb2_zip([("readme.txt", b"no book")]))
    write(t, "zip-with-two.zip", fb2_zip([("a.fb2", book), ("b.fb2", book)]))
    write(t, "not-well-formed.fb2", (head % "UTF-8") + "<body><p>open</body></FictionBook>")
    write(t, "not-fictionbook.fb2", "<html><body><p>page</p></body></html>")
    write(t, "notes-only.fb2", (head % "UTF-8") + "<body name='notes'><p>n</p></body></FictionBook>")
    write(t, "nested.fb2", (head % "UTF-8") + "<body>" + "<section><title><p>T</p></title>" * 40 +
          "<p>deep</p>" + "</section>" * 40 + "</body></FictionBook>")
    write(t, "entities.fb2", "<!DOCTYPE FictionBook [<!ENTITY e 'sea'>]><FictionBook><body>"
          "<p>&e; &amp; &#173;wall<![CDATA[ <cdata> ]]></p></body></FictionBook>")
    write(t, "empty.fb2", b"")


def main():
    for target in ["plain_text", "markup", "flit_timing", "pdf", "mobi", "fb2"]:
        shutil.rmtree(os.path.join(CORPUS, target), ignore_errors=True)
    keep = os.path.join(CORPUS, "timing_settings", "default.xml")
    for name in os.listdir(os.path.join(CORPUS, "timing_settings")):
        path = os.path.join(CORPUS, "timing_settings", name)
        if path != keep:
            os.remove(path)
    settings_seeds()
    text_seeds()
    pdf_seeds()
    mobi_seeds()
    fb2_seeds()


if __name__ == "__main__":
    main()
