#include "support/PdfFixture.h"

#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/image.h>

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string readBytes(const wxString& path) {
    std::string bytes;
    wxFFile file(path, "rb");
    bytes.resize(static_cast<size_t>(file.Length()));
    file.Read(&bytes[0], bytes.size());
    return bytes;
}

std::string colourText(const CTagInfo* tag) {
    return tag->tagColour.GetAsString(wxC2S_HTML_SYNTAX).utf8_string() + (tag->tagFlag ? "!" : "");
}

// The kinds of item in the order of their bits.
const char* const kKinds[] = {"word",   "_",        "|",     "link", "rest",   "sustain", "colour",
                              "course", "glossary", "rapid", "user", "dogear", "page",    "review",
                              "email",  "announce", "skip",  "info", "view",   "command"};

// A document as a compact line: words as themselves with their pen in brackets (b bold,
// h highlight, a colour, bg= a background link's data), "_" a space, "|" a newline, every
// other item as its kind, then its fields after colons.
std::string describe(CDataManager& doc) {
    std::string out;
    for (wxCDataInfoListNode* node = doc.getFirstNode(); node != nullptr; node = node->GetNext()) {
        CDataInfo* item = node->GetData();
        std::string text = kKinds[__builtin_ctz(item->getDataInfoType())];
        if (auto* word = dynamic_cast<CDITWord*>(item)) {
            std::string pen = word->getStyleInfo().isOn(eStyleBold) ? "b" : "";
            pen += word->getStyleInfo().isOn(eStyleHighlight) ? "h" : "";
            if (CTagInfo* tag = doc.getTagAtNode(word->getFontColourTagInfoListNode())) {
                pen += colourText(tag);
            }
            if (CLinkInfo* link = doc.getLinkAt(word->getBackgroundLinkInfoNode())) {
                pen += "bg=" + (link->linkData + link->linkParam).utf8_string();
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
            text += (":" + std::to_string(link->linkType) + ":" + link->linkData +
                     (link->linkParam.empty() ? "" : ":" + link->linkParam))
                        .utf8_string();
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

// A markup or a file name and a wildcard mask ("*" any text) of the result: the document as
// describe() writes it, or "LINE:COLUMN message" when the import failed.
using SCase = std::pair<std::string, const char*>;

class DocumentImporter : public testing::Test {
protected:
    void SetUp() override {
        dir = wxFileName::CreateTempFileName("flit-import");
        wxRemoveFile(dir);
        ASSERT_TRUE(wxMkdir(dir));
        ASSERT_TRUE(wxMkdir(dir + "/media"));
        write("sky.png", std::string("PNG\0sky", 7));
        write("tone.wav", "RIFFtone");
        // A pipe, whose opening would wait for a writer.
        ASSERT_EQ(0, mkfifo((dir + "/pipe").utf8_str(), 0600));
        // Sparse files past the size limit of what is read.
        for (const auto& [name, size] : {std::pair<const char*, off_t>{"huge.bin", off_t{1} << 40},
                                         {"over.wav", CDocumentImporter::kMaxFileBytes + 1}}) {
            write(name, "");
            ASSERT_EQ(0, truncate((dir + "/" + name).utf8_str(), size));
        }
    }
    void TearDown() override { wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE); }

    void write(const char* name, const std::string& bytes) const {
        wxFFile(dir + "/" + name, "wb").Write(bytes.data(), bytes.size());
    }

    std::string import(const std::string& text,
                       CDocumentImporter::eFormat format = CDocumentImporter::eMarkedUp) {
        return result(importer.importText(text, format, dir));
    }
    // The document, or the error, as SCase describes them; the error's parts must agree.
    std::string result(std::unique_ptr<CDataManager> imported) {
        doc = std::move(imported);
        const int line = importer.getErrorLine(), column = importer.getErrorColumn();
        const wxString& message = importer.getErrorMessage();
        const wxString place = wxString::Format("line %d, column %d: ", line, column);
        EXPECT_EQ((line > 0 ? place : "") + message, importer.getError());
        const std::string notice = importer.getNotice().utf8_string();
        return doc ? describe(*doc) + (notice.empty() ? "" : " (" + notice + ")")
                   : wxString::Format("%d:%d %s", line, column, message).utf8_string();
    }
    template <std::size_t N> void check(const SCase (&cases)[N], bool files = false) {
        for (const auto& [in, want] : cases) {
            const std::string got =
                files ? result(importer.importFile(dir + "/" + in)) : import(in);
            EXPECT_TRUE(wxString::FromUTF8(got).Matches(wxString::FromUTF8(want)))
                << in << "\n gave " << got << "\n want " << want;
        }
    }

    std::string storedAs(const char* name) const {
        wxString path;
        const bool stored =
            doc->getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored, name, &path);
        return stored ? readBytes(path) : "(nothing)";
    }

    wxString dir;
    CDocumentImporter importer;
    std::unique_ptr<CDataManager> doc;
};

} // namespace

// Plain text: each run of white space (as CTextTokenizer finds it; its own tests hold the table)
// is one item, a newline where it ends a paragraph. Texts in UTF-16 and Windows-1252 are read
// with a notice; bytes that are no text are refused. Braces are plain characters.
TEST_F(DocumentImporter, PlainTextRunsEncodingsAndWhatIsNoDocument) {
    const std::string longWord(100000, 'w');
    const std::tuple<bool, std::string, std::string> cases[] = {
        {false, "The \t tide's\r\n\r{rest 2}\n", "The _ tide's | {rest _ 2} _"},
        {true, "The \t tide's\r\n\r{rest 2}\n", "The _ tide's | | {rest _ 2} |"},
        {false, "one\ntwo \r\nthree\rfour", "one | two | three | four"},
        {false, "wrapped\nline\n \t\nnext", "wrapped _ line | next"},
        {false, "", ""},
        {false, "\uFEFFTide in", "Tide _ in"},
        {false, longWord, longWord},
        {false, std::string("\xFF\xFEo\0n\0\n\0e\0", 10), "on | e (not UTF-8: read as UTF-16)"},
        {false, std::string("\xFE\xFF\0o\0n", 6), "on (not UTF-8: read as UTF-16)"},
        {false, "\x93na\xEFve\x94", "\u201Cna\u00EFve\u201D (not UTF-8: read as Windows-1252)"},
        {false, std::string("\xFF\xFE\0\xD8", 4), "0:0 not valid UTF-16, though it starts as*"},
        {false, std::string("\xFF\xFE\xE0\xDF\xDF\xDF", 6),
         "0:0 not valid UTF-16, though it starts as*"},
        {false, "caf\xE9 \x81", "0:0 not a document this reader knows"},
        {false, "\x9C\x01\xF3\x88\x1B\x07\xE2\x10\x02\x7F\xC4\x05\x11",
         "0:0 not a document this reader knows"},
        {false, std::string("\x89PNG\r\n\x1A\n\0\0", 10), "0:0 *knows (a PNG image)"},
        {false, "\x7F\x45LF\x02\x01", "0:0 *knows (an ELF executable)"},
        {false, "GIF89a starts this note", "GIF89a _ starts _ this _ note"},
        {false, "GIF89a \t\vnote", "GIF89a _ note"},
        {false, "PK\x03\x04\x14", "0:0 *knows (a zip archive, not an EPUB)"},
    };
    for (const auto& [keep, in, want] : cases) {
        importer.setKeepLineBreaks(keep);
        const std::string got = import(in, CDocumentImporter::ePlainText);
        EXPECT_TRUE(wxString::FromUTF8(got).Matches(wxString::FromUTF8(want))) << in << ": " << got;
    }
    EXPECT_EQ(longWord + "[b]", import("{bold}" + longWord));
}

// Words as a reader flashes them, by family of writing: scripts without spaces cut into
// dictionary words (short Japanese endings, Chinese particles and counters kept with the word
// before; wrapped Chinese and Japanese lines joined), and marks that never stand alone.
TEST_F(DocumentImporter, WordsOfEveryScriptAndMarksThatNeverStandAlone) {
    const auto text = CDocumentImporter::ePlainText, html = CDocumentImporter::eHtml;
    const std::tuple<const char*, CDocumentImporter::eFormat, std::string, std::string> cases[] = {
        {"CJK", text, "天还没亮，灯塔的光。", "天 _ 还 _ 没亮， _ 灯塔的 _ 光。"},
        {"CJK", text, "灯台の光は回っていた。", "灯台の _ 光は _ 回っていた。"},
        {"CJK", text, "2026年にiPhoneを買った", "2026年に _ iPhoneを _ 買った"},
        {"CJK", text, "「今日は」と、", "「今日は」 _ と、"},
        {"CJK", text, "港の\n朝\n\n終", "港の _ 朝 | 終"},
        {"CJK", html, "<p>東京\n<i>タワー</i></p><p><b>光</b> 。</p>", "東京タワー[b] | 光。[b]"},
        {"Southeast Asian", text, "ลุงสมชายเปิดประตู", "ลุง _ สมชาย _ เปิด _ ประตู"},
        {"Southeast Asian", text, "ลึก ๆ ที่", "ลึกๆ _ ที่"},
        {"Southeast Asian", text, "ສະບາຍດີໂລກ", "ສະບາຍດີ _ ໂລກ"},
        {"Southeast Asian", text, "សួស្តីពិភពលោក", "សួស្តី _ ពិភពលោក"},
        {"Southeast Asian", text, "မင်္ဂလာပါ", "မင်္ဂလာ _ ပါ"},
        {"European", text, "« Bonjour ! » dit-il ; puis : non .",
         "«Bonjour!» _ dit-il; _ puis: _ non."},
        {"European", text, "¿ Qué tal ? ¡ Hola !", "¿Qué _ tal? _ ¡Hola!"},
        {"European", text, "— Sí — dijo ella …", "—Sí— _ dijo _ ella…"},
        {"European", text, "* * *\n\n«\n\n» fin", "* _ * _ * | « | »fin"},
        {"European", text, "Tom & Jerry ( 3 ) said \" hi \" .",
         "Tom _ & _ Jerry _ (3) _ said _ \"hi\"."},
        {"European", html, "<p><i>Oui</i> ?</p>", "Oui?[b]"},
    };
    for (const auto& [family, format, in, want] : cases) {
        SCOPED_TRACE(family);
        EXPECT_EQ(want, import(in, format)) << in;
    }
}

// The format comes from the content first, then from the name's extension.
TEST_F(DocumentImporter, ChoosesTheFormatByContentThenName) {
    const std::pair<std::string, const char*> cases[] = {
        {"notes.txt|<!DOCTYPE html><p>", "html"},
        {"a.txt|%PDF-1.7", "pdf"},
        {"a.zip|PK\x03\x04xxxxxxxxxxxxxxxxxxxxxxxxxxmimetypeapplication/epub+zip", "epub"},
        {"A.FLIT|{rest 1}", "flit"},
        {"page.XHTML|<p>", "html"},
        {"notes.markdown|# Notes", "markdown"},
        {"book|<p>", "text"},
        {"book.txt|" + std::string(60, '\0') + "BOOKMOBI", "mobi"},
        {"book.AZW3|", "mobi"}};
    for (const auto& [in, want] : cases) {
        const std::size_t bar = in.find('|');
        const auto format =
            CDocumentImporter::chooseFormat(&in[bar + 1], in.size() - bar - 1, in.substr(0, bar));
        EXPECT_STREQ(want, CDocumentImporter::formatName(format)) << in;
    }
}

// The lists made from the table of formats: the Open dialog's filter and the --format names,
// each of which names its format again.
TEST(DocumentImporterFormats, DialogFilterAndNamesComeFromOneTable) {
    EXPECT_EQ("Documents (*.txt;*.flit;*.epub;*.html;*.htm;*.xhtml;*.md;*.markdown;*.pdf;*.mobi;"
              "*.azw3;*.azw;*.fb2;*.fb2.zip)|*.txt;*.flit;*.epub;*.html;*.htm;*.xhtml;*.md;"
              "*.markdown;*.pdf;*.mobi;*.azw3;*.azw;*.fb2;*.fb2.zip|"
              "Plain text (*.txt)|*.txt|Marked-up text (*.flit)|*.flit|EPUB books (*.epub)|*.epub|"
              "Web pages (*.html;*.htm;*.xhtml)|*.html;*.htm;*.xhtml|Markdown (*.md;*.markdown)|"
              "*.md;*.markdown|PDF (*.pdf)|*.pdf|Kindle books (*.mobi;*.azw3;*.azw)|"
              "*.mobi;*.azw3;*.azw|FictionBook books (*.fb2;*.fb2.zip)|*.fb2;*.fb2.zip|"
              "All files (*)|*",
              CDocumentImporter::fileDialogWildcard());
    EXPECT_EQ("text, flit (marked-up text), epub, html, markdown, pdf, mobi or fb2 (FictionBook)",
              CDocumentImporter::formatNameList(true, false));
    EXPECT_EQ("text, flit, epub, html, markdown, pdf, mobi, fb2 or auto",
              CDocumentImporter::formatNameList(false, true));
    for (int value = 0; value <= CDocumentImporter::eAutomatic; ++value) {
        const auto format = static_cast<CDocumentImporter::eFormat>(value);
        auto named = CDocumentImporter::ePdf;
        EXPECT_TRUE(
            CDocumentImporter::formatFromName(CDocumentImporter::formatName(format), &named));
        EXPECT_EQ(format, named);
    }
}

TEST_F(DocumentImporter, DirectivesMakeTheirItemsAndThePen) {
    const SCase cases[] = {
        {"\uFEFF{rest\u30001000}{sustain 1000}", "rest:1000 sustain:1000"},
        {"{colour #1A2b3C}{page 7}{page 8 hidden}", "colour:#1A2B3C page:7:0 page:8:2"},
        {"{lgraphic sky.png}{lgraphic sky.png 3}", "link:1:sky.png link:1:sky.png:3"},
        {"{bgraphic sky.png 5}{bgraphic sky.png pause}", "link:2:sky.png:5 link:2:sky.png:pause"},
        {"{sound tone.wav}{video sky.png}", "link:4:tone.wav link:64:sky.png"},
        {"{background sky.png 2}{background}", "link:8:sky.png:2"},
        {"{speed 950}{assessment  How  deep is it?\u2000}", "link:16:950 link:32:How  deep is it?"},
        {"{link http://x.org/?b}{mailto q@x.org}", "link:128:http://x.org/?b link:256:q@x.org"},
        {"{note glossary 1}{note course 2}", "glossary:1 course:2"},
        {"{note rapid 3}{note user 4}{dogear 5}", "rapid:3 user:4 dogear:5"},
        {"{review}{email 0}{attachment announce}", "review email:0 announce"},
        {"{attachment skip}{attachment info}", "skip info"},
        {"{view 2}{view 99}{command 0}{command 7}", "view:2 view:99 command:0 command:7"},
        // Words carry the pen between directives; a switch of the pen stays inside a word.
        {"sea{rest 2}wall {bold}a {highlight}b{/bold} c{/highlight} d",
         "sea rest:2 wall _ a[b] _ b[bh] _ c[h] _ d"},
        {"x{colour #ff0000}y z{colour #FF0000 flag}w{colour}v",
         "x colour:#FF0000 y[#FF0000] _ z[#FF0000] colour:#FF0000! w[#FF0000!] colour:- v"},
        {"{background sky.png 3}calm\r\nsea{background} still",
         "link:8:sky.png:3 calm[bg=sky.png] | sea[bg=sky.png] _ still"},
        {"{bold}wo{/bold}rd {highlight}in{/highlight}, \"{bold}Stop!{/bold}\"",
         "word[b] _ in,[h] _ \"Stop!\"[b]"},
        // Doubled braces are literal inside words.
        {"a{{b}} {{rest 1}} {{x{rest 1}}}", "a{b} _ {rest _ 1} _ {x rest:1 }"},
        {"{bold}{{", "{[b]"},
    };
    check(cases);
    // One tag per colour and flag.
    import("{colour #010203}{colour #010203}");
    EXPECT_EQ(static_cast<CDITTagInfoRef*>(doc->getFirstNode()->GetData())->getTagInfoListNode(),
              static_cast<CDITTagInfoRef*>(doc->getLastNode()->GetData())->getTagInfoListNode());
}

// Files are read relative to the base folder (a text file's own folder) and stored under the
// name as written; a background or a graphic is just bytes to the importer. Only regular files
// up to the size limit are read, never more than their size claims.
TEST_F(DocumentImporter, FilesAreReadRelativeToTheBaseFolderAndStoredByName) {
    write("empty.png", "");
    ASSERT_EQ("link:8:empty.png w[bg=empty.png] link:4:tone.wav link:1:tone.wav",
              import("{background empty.png}w{sound tone.wav}{lgraphic tone.wav}"));
    EXPECT_EQ("RIFFtone", storedAs("tone.wav"));
    EXPECT_EQ("", storedAs("empty.png"));

    write("STORY.FLIT", "{sound media/../tone.wav}{lgraphic sky.png} end");
    // The format follows the file's extension, in any case.
    write("story.flit.txt", "{sound tone.wav}");
    write("flit", "{sound tone.wav}");
    const SCase files[] = {
        {"story.flit.txt", "{sound _ tone.wav}"},
        {"flit", "{sound _ tone.wav}"},
        {"missing.flit", "0:0 cannot read \"*/missing.flit\": No such file or directory"},
        {"pipe", "0:0 cannot read \"*/pipe\": it is not a regular file"},
        {"media", "0:0 cannot read \"*/media\": it is a folder"},
        {"STORY.FLIT", "link:4:media/../tone.wav link:1:sky.png _ end"},
    };
    check(files, true);
    EXPECT_EQ("RIFFtone", storedAs("media/../tone.wav"));
    EXPECT_EQ(std::string("PNG\0sky", 7), storedAs("sky.png"));
}

// Each fault names its line and column and what is wrong; a successful import clears it.
TEST_F(DocumentImporter, BadInputNamesLineColumnAndFault) {
    const SCase cases[] = {
        {"ok\r\n\xC3\xA9t\xC3\xA9 \xC3(", "2:5 not valid UTF-8: bad byte at offset 10"},
        {std::string("a\nb\0c", 5), "2:2 NUL character in the text"},
        {"caf\xE9 {fog}", "1:6 unknown directive \"{fog}\""},
        {"one\n  \xC3\xA9{fog 2}", "2:4 unknown directive \"{fog 2}\""},
        {"a}b", "1:2 stray \"}\" (write \"}}\" for a literal brace)"},
        {"x {rest 2", "1:3 \"{\" is not closed before the end of the text (write \"{{\"*"},
        {"x\u2028{rest\xC2\x85 2}", "1:3 \"{\" is not closed before the end of its line*"},
        {"{bold{/bold}", "1:1 \"{\" is not closed before the next \"{\"*"},
        {"{rest -2}", "1:7 rest needs a whole number of units, not \"-2\""},
        {"\uFEFF{rest 1001}", "1:7 rest needs*, and 1001 is too large (at most 1000)"},
        {"{sustain 4294967296}", "1:10 sustain needs a whole number*4294967296*(at most 1000)"},
        {"{colour red}", "1:9 colour needs a colour written #RRGGBB, not \"red\""},
        {"{colour #12345G}", "1:9 *#RRGGBB, not \"#12345G\""},
        {"{colour #123456 bright}", "1:17 colour takes only \"flag\" after the colour"},
        {"{/bold}", "1:1 {/bold} without {bold}"},
        {"{highlight}{highlight}", "1:12 {highlight} while highlight is already on"},
        {"{page x}", "1:7 page needs a whole page number, not \"x\""},
        {"{page 2147483648}", "1:7 page needs*too large (at most 2147483647)"},
        {"{page 2 secret}", "1:9 page takes only \"hidden\" after the number"},
        {"{lgraphic}", "1:1 lgraphic needs a file"},
        {"{lgraphic sky.png pause}",
         "1:19 the file's hold must be a whole number of seconds, not \"pause\""},
        {"{bgraphic sky.png soon}", "1:19 *whole number of seconds or \"pause\", not*"},
        {"{bgraphic sky.png 3601}", "1:19 *, and 3601 is too large (at most 3600)"},
        {"\n {video gone.gif}", "2:9 cannot read \"gone.gif\": No such file or directory"},
        // Found by fuzzing (tests/fuzz, target markup): a file that claims a terabyte (sparse
        // here; a file under /proc can claim as much) was read by allocating its whole size, and
        // the importer died of std::bad_alloc. One byte past the limit is refused unread.
        {"fine\nwords {sound huge.bin} here", "2:14 *\"huge.bin\": it is larger than 256 MiB"},
        {"{sound over.wav}", "1:8 cannot read \"over.wav\": it is larger than 256 MiB"},
        {"{speed fast}", "1:8 speed needs a whole number of words per minute, not \"fast\""},
        {"{speed 4294967295}", "1:8 speed needs*too large (at most 950)"},
        {"{speed 99}", "1:8 speed needs*, and 99 is too small (at least 100)"},
        {"{assessment}", "1:1 assessment needs a text"},
        {"{mailto}", "1:1 mailto needs an address"},
        {"{note}", "1:1 note needs glossary, course, rapid or user"},
        {"{note margin 2}", "1:7 note needs glossary, course, rapid or user, not \"margin\""},
        {"{note user}", "1:1 note needs a whole note number after its kind"},
        {"{note user 2147483648}", "1:12 note needs*(at most 2147483647)"},
        {"{dogear +1}", "1:9 dogear needs a whole dogear number, not \"+1\""},
        {"{email 2147483647}", "1:8 email needs a whole item number*(at most 2147483646)"},
        {"{attachment}", "1:1 attachment needs announce, skip or info"},
        {"{attachment open}", "1:13 attachment needs*, not \"open\""},
        {"{view 1.5}", "1:7 view needs a whole view type number, not \"1.5\""},
        {"{command x}", "1:10 command needs a whole command type number, not \"x\""},
        {"{link}", "1:1 link needs a URL"},
        {"{ }", "1:1 empty directive \"{ }\""},
        {"ok", "ok"},
    };
    check(cases);
    // A word after all that a directive takes is refused where it stands.
    for (const std::string in :
         {"{rest 2 3}", "{bold x}", "{mailto a b}", "{review now}", "{note user 2 3}",
          "{page 1 hidden x}", "{speed 300 400}", "{sound tone.wav 3}", "{colour #123456 flag x}",
          "{attachment skip now}", "{background sky.png 1 2}"}) {
        const std::size_t at = in.rfind(' ') + 1;
        EXPECT_EQ("1:" + std::to_string(at + 1) + " unexpected \"" +
                      in.substr(at, in.size() - at - 1) + "\" in \"" + in + "\"",
                  import(in));
    }
}

// Each sample imports with the count of each kind of item (in kKinds' order), of each kind of
// link (by bit) and of the words with each pen (bold, highlight, a colour, a background): the
// tour uses every one. Its media are real pictures and sounds.
TEST(DocumentImporterSamples, ImportWithEveryKindOfItemAndTheirMediaLoad) {
    wxInitAllImageHandlers();
    const std::pair<const char*, const char*> samples[] = {
        {"harbour-tour.flit",
         "218 195 31 11 3 1 4 1 1 1 1 1 3 1 2 1 1 1 2 1 1 2 1 1 2 1 1 1 1 2 2 5 5 "},
        {"harbour.txt", "100 98 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "},
        {"lighthouse.txt",
         "1267 1252 15 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "},
    };
    for (const auto& sample : samples) {
        CDocumentImporter importer;
        auto doc = importer.importFile(wxString(FLIT_SAMPLES_DIR "/") + sample.first);
        ASSERT_TRUE(doc) << importer.getError();
        int n[33] = {}; // kinds, then link kinds from 20, then pens from 29
        for (auto* node = doc->getFirstNode(); node != nullptr; node = node->GetNext()) {
            CDataInfo* item = node->GetData();
            ++n[__builtin_ctz(item->getDataInfoType())];
            if (auto* word = dynamic_cast<CDITWord*>(item)) {
                n[29] += word->getStyleInfo().isOn(eStyleBold) ? 1 : 0;
                n[30] += word->getStyleInfo().isOn(eStyleHighlight) ? 1 : 0;
                n[31] += word->getFontColourTagInfoListNode() != nullptr ? 1 : 0;
                n[32] += word->getBackgroundLinkInfoNode() != nullptr ? 1 : 0;
            } else if (auto* ref = dynamic_cast<CDITLinkInfoRef*>(item)) {
                const CLinkInfo* link = doc->getLinkAt(ref->getLinkInfoListNode());
                ++n[20 + __builtin_ctz(link->linkType)];
                wxString path;
                if (doc->getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored,
                                                    link->linkData, &path)) {
                    const std::string head = readBytes(path);
                    EXPECT_TRUE(path.EndsWith(".wav")
                                    ? head.substr(0, 4) + head.substr(8, 4) == "RIFFWAVE"
                                    : wxImage(path).IsOk())
                        << link->linkData;
                }
            }
        }
        std::string counts;
        for (int count : n) {
            counts += std::to_string(count) + " ";
        }
        EXPECT_EQ(sample.second, counts) << sample.first;
    }
}

namespace {

// Every format stops at the limits of a document: one item or one byte of text more than it
// holds is refused with the limit named, and a document exactly at its limits is read whole.
class DocumentLimits : public testing::TestWithParam<std::pair<const char*, std::string>> {
protected:
    bool imports(std::size_t maxItems, std::size_t maxTextBytes) {
        CDocumentImporter::eFormat format = CDocumentImporter::eAutomatic;
        CDocumentImporter::formatFromName(GetParam().first, &format);
        importer.setLimits(maxItems, maxTextBytes);
        const std::string& bytes = GetParam().second;
        document = importer.importBytes(bytes.data(), bytes.size(), format, "", FLIT_SAMPLES_DIR);
        return document != nullptr;
    }

    CDocumentImporter importer;
    std::unique_ptr<CDataManager> document;
};

TEST_P(DocumentLimits, OneMoreThanTheLimitsIsRefusedAndTheLimitsThemselvesAreRead) {
    ASSERT_TRUE(imports(CDocumentImporter::kMaxItems, CDocumentImporter::kMaxTextBytes));
    const std::size_t items = document->getItemCount();
    const std::size_t text = document->getTextBytes();
    ASSERT_TRUE(imports(items, text)) << importer.getError();
    EXPECT_EQ(items, document->getItemCount());
    EXPECT_FALSE(imports(items - 1, SIZE_MAX));
    EXPECT_EQ(0, importer.getError().Find("the document is too long: it has more than " +
                                          std::to_string(items - 1) + " words"));
    EXPECT_FALSE(imports(SIZE_MAX, text - 1));
    EXPECT_EQ(0, importer.getError().Find("the document is too large: its words hold more than " +
                                          std::to_string(text - 1) + " bytes"));
}

// Each under a thousand items and bytes of text, whose counts the messages write as they are.
INSTANTIATE_TEST_SUITE_P(
    EveryFormat, DocumentLimits,
    testing::Values(std::make_pair("text", readBytes(FLIT_SAMPLES_DIR "/harbour.txt")),
                    std::make_pair("flit", std::string("The {bold}tide{/bold}{rest 2}\n{page 4}")),
                    std::make_pair("markdown", std::string("# Harbour\n\nThe *tide* turns.")),
                    std::make_pair("html",
                                   std::string("<p>The <b>tide</b> turns.<br>Gulls call.</p>")),
                    std::make_pair("epub", readBytes(FLIT_SAMPLES_DIR "/harbour-book.epub")),
                    std::make_pair("mobi", readBytes(FLIT_SAMPLES_DIR "/harbour-book.mobi")),
                    std::make_pair("fb2", readBytes(FLIT_SAMPLES_DIR "/harbour-book.fb2")),
                    std::make_pair("pdf", makePdf("72 72 The tide\n#page\n72 72 turns"))));

} // namespace
