#include "EpubFixture.h"
#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A book as one line: title and language, then "pN" for a page marker, its words ("*" after a
// bold one), "|" for a newline, "{title/level}" where a contents entry points and "^" with its
// text for a note reference.
std::string describe(CDataManager& doc) {
    std::string out = doc.getTitle().utf8_string() + "/" + doc.getLanguage() + ":";
    std::size_t index = 0;
    auto entry = doc.getContents().begin();
    for (auto* node = doc.getFirstNode(); node != nullptr; node = node->GetNext(), ++index) {
        for (; entry != doc.getContents().end() && entry->itemIndex == index; ++entry) {
            out += " {" + entry->title.utf8_string() + "/" + std::to_string(entry->level) + "}";
        }
        if (auto* word = dynamic_cast<CDITWord*>(node->GetData())) {
            out += std::string(" ") + word->getWord() +
                   (word->getStyleInfo().isOn(eStyleBold) ? "*" : "");
        } else if (auto* page = dynamic_cast<CDITPageInfoRef*>(node->GetData())) {
            const auto* info = doc.getPageManager()->getPageInfoAt(page->getPageInfoListNode());
            out += " p" + std::to_string(info->pageNum);
        } else if (node->GetData()->getDataInfoType() == eDITNewline) {
            out += " |";
        } else if (auto* note = dynamic_cast<CDITRapidNoteRef*>(node->GetData())) {
            out += " ^" + doc.getNote(note->getValue())->utf8_string();
        }
    }
    return out;
}

std::string book(const std::string& body, const char* encoding = "UTF-8") {
    return std::string("<?xml version='1.0' encoding='") + encoding +
           "'?>\n<FictionBook xmlns:l='http://www.w3.org/1999/xlink'><description><title-info>"
           "<book-title>Tides</book-title><lang>en</lang></title-info></description>" +
           body + "<binary id='p.png'>iVBORw0KGgo=</binary></FictionBook>";
}

const char kBody[] =
    "<body><title><p>Tides</p></title><section><title><p>One</p></title><p>Sea <emphasis>wa"
    "</emphasis>ll<a l:href='#n1' type='note'>1</a>.</p><image l:href='#p.png'/><empty-line/>"
    "<p><strong>Gull</strong> cry</p><section><title><p>Deep</p></title><poem><stanza><v>Low"
    "</v><v>tide</v></stanza></poem></section></section><section><p>Two</p></section></body>"
    "<body name='notes'><section id='n1'><title><p>1</p></title><p>Note <emphasis>text"
    "</emphasis></p></section></body>";

} // namespace

// Each case imports bytes under a name with the format chosen by content and name, and reads
// as the line describe makes, or fails with the error.
TEST(Fb2Importer, ReadsSectionsAsChaptersAndRefusesBadBooks) {
    const std::string good = book(kBody);
    const std::string read =
        "Tides/en: p1 Tides* | {One/0} p2 One* | Sea wall.* ^Note text | Gull* cry | "
        "{Deep/1} Deep* | Low | tide | p3 Two";
    const struct {
        const char* name;
        std::string bytes;
        std::string want;
        CDocumentImporter::eFormat format = CDocumentImporter::eAutomatic;
    } cases[] = {
        {"book.txt", good, read},
        {"book.txt", flitZipBytes({{"in/book.fb2", good}, {"__MACOSX/in/._book.fb2", "x"}}), read},
        {"book.fb2.zip", flitZipBytes({{"a.txt", "x"}, {"book.FB2", good}}), read},
        {"book.txt",
         book("<body><section><p>\xCC\xEE\xF0\xE5 <emphasis>\xE8</emphasis></p></section></body>",
              "windows-1251"),
         "Tides/en: p1 \xD0\x9C\xD0\xBE\xD1\x80\xD0\xB5 \xD0\xB8*"},
        {"book.fb2", book("<body><p>Sea</p>\n<p>wall</body>"),
         "! line 3, column *: it is not well-formed XML: *mismatch*"},
        {"book.fb2.zip", flitZipBytes({{"a.txt", "x"}}),
         "! the zip archive holds no FictionBook (.fb2) file"},
        {"book.fb2.zip", flitZipBytes({{"a.fb2", good}, {"b.fb2", good}}),
         "! the zip archive holds 2 FictionBook files (\"a.fb2\", \"b.fb2\"...), not one"},
        {"book.fb2", "<html><body><p>x</p></body></html>", "! it is not a FictionBook: *<html>*",
         CDocumentImporter::eFictionBook},
        {"book.fb2", book("<body name='notes'><p>x</p></body>"), "! the book has no body to read"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.want);
        CDocumentImporter importer;
        std::unique_ptr<CDataManager> doc =
            importer.importBytes(test.bytes.data(), test.bytes.size(), test.format, test.name, "");
        const std::string got = doc ? describe(*doc) : "! " + importer.getError().utf8_string();
        EXPECT_TRUE(wxString::FromUTF8(got).Matches(wxString::FromUTF8(test.want))) << got;
        EXPECT_EQ(CDocumentImporter::eFictionBook, importer.getFormat());
    }
}

// The progress handler hears of each top-level section, and saying no abandons the book.
TEST(Fb2Importer, TellsItsProgressBySectionAndStopsWhenAsked) {
    const std::string bytes = book(kBody);
    std::string told;
    CDocumentImporter importer;
    importer.setProgress([&](std::size_t done, std::size_t total) {
        told += std::to_string(done) + "/" + std::to_string(total) + " ";
        return done < 1;
    });
    EXPECT_EQ(nullptr, importer.importBytes(bytes.data(), bytes.size(),
                                            CDocumentImporter::eFictionBook, "", ""));
    EXPECT_EQ("0/2 1/2 ", told);
}
