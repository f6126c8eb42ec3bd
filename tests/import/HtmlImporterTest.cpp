#include "import/HtmlImporter.h"
#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Items as a line: a word as itself, then "*" when bold and "!" when highlighted; "_" a space,
// "/" a newline, "^n" a rapid note reference. The title follows in brackets, then each anchor as
// "#id=index", then each note as "{n:text}".
std::string describe(const CDataManager& doc, const wxString& title,
                     const std::map<std::string, std::size_t>& anchors) {
    std::string out;
    for (wxCDataInfoListNode* node = doc.getFirstNode(); node != nullptr; node = node->GetNext()) {
        CDataInfo* item = node->GetData();
        std::string text = item->getDataInfoType() == eDITSpace ? "_" : "/";
        if (auto* note = dynamic_cast<CDITRapidNoteRef*>(item)) {
            text = "^" + std::to_string(note->getValue());
        }
        if (auto* word = dynamic_cast<CDITWord*>(item)) {
            text = word->getWord();
            text += word->getStyleInfo().isOn(eStyleBold) ? "*" : "";
            text += word->getStyleInfo().isOn(eStyleHighlight) ? "!" : "";
        }
        out += (out.empty() ? "" : " ") + text;
    }
    out += title.empty() ? "" : " [" + title.utf8_string() + "]";
    for (const auto& [id, index] : anchors) {
        out += " #" + id + "=" + std::to_string(index);
    }
    for (unsigned int note = 1; note <= doc.getNoteCount(); ++note) {
        out += " {" + std::to_string(note) + ":" + doc.getNote(note)->utf8_string() + "}";
    }
    return out;
}

// How a row is read: "html" or "xhtml" through the builder, "md" as Markdown.
std::string read(const std::string& kind, const std::string& input) {
    CDocumentImporter importer;
    if (kind == "md") {
        auto md = importer.importText(input, CDocumentImporter::eMarkdown, wxString());
        return md ? describe(*md, md->getTitle(), {}) : importer.getError().utf8_string();
    }
    CDataManager doc;
    CHtmlTextBuilder builder(&doc);
    wxString error;
    const bool read = builder.append(input.data(), input.size(), kind == "xhtml", &error);
    return read ? describe(doc, builder.getTitle(), builder.getAnchors()) : error.utf8_string();
}

struct SRow {
    const char* kind;
    std::string input;
    const char* expected;
};

std::string nested(int depth) {
    std::string html;
    while (depth-- > 0)
        html += "<div>";
    return html + "deep";
}

const char kTooDeep[] = "nested too deeply: more than 256 elements inside one another";
const char kXhtml[] = "<?xml version='1.0'?><html xmlns='http://www.w3.org/1999/xhtml'><body>";

TEST(HtmlTextBuilder, MapsStructureToItems) {
    const SRow rows[] = {
        {"html", "  one \n\t two  ", "one _ two"},
        {"html", "<p>a</p><div>b</div><li>c</li><blockquote>d</blockquote><tr><td>e</td></tr>",
         "a / b / c / d / e"},
        {"html", "a<br><br>b<section>c</section>", "a / b / c"},
        {"html", "<h2>Big  news</h2>then", "Big* _ news* / then"},
        {"html", "<em>a</em> <i>b</i> <strong>c</strong> <b>d</b>ness <mark>e</mark>",
         "a* _ b* _ c* _ dness* _ e!"},
        {"html", "caf&eacute; &#x263A;&amp;&lt; co\xC2\xADop&shy;er",
         "caf\xC3\xA9 _ \xE2\x98\xBA&< _ cooper"},
        {"html", "a&nbsp;b<p>&nbsp;</p>c",
         "a\xC2\xA0"
         "b / c"},
        {"html", "<pre>x  y\n\n  z</pre>", "x _ y / z"},
        {"html",
         "<head><title> The  Harbour </title><style>p{}</style></head><script>no</script>"
         "<template>no</template><noscript>no</noscript><img alt='no'>yes",
         "yes [The Harbour]"},
        {"html", "<p id='one'>a</p><p><span id='two'></span>b</p><a name='end'></a>",
         "a / b #end=3 #one=0 #two=2"},
        {"html", "<p>\xE9t\xE9</p>", "\xC3\xA9t\xC3\xA9"},
        {"html", "", ""},
        {"xhtml", std::string(kXhtml) + "<p>x&mdash;y&nbsp;z</p><p/><p>w</p></body></html>",
         "x\xE2\x80\x94y\xC2\xA0z / w"},
        {"xhtml", std::string(kXhtml) + "<p>not<br>closed&eacute;</p></body></html>",
         "not / closed\xC3\xA9"},
        {"xhtml",
         "<?xml version='1.0'?><!DOCTYPE html [<!ENTITY t 'plain'><!ENTITY x SYSTEM "
         "'file:///etc/hostname'>]><p>&t; &x;</p>",
         "plain"},
        {"html", nested(100000), kTooDeep},
        {"xhtml", nested(100000), kTooDeep},
        // Note references follow their word; notes and asides are taken out of the text.
        {"html",
         "<p>the currency.<a epub:type='noteref' href='#n1'>1</a> More<a href='#n1'>[1]</a>"
         "</p><aside epub:type='footnote' id='n1'><p>Coins <b>were</b> gold.</p></aside>"
         "<p>After<aside>A sidebar.</aside>it</p>",
         "the _ currency. ^1 _ More ^1 / After / it #n1=8 {1:Coins were gold.}"},
        {"xhtml",
         "<?xml version='1.0'?><html xmlns='http://www.w3.org/1999/xhtml' xmlns:epub='http://"
         "www.idpf.org/2007/ops'><body><p epub:type='endnote' id='e'>Said later.</p><p>Word<a "
         "href='#e'>*</a> next</p></body></html>",
         "Word ^1 _ next #e=0 {1:Said later.}"},
        {"html",
         "<p>Rates rose<sup>[<a href='#f2'>2</a>]</sup>, then x<sup>2</sup> and y<sup>"
         "<a href='http://a.org/#b'>3</a></sup>. Fin <sup>[<a href='#f2'>2</a>]</sup>&#160;;</p>"
         "<p id='f2'>A <i>long</i> note.</p><p>End</p>",
         "Rates _ rose, ^1 _ then _ x2 _ and _ y3. _ Fin ^1 _ ; / End #f2=18 {1:A long note.}"},
        {"html",
         "<p>One<a role='doc-noteref' href='#fn1'><sup>1</sup></a> two.</p><ol><li id='fn1' "
         "role='doc-endnote'><p>Note one.<a href='#r1' role='doc-backlink'>back</a></p></li>"
         "</ol><p id='fn2'>Unreferred</p>",
         "One ^1 _ two. / Unreferred #fn1=5 #fn2=5 {1:Note one.}"},
        {"md", "# The *Quay*\n\nA **b** _c_\nd\n\n    code  x\n\n<b>raw</b> r\n\n- e",
         "The* _ Quay* / A _ b* _ c* _ d / code _ x / raw _ r / e [The Quay]"},
        {"md", "# Caf\xE9", "Caf\xC3\xA9* [Caf\xC3\xA9]"},
    };
    for (const SRow& row : rows) {
        SCOPED_TRACE(row.input.substr(0, 80));
        EXPECT_EQ(row.expected, read(row.kind, row.input));
    }
}

} // namespace
