#include "outside/DocumentImporter.h"

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/image.h>

#include <cstring>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string utf8(const wxString& s) {
    return s.utf8_string();
}

std::string colourText(const CTagInfo* tag) {
    return utf8(tag->tagColour.GetAsString(wxC2S_HTML_SYNTAX)) + (tag->tagFlag ? "!" : "");
}

// A document as a compact line: words as themselves with their pen in brackets (b bold,
// h highlight, a colour, bg= a background link's data), "_" a space, "|" a newline, every
// other item as its kind, then its fields after colons.
std::string describe(CDataManager& doc) {
    // The kinds in the order of their bits.
    static const char* const kKinds[] = {"word",     "_",      "|",      "link",     "rest",
                                         "sustain",  "colour", "course", "glossary", "rapid",
                                         "user",     "dogear", "page",   "review",   "email",
                                         "announce", "skip",   "info",   "view",     "command"};
    std::string out;
    for (wxCDataInfoListNode* node = doc.getFirstNode(); node != nullptr; node = node->GetNext()) {
        CDataInfo* item = node->GetData();
        std::string text = kKinds[__builtin_ctz(item->getDataInfoType())];
        if (auto* word = dynamic_cast<CDITWord*>(item)) {
            std::string pen;
            pen += word->getStyleInfo().isOn(eStyleBold) ? "b" : "";
            pen += word->getStyleInfo().isOn(eStyleHighlight) ? "h" : "";
            if (CTagInfo* tag = doc.getTagAtNode(word->getFontColourTagInfoListNode())) {
                pen += colourText(tag);
            }
            if (CLinkInfo* link = doc.getLinkAt(word->getBackgroundLinkInfoNode())) {
                pen += "bg=" + utf8(link->linkData) + utf8(link->linkParam);
            }
            text = word->getWord() + (pen.empty() ? "" : "[" + pen + "]");
        } else if (auto* colour = dynamic_cast<CDITTagInfoRef*>(item)) {
            CTagInfo* tag = doc.getTagAtNode(colour->getTagInfoListNode());
            text += ":" + (tag != nullptr ? colourText(tag) : "-");
        } else if (auto* page = dynamic_cast<CDITPageInfoRef*>(item)) {
            const CPageInfo* info =
                doc.getPageManager()->getPageInfoAt(page->getPageInfoListNode());
            text += ":" + std::to_string(info->pageNum) + ":" + std::to_string(info->pageType);
        } else if (auto* ref = dynamic_cast<CDITLinkInfoRef*>(item)) {
            const CLinkInfo* link = doc.getLinkAt(ref->getLinkInfoListNode());
            text += ":" + std::to_string(link->linkType) + ":" + utf8(link->linkData) +
                    (link->linkParam.empty() ? "" : ":" + utf8(link->linkParam));
        } else if (auto* view = dynamic_cast<CDITChangeView*>(item)) {
            text += ":" + std::to_string(view->getViewType());
        } else if (auto* command = dynamic_cast<CDITFlitCommand*>(item)) {
            text += ":" + std::to_string(command->getType());
        } else if (auto* value = dynamic_cast<CDITSize_tRefBase*>(item)) {
            text += ":" + std::to_string(value->getValue());
        }
        out += (out.empty() ? "" : " ") + text;
    }
    return out;
}

class DocumentImporter : public testing::Test {
protected:
    void SetUp() override {
        dir = wxFileName::CreateTempFileName("flit-import");
        wxRemoveFile(dir);
        ASSERT_TRUE(wxMkdir(dir));
        ASSERT_TRUE(wxMkdir(dir + "/media"));
        write("media/sky.png", std::string("PNG\0sky", 7));
        write("tone.wav", "RIFFtone");
        // Special files: a pipe (whose opening would wait for a writer) and a dangling link.
        ASSERT_EQ(0, mkfifo((dir + "/pipe").utf8_str(), 0600));
        ASSERT_EQ(0, symlink("nowhere.wav", (dir + "/dangling.wav").utf8_str()));
        // Sparse files past the size limit of what is read.
        sparse("huge.bin", 1ULL << 40);
        sparse("huge.txt", 1ULL << 40);
        sparse("over.wav", CDocumentImporter::kMaxFileBytes + 1);
    }
    void TearDown() override { wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE); }

    void write(const char* name, const std::string& bytes) const {
        wxFFile(dir + "/" + name, "wb").Write(bytes.data(), bytes.size());
    }
    void sparse(const char* name, unsigned long long size) const {
        write(name, "");
        ASSERT_EQ(0, truncate((dir + "/" + name).utf8_str(), static_cast<off_t>(size)));
    }

    // The document as describe() writes it, or "error: ..." when the import failed.
    std::string import(const std::string& text,
                       CDocumentImporter::eFormat format = CDocumentImporter::eMarkedUp) {
        doc = importer.importText(text, format, dir);
        if (!doc) {
            return "error: " + utf8(importer.getError());
        }
        EXPECT_TRUE(importer.getError().empty());
        return describe(*doc);
    }

    std::string storedAs(const char* name) const {
        wxString path;
        if (!doc->getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored, name, &path)) {
            return "(nothing)";
        }
        wxFFile file(path, "rb");
        std::string bytes(static_cast<size_t>(file.Length()), '\0');
        file.Read(&bytes[0], bytes.size());
        return bytes;
    }

    wxString dir;
    CDocumentImporter importer;
    std::unique_ptr<CDataManager> doc;
};

} // namespace

// Plain text is split as CTextTokenizer splits it (its own tests hold the table of white space);
// braces are plain characters; what is not text is refused with its place.
TEST_F(DocumentImporter, PlainTextIsWordsSpacesAndLineBreaks) {
    const auto plain = CDocumentImporter::ePlainText;
    EXPECT_EQ("The _ tide's _ in. | | Gulls,\xE2\x80\x94 _ {rest _ 2} |",
              import("The \t tide's in.\r\n\rGulls,\xE2\x80\x94\v{rest 2}\n", plain));
    EXPECT_EQ("", import("", plain));
    EXPECT_EQ("Tide _ in", import("\uFEFFTide in", plain));
    const std::string longWord(100000, 'w');
    EXPECT_EQ(longWord, import(longWord, plain));
    EXPECT_EQ(longWord + "[b]", import("{bold}" + longWord));
    EXPECT_EQ("error: line 1, column 3: not valid UTF-8: bad byte at offset 2",
              import("ab\xC3", plain));
    EXPECT_EQ("error: line 1, column 2: NUL character in the text",
              import(std::string("a\0b", 3), plain));
}

TEST_F(DocumentImporter, DirectivesMakeTheirItemsAndThePen) {
    const struct {
        const char* markup;
        const char* items;
    } cases[] = {
        {"{rest 2}", "rest:2"},
        {"\uFEFF{rest\u30001000}", "rest:1000"},
        {"{sustain 1000}", "sustain:1000"},
        {"{colour #1A2b3C}{colour #1a2b3c flag}{colour}",
         "colour:#1A2B3C colour:#1A2B3C! colour:-"},
        {"{page 7}{page 8 hidden}", "page:7:0 page:8:2"},
        {"{lgraphic media/sky.png}{lgraphic media/sky.png 3}",
         "link:1:media/sky.png link:1:media/sky.png:3"},
        {"{bgraphic media/sky.png 5}{bgraphic media/sky.png pause}",
         "link:2:media/sky.png:5 link:2:media/sky.png:pause"},
        {"{sound tone.wav}{video media/sky.png}", "link:4:tone.wav link:64:media/sky.png"},
        {"{background media/sky.png 2}{background}", "link:8:media/sky.png:2"},
        {"{speed 950}{assessment  How  deep is it?\u2000}", "link:16:950 link:32:How  deep is it?"},
        {"{link https://example.org/a?b=1}{mailto quay@example.org}",
         "link:128:https://example.org/a?b=1 link:256:quay@example.org"},
        {"{note glossary 1}{note course 2}{note rapid 3}{note user 4}{dogear 5}",
         "glossary:1 course:2 rapid:3 user:4 dogear:5"},
        {"{review}{email 0}{attachment announce}{attachment skip}{attachment info}",
         "review email:0 announce skip info"},
        {"{view 2}{view 99}{command 0}{command 7}", "view:2 view:99 command:0 command:7"},
        {"{bold}{/bold}{highlight}{/highlight}", ""},
        // Words carry the pen between directives; a switch of the pen stays inside a word.
        {"sea{rest 2}wall {bold}a {highlight}b{/bold} c{/highlight} d",
         "sea rest:2 wall _ a[b] _ b[bh] _ c[h] _ d"},
        {"x{colour #ff0000}y z{colour #FF0000 flag}w{colour}v",
         "x colour:#FF0000 y[#FF0000] _ z[#FF0000] colour:#FF0000! w[#FF0000!] colour:- v"},
        {"{background media/sky.png 3}calm\r\nsea{background} still",
         "link:8:media/sky.png:3 calm[bg=media/sky.png] | sea[bg=media/sky.png] _ still"},
        {"{bold}wo{/bold}rd {highlight}in{/highlight}, \"{bold}Stop!{/bold}\"",
         "word[b] _ in,[h] _ \"Stop!\"[b]"},
        // Doubled braces are literal inside words.
        {"a{{b}} {{rest 1}} {{x{rest 1}}}", "a{b} _ {rest _ 1} _ {x rest:1 }"},
        {"{bold}{{", "{[b]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.items, import(c.markup)) << c.markup;
    }
    // One tag per colour and flag.
    import("{colour #010203}{colour #010203}");
    EXPECT_EQ(static_cast<CDITTagInfoRef*>(doc->getFirstNode()->GetData())->getTagInfoListNode(),
              static_cast<CDITTagInfoRef*>(doc->getLastNode()->GetData())->getTagInfoListNode());
}

TEST_F(DocumentImporter, FilesAreReadRelativeToTheBaseFolderAndStoredByName) {
    ASSERT_EQ("link:8:media/sky.png link:4:tone.wav link:1:media/sky.png",
              import("{background media/sky.png}{sound tone.wav}{lgraphic media/sky.png}"));
    EXPECT_EQ(std::string("PNG\0sky", 7), storedAs("media/sky.png"));
    EXPECT_EQ("RIFFtone", storedAs("tone.wav"));

    write("story.flit", "{sound media/../tone.wav} end");
    doc = importer.importFile(dir + "/story.flit");
    ASSERT_TRUE(doc) << importer.getError();
    EXPECT_EQ("link:4:media/../tone.wav _ end", describe(*doc));
    EXPECT_EQ("RIFFtone", storedAs("media/../tone.wav"));

    write("story.txt", "{sound tone.wav}");
    doc = importer.importFile(dir + "/story.txt");
    EXPECT_EQ("{sound _ tone.wav}", describe(*doc));

    // A background file is just bytes to the importer, a picture or not.
    write("empty.png", "");
    EXPECT_EQ("link:8:empty.png w[bg=empty.png] link:1:tone.wav",
              import("{background empty.png}w{lgraphic tone.wav}"));
    EXPECT_EQ("", storedAs("empty.png"));

    // Only regular files up to the size limit are read, never more than their size claims.
    const struct {
        const char* name;
        const char* message;
    } unread[] = {{"missing.flit", "No such file or directory"},
                  {"pipe", "it is not a regular file"},
                  {"media", "it is a folder"},
                  {"huge.txt", "it is larger than 256 MiB"}};
    for (const auto& c : unread) {
        EXPECT_FALSE(importer.importFile(dir + "/" + c.name)) << c.name;
        EXPECT_EQ(0, importer.getErrorLine()) << c.name;
        EXPECT_EQ(0, importer.getErrorColumn()) << c.name;
        EXPECT_NE(wxNOT_FOUND, importer.getError().Find(c.message)) << importer.getError();
    }
}

TEST_F(DocumentImporter, BadInputNamesLineColumnAndFault) {
    const struct {
        std::string text;
        int line;
        int column;
        const char* message;
    } cases[] = {
        {"ok\r\n\xC3\xA9t\xC3\xA9 \xC3(", 2, 5, "not valid UTF-8: bad byte at offset 10"},
        {std::string("a\nb\0c", 5), 2, 2, "NUL character in the text"},
        {"one\n  \xC3\xA9{fog 2}", 2, 4, "unknown directive \"{fog 2}\""},
        {"{ }", 1, 1, "empty directive \"{ }\""},
        {"a}b", 1, 2, "stray \"}\""},
        {"x {rest 2", 1, 3, "not closed before the end of the text"},
        {"x {rest\n2}", 1, 3, "not closed before the end of its line"},
        {"x\u2028{rest\xC2\x85 2}", 1, 3, "not closed before the end of its line"},
        {"{bold{/bold}", 1, 1, "not closed before the next \"{\""},
        {"{rest}", 1, 1, "rest needs a whole number of units"},
        {"{rest -2}", 1, 7, "rest needs a whole number of units, not \"-2\""},
        {"{sustain 4294967296}", 1, 10, "4294967296 is too large (at most 1000)"},
        {"\uFEFF{rest 1001}", 1, 7, "1001 is too large (at most 1000)"},
        {"{speed 4294967295}", 1, 8, "too large (at most 950)"},
        {"{speed 99}", 1, 8, "99 is too small (at least 100)"},
        {"{page 2147483648}", 1, 7, "too large (at most 2147483647)"},
        {"{note user 2147483648}", 1, 12, "too large (at most 2147483647)"},
        {"{email 2147483647}", 1, 8, "too large (at most 2147483646)"},
        {"{bgraphic media/sky.png 3601}", 1, 25, "too large (at most 3600)"},
        {"{rest 2 3}", 1, 9, "unexpected \"3\" in \"{rest 2 3}\""},
        {"{colour red}", 1, 9, "#RRGGBB, not \"red\""},
        {"{colour #12345G}", 1, 9, "#RRGGBB"},
        {"{colour #123456 bright}", 1, 17, "only \"flag\""},
        {"{page x}", 1, 7, "page needs a whole page number"},
        {"{page 2 secret}", 1, 9, "only \"hidden\""},
        {"{/bold}", 1, 1, "{/bold} without {bold}"},
        {"{highlight}{highlight}", 1, 12, "already on"},
        {"{bold x}", 1, 7, "unexpected \"x\""},
        {"{background}{/highlight}", 1, 13, "{/highlight} without {highlight}"},
        {"{lgraphic}", 1, 1, "lgraphic needs a file"},
        {"{lgraphic media/sky.png pause}", 1, 25, "whole number of seconds"},
        {"{bgraphic media/sky.png soon}", 1, 25, "seconds or \"pause\""},
        {"{sound tone.wav 3}", 1, 17, "unexpected \"3\""},
        {"\n {video gone.gif}", 2, 9, "cannot read \"gone.gif\": No such file or directory"},
        {"{background media}", 1, 13, "cannot read \"media\": it is a folder"},
        {"{speed fast}", 1, 8, "speed needs a whole number"},
        {"{assessment}", 1, 1, "assessment needs a text"},
        {"{link}", 1, 1, "link needs a URL"},
        {"{mailto a b}", 1, 11, "unexpected \"b\""},
        {"{note margin 2}", 1, 7, "glossary, course, rapid or user, not \"margin\""},
        {"{note user}", 1, 1, "note needs a whole note number"},
        {"{dogear +1}", 1, 9, "dogear needs a whole"},
        {"{review now}", 1, 9, "unexpected"},
        {"{email}", 1, 1, "email needs a whole item number"},
        {"{attachment open}", 1, 13, "announce, skip or info"},
        {"{view 1.5}", 1, 7, "view needs a whole"},
        {"{command}", 1, 1, "command needs a whole"},
        {"{command x}", 1, 10, "command needs a whole command type number, not \"x\""},
        {"{sustain}", 1, 1, "sustain needs a whole number"},
        {"{colour #123456 flag x}", 1, 22, "unexpected \"x\""},
        {"{highlight on}", 1, 12, "unexpected \"on\""},
        {"{bold}{/bold 1}", 1, 14, "unexpected \"1\""},
        {"{page}", 1, 1, "page needs a whole page number"},
        {"{page 1 hidden x}", 1, 16, "unexpected \"x\""},
        {"{background media/sky.png x}", 1, 27, "whole number of seconds"},
        {"{background media/sky.png 1 2}", 1, 29, "unexpected \"2\""},
        {"{bgraphic}", 1, 1, "bgraphic needs a file"},
        {"{sound}", 1, 1, "sound needs a file"},
        {"{video}", 1, 1, "video needs a file"},
        {"{video media/sky.png 2}", 1, 22, "unexpected \"2\""},
        {"{speed}", 1, 1, "speed needs a whole number"},
        {"{speed 300 400}", 1, 12, "unexpected \"400\""},
        {"{mailto}", 1, 1, "mailto needs an address"},
        {"{link a b}", 1, 9, "unexpected \"b\""},
        {"{note}", 1, 1, "note needs glossary, course, rapid or user"},
        {"{note user 2 3}", 1, 14, "unexpected \"3\""},
        {"{dogear}", 1, 1, "dogear needs a whole"},
        {"{email x}", 1, 8, "email needs a whole item number, not \"x\""},
        {"{attachment}", 1, 1, "announce, skip or info"},
        {"{attachment skip now}", 1, 18, "unexpected \"now\""},
        {"{view}", 1, 1, "view needs a whole"},
        {"{sound pipe}", 1, 8, "cannot read \"pipe\": it is not a regular file"},
        {"{sound /dev/zero}", 1, 8, "cannot read \"/dev/zero\": it is not a regular file"},
        {"{sound dangling.wav}", 1, 8, "cannot read \"dangling.wav\": No such file or directory"},
        {"ok \xFF", 1, 4, "not valid UTF-8: bad byte at offset 3"},
        // Found by fuzzing (tests/fuzz, target markup): a file that claims a terabyte (sparse
        // here; a file under /proc can claim as much) was read by allocating its whole size, and
        // the importer died of std::bad_alloc. One byte past the limit is refused unread.
        {"fine\nwords {sound huge.bin} here", 2, 14,
         "cannot read \"huge.bin\": it is larger than 256 MiB"},
        {"{sound over.wav}", 1, 8, "cannot read \"over.wav\": it is larger than 256 MiB"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(importer.importText(c.text, CDocumentImporter::eMarkedUp, dir)) << c.text;
        EXPECT_EQ(c.line, importer.getErrorLine()) << c.text;
        EXPECT_EQ(c.column, importer.getErrorColumn()) << c.text;
        EXPECT_NE(wxNOT_FOUND, importer.getErrorMessage().Find(wxString::FromUTF8(c.message)))
            << c.text << " gave " << importer.getErrorMessage();
        EXPECT_EQ(wxString::Format("line %d, column %d: ", c.line, c.column) +
                      importer.getErrorMessage(),
                  importer.getError());
    }
    // A successful import clears the last error.
    EXPECT_TRUE(importer.importText(std::string("ok"), CDocumentImporter::eMarkedUp, dir));
    EXPECT_TRUE(importer.getError().empty());
}

TEST(DocumentImporterFormat, FollowsTheFileName) {
    EXPECT_EQ(CDocumentImporter::eMarkedUp, CDocumentImporter::formatForPath("a/tour.flit"));
    EXPECT_EQ(CDocumentImporter::eMarkedUp, CDocumentImporter::formatForPath("TOUR.FLIT"));
    for (const char* path : {"tour.txt", "tour.flit.txt", "flit", "notes"}) {
        EXPECT_EQ(CDocumentImporter::ePlainText, CDocumentImporter::formatForPath(path)) << path;
    }
}

TEST(DocumentImporterSamples, TourUsesEveryKindOfItemAndItsMediaLoad) {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxInitAllImageHandlers();
    }
    CDocumentImporter importer;
    std::unique_ptr<CDataManager> doc = importer.importFile(FLIT_SAMPLES_DIR "/harbour-tour.flit");
    ASSERT_TRUE(doc) << importer.getError();
    unsigned int kinds = 0;
    unsigned int linkKinds = 0;
    unsigned int pens = 0; // styles, 0x100 a coloured word, 0x200 a word with a background
    for (wxCDataInfoListNode* node = doc->getFirstNode(); node != nullptr; node = node->GetNext()) {
        CDataInfo* item = node->GetData();
        kinds |= item->getDataInfoType();
        if (auto* word = dynamic_cast<CDITWord*>(item)) {
            pens |= word->getStyleInfo().getStyles() |
                    (word->getFontColourTagInfoListNode() != nullptr ? 0x100 : 0) |
                    (word->getBackgroundLinkInfoNode() != nullptr ? 0x200 : 0);
        }
        auto* ref = dynamic_cast<CDITLinkInfoRef*>(item);
        const CLinkInfo* link =
            ref != nullptr ? doc->getLinkAt(ref->getLinkInfoListNode()) : nullptr;
        linkKinds |= link != nullptr ? static_cast<unsigned int>(link->linkType) : 0;
        wxString path;
        if (link != nullptr && link->linkType == eLinkSound) {
            ASSERT_TRUE(doc->getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored,
                                                        link->linkData.utf8_str(), &path));
            wxFFile wav(path, "rb");
            char header[12] = {};
            wav.Read(header, sizeof header);
            EXPECT_EQ("RIFF....WAVE", std::string(header, 4) + "...." + std::string(header + 8, 4));
        } else if (link != nullptr &&
                   (link->linkData.EndsWith(".png") || link->linkData.EndsWith(".gif"))) {
            ASSERT_TRUE(doc->getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored,
                                                        link->linkData.utf8_str(), &path));
            EXPECT_TRUE(wxImage(path).IsOk()) << link->linkData;
        }
    }
    EXPECT_EQ(0xFFFF8u, kinds & 0xFFFF8u) << std::hex << kinds; // every kind past the newline
    EXPECT_EQ(0x1FFu, linkKinds) << std::hex << linkKinds;
    EXPECT_EQ(0x300u | eStyleBold | eStyleHighlight, pens) << std::hex << pens;

    doc = importer.importFile(FLIT_SAMPLES_DIR "/lighthouse.txt");
    ASSERT_TRUE(doc) << importer.getError();
    size_t words = 0;
    for (wxCDataInfoListNode* node = doc->getFirstNode(); node != nullptr; node = node->GetNext()) {
        words += node->GetData()->getDataInfoType() == eDITWord ? 1 : 0;
    }
    EXPECT_EQ(1267u, words);
}
