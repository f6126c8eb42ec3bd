#include "EpubFixture.h"
#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>
#include <wx/filename.h>

namespace {

// A book as one line: its title, then "pN" for a page marker, its words, "|" for a newline, and
// "{title/level}" where a contents entry points, "^" and its text for a note reference; or "! "
// and the error.
std::string describe(CDataManager& doc) {
    std::string out = doc.getTitle().utf8_string() + ":";
    std::size_t index = 0;
    auto entry = doc.getContents().begin();
    for (auto* node = doc.getFirstNode(); node != nullptr; node = node->GetNext(), ++index) {
        for (; entry != doc.getContents().end() && entry->itemIndex == index; ++entry) {
            out += " {" + entry->title.utf8_string() + "/" + std::to_string(entry->level) + "}";
        }
        if (auto* word = dynamic_cast<CDITWord*>(node->GetData())) {
            out += std::string(" ") + word->getWord();
        } else if (auto* page = dynamic_cast<CDITPageInfoRef*>(node->GetData())) {
            const auto* info = doc.getPageManager()->getPageInfoAt(page->getPageInfoListNode());
            out += " p" + std::to_string(info->pageNum) + (info->pageType == 0 ? "" : "?");
        } else if (node->GetData()->getDataInfoType() == eDITNewline) {
            out += " |";
        } else if (auto* note = dynamic_cast<CDITRapidNoteRef*>(node->GetData())) {
            out += " ^" + doc.getNote(note->getValue())->utf8_string();
        }
    }
    return out + (entry == doc.getContents().end() ? "" : " (contents past the end)");
}

// A book made of the chapters below with this spine and contents, one entry changed (or
// "cut" short, one "flip" of its first chapter's data, or "text" for no zip at all), and what
// it reads as.
struct SCase {
    const char* spine;
    SZipEntry change;
    const char* want;
    const char* nav = "";
    const char* ncx = "";
};

const char kNcx[] = "<navPoint><navLabel><text>Part one</text></navLabel><content src='c1.xhtml'/>"
                    "<navPoint><navLabel><text>Later</text></navLabel>"
                    "<content src='c2.xhtml#s'/></navPoint></navPoint>";
const char kNav[] = "<li><a href='../OPS/c%31.xhtml'>First</a><ol><li><a href='c2.xhtml#s'>Deep"
                    "</a></li></ol></li><li><span>Heading</span><ol><li><a href='c3.xhtml'>Last"
                    "</a></li></ol></li>";
const char kEncryption[] = "<encryption><EncryptedData><CipherData><CipherReference URI='%s'/>"
                           "</CipherData></EncryptedData></encryption>";

} // namespace

TEST(EpubImporter, ReadsTheSpineInOrderWithPagesAndContentsAndRefusesBadBooks) {
    const std::vector<std::string> chapters = {"<h1>One</h1><p>Alpha beta</p>",
                                               "<p>Gamma</p><p id='s'>Delta</p>", "<p>Ep</p>"};
    const std::string fonts = wxString::Format(kEncryption, "OPS/font.otf").utf8_string();
    const std::string locked = wxString::Format(kEncryption, "OPS/c1.xhtml").utf8_string();
    const SZipEntry none{"", "", eZipDropped};
    const SCase cases[] = {
        {"c2 c1", none, "Harbour: p1 Gamma | Delta | p2 One | Alpha beta"},
        {"c1 -c2 c3", none, "Harbour: p1 One | Alpha beta | p2 Ep"},
        {"nav c3", none, "Harbour: {Last/0} p1 Ep", "<li><a href='c3.xhtml'>Last</a></li>"},
        // A label's Unicode spaces and line separators collapse as its ASCII ones do.
        {"nav c3", none, "Harbour: {Last word/0} p1 Ep",
         "<li><a href='c3.xhtml'>\xE3\x80\x80Last\xE2\x80\x83\n word\xE2\x80\xA8</a></li>"},
        {"c1 c2", none, "Harbour: {Part one/0} p1 One | Alpha beta | p2 Gamma | {Later/1} Delta",
         "", kNcx},
        {"c1 c2 c3", none,
         "Harbour: {First/0} p1 One | Alpha beta | p2 Gamma | {Deep/1} Delta | {Last/1} p3 Ep",
         kNav, kNcx},
        {"c1", {"META-INF/encryption.xml", fonts}, "Harbour: p1 One | Alpha beta"},
        // A note reference to a later chapter's paragraph: that paragraph is its note.
        {"c1 c2",
         {"OPS/c1.xhtml", "<p>Alpha<sup><a href='c2.xhtml#s'>1</a></sup> beta</p>"},
         "Harbour: p1 Alpha ^Delta beta | p2 Gamma"},
        {"c1", {"OPS/c1.xhtml", "<p>Not <b>well</p> formed"}, "Harbour: p1 Not well | formed"},
        {"c1", {"OPS/c1.xhtml", "<body><img alt='x'/></body>"}, "! the book has no text to*"},
        {"c1", {"text", ""}, "! it is not a zip archive"},
        {"c1", {"cut", ""}, "! the zip archive is truncated*"},
        {"c1", {"flip", ""}, "! the zip archive is corrupt: \"OPS/c1.xhtml\" cannot be*"},
        {"c1", {"META-INF/container.xml", "", eZipDropped}, "! it is not an EPUB: META-INF/*"},
        {"c1", {"OPS/book.opf", "", eZipDropped}, "! the package document \"OPS/book.opf\" is*"},
        {"", none, "! the package document \"OPS/book.opf\" has no spine*"},
        {"c9", none, "! the spine names \"c9\", which the manifest does not list"},
        {"c1 c2", {"OPS/c2.xhtml", "", eZipDropped}, "! *\"OPS/c2.xhtml\" that the spine names*"},
        {"c1", {"OPS/c1.xhtml", std::string(4 << 20, ' ')}, "! *zip bomb: \"OPS/c1.xhtml\"*200*"},
        {"c1", {"META-INF/encryption.xml", locked}, "! *encrypted (DRM)*\"OPS/c1.xhtml\"*"},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.want);
        auto entries = flitEpubEntries("Harbour", chapters, test.spine, test.nav, test.ncx);
        entries.push_back(test.change);
        const std::string& damage = test.change.name;
        std::string bytes = damage == "text" ? "plain words" : flitZipBytes(entries);
        if (damage == "flip") {
            bytes.replace(bytes.find("OPS/c1.xhtml") + 16, 8, 8, '\xff');
        }
        bytes.resize(damage == "cut" ? bytes.size() / 2 : bytes.size());
        const wxString path = flitWriteTempFile(bytes, "book.epub");
        CDocumentImporter importer;
        std::unique_ptr<CDataManager> doc = importer.importFile(path);
        wxFileName::Rmdir(wxFileName(path).GetPath(), wxPATH_RMDIR_RECURSIVE);
        const std::string got = doc ? describe(*doc) : "! " + importer.getError().utf8_string();
        EXPECT_TRUE(wxString::FromUTF8(got).Matches(test.want)) << got;
    }
}

namespace {

// The progress handler hears of each chapter before it is read, and saying no abandons the
// book there; untold, the book reads whole.
TEST(EpubImporter, TellsItsProgressByChapterAndStopsWhenAsked) {
    const std::string bytes = flitZipBytes(
        flitEpubEntries("Tides", {"<p>One.</p>", "<p>Two.</p>", "<p>Three.</p>"}, "c1 c2 c3"));
    for (const std::size_t stopAt : {std::size_t(1), std::size_t(99)}) {
        SCOPED_TRACE(stopAt);
        std::string told;
        CDocumentImporter importer;
        importer.setProgress([&](std::size_t done, std::size_t total) {
            told += std::to_string(done) + "/" + std::to_string(total) + " ";
            return done < stopAt;
        });
        const bool read = importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eEpub,
                                               "", "") != nullptr;
        EXPECT_EQ(stopAt == 99, read);
        EXPECT_EQ(read ? "0/3 1/3 2/3 " : "0/3 1/3 ", told);
        EXPECT_EQ(read ? "" : SImportContext::kCancelled, importer.getError());
    }
}

} // namespace
