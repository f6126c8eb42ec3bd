#include "EpubFixture.h"
#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <sstream>

namespace {

// A book as one line: its title, then "pN" for a page marker, its words, "|" for a newline,
// "{title/level}" where a contents entry points, "@" where the body starts (when not at the
// beginning), "^" and its text for a note reference; or "! " and the error.
std::string describe(CDataManager& doc) {
    std::string out = doc.getTitle().utf8_string() + ":";
    std::size_t index = 0;
    auto entry = doc.getContents().begin();
    for (auto* node = doc.getFirstNode(); node != nullptr; node = node->GetNext(), ++index) {
        for (; entry != doc.getContents().end() && entry->itemIndex == index; ++entry) {
            out += " {" + entry->title.utf8_string() + "/" + std::to_string(entry->level) + "}";
        }
        out += index != 0 && index == doc.getBodyStart() ? " @" : "";
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

// Pictures and SVG pages beside the chapters, for packages of the tests' own.
const std::vector<SZipEntry> kPictures = {
    {"OPS/p.jpg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0<p>\xC3\xA9\x80\x9f", 19)},
    {"OPS/s.svg", "<svg><image href='p.jpg'/></svg>"},
    {"OPS/t.svg", "<svg><text>Caption</text></svg>"},
    {"OPS/cover.xhtml", "<html><body><p>Cover</p></body></html>"}};

// A package listing the chapters, nav, toc.ncx and pictures as these items
// ("id:href:media-type:fallback"), with this spine and a guide's text reference.
SZipEntry package(const std::string& spineIds, const std::string& guide = "") {
    std::string items = "c1:c1.xhtml c2:c2.xhtml c3:c3.xhtml nav:nav.xhtml"
                        " ncx:toc.ncx:application/x-dtbncx+xml p1:p.jpg:image/jpeg:p3"
                        " p3:p.jpg:image/jpeg:c1 p2:p.jpg:image/jpeg:c2 q1:p.jpg:image/jpeg:q2"
                        " q2:p.jpg:image/jpeg:q1 n:p.jpg:image/jpeg s:s.svg:image/svg+xml:c1"
                        " t:t.svg:image/svg+xml cover:cover.xhtml j:p.jpg:application/xhtml+xml";
    for (int i = 1; i <= 13; ++i) {
        items += " f" + std::to_string(i) + ":c1.xhtml#s" + std::to_string(i);
    }
    std::string manifest, spine, id, href, type, fallback;
    std::istringstream in(items), refs(spineIds);
    for (std::string item; in >> item;) {
        std::istringstream fields(item + ":::");
        for (std::string* field : {&id, &href, &type, &fallback}) {
            std::getline(fields, *field, ':');
        }
        manifest += "<item id='" + id + "' href='" + href + "' media-type='" + type +
                    "' fallback='" + fallback + (id == "nav" ? "' properties='nav'/>" : "'/>");
    }
    for (std::string ref; refs >> ref;) {
        spine += "<itemref idref='" + ref + "'/>";
    }
    return {"OPS/book.opf", "<package xmlns:dc='http://purl.org/dc/elements/1.1/'><metadata>"
                            "<dc:title>Harbour</dc:title></metadata><manifest>" +
                                manifest + "</manifest><spine>" + spine +
                                "</spine><guide><reference type='text' href='" + guide +
                                "'/></guide></package>"};
}

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
        // A file once, at its first place; a picture through its fallback chain, or not at all.
        {"", package("f1 f2 f3 f4 f5 f6 f7 f8 f9 f10 f11 f12 f13 c2"),
         "Harbour: {First/0} p1 One | Alpha beta | p2 Gamma | {Deep/1} Delta", kNav},
        {"", package("p1 c1 p2 p1"), "Harbour: p1 One | Alpha beta | p2 Gamma | Delta"},
        {"", package("q1 n c3 j"), "Harbour: p1 Ep"},
        {"", package("s t"), "Harbour: p1 One | Alpha beta | p2 Caption"},
        {"", package("q1 q2 j n"),
         "! the spine names no content document to read: 4 items are "
         "pictures without a text fallback, the first \"OPS/p.jpg\"; the "
         "fallback chain of * loops"},
        {"", package("n"), "! *: \"OPS/p.jpg\" is not text and has no text fallback"},
        // The body starts at the landmark, the guide's text, else past the front matter; a nav
        // that points mostly nowhere gives way to toc.ncx.
        {"", package("c1 c2", "c1.xhtml"), "Harbour: p1 One | Alpha beta | @ p2 Gamma | Delta",
         "</ol></nav><nav epub:type='landmarks'><ol><li><a epub:type='bodymatter' "
         "href='c2.xhtml'>Go</a></li>"},
        {"", package("c1 c2", "c2.xhtml#s"), "Harbour: p1 One | Alpha beta | p2 Gamma | @ Delta"},
        {"c1 c2", none, "Harbour: {Contents/0} p1 One | Alpha beta | {Storm/0} @ p2 Gamma | Delta",
         "<li><a href='c1.xhtml'>Contents</a></li><li><a href='c2.xhtml'>Storm</a></li>"},
        {"", package("cover c3"), "Harbour: p1 Cover | @ p2 Ep"},
        {"c1 c2", none, "Harbour: {Part one/0} p1 One | Alpha beta | p2 Gamma | {Later/1} Delta",
         "<li><a href='gone.xhtml'>Gone</a></li><li><a href='lost.xhtml'>Lost</a></li><li><a "
         "href='c2.xhtml'>Two</a></li>",
         kNcx},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.want);
        auto entries = flitEpubEntries("Harbour", chapters, test.spine, test.nav, test.ncx);
        entries.insert(entries.end(), kPictures.begin(), kPictures.end());
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
