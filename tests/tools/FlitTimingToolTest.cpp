// Runs the real flit-timing program on real files and checks its output, messages and exit
// statuses: one case per behaviour, to show the wiring. The tables of what is imported, flashed
// and timed are those of the layers below (tests/outside, tests/engine/FlashedWordsTest.cpp,
// tests/timing).

#include "support/PdfFixture.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SRun {
    int status;
    std::string out, err;
};

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at) {
        ++count;
    }
    return count;
}

const std::string kHeader = "word\tseparator\tdisplay_ms\tdelay_ms\n";

class FlitTimingTool : public testing::Test {
protected:
    void SetUp() override {
        const wxString made = wxFileName::CreateTempFileName("flit-tool");
        wxRemoveFile(made);
        ASSERT_TRUE(wxMkdir(made));
        dir = made.utf8_string();
    }
    void TearDown() override { wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE); }

    std::string file(const std::string& name) const { return dir + "/" + name; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }

    std::string read(const std::string& name) const {
        std::ostringstream bytes;
        bytes << std::ifstream(file(name), std::ios::binary).rdbuf();
        return bytes.str();
    }

    // Runs the tool through the shell in the test's folder, with the arguments (quoted as
    // needed) after it.
    SRun run(const std::string& args) const {
        const std::string command =
            "cd '" + dir + "' && '" FLIT_TIMING_PATH "' " + args + " >stdout 2>stderr";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read("stdout"), read("stderr")};
    }

    std::string dir;
};

} // namespace

// What the engine flashes, timed as it times it: "<LINK>" for a link, the words of an email item,
// nothing that an attachment skip jumps over; a sustain holds the next word's first chunk
// longer, a speed link sets the speed of what follows. A split word counts once. Saved settings
// load back and time the same.
TEST_F(FlitTimingTool, ListsWhatTheEngineFlashes) {
    write("flash.flit", "sea {link https://example.org}{sustain 1}harbours{speed 500} tide"
                        "{attachment skip} gone{email 0}");
    const SRun r = run("--word-length 7 --summary flash.flit");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(kHeader + "sea\tspace\t135\t9\n<LINK>\tnone\t226\t292\n"
                        "harbou-\tspace\t438\t9\nrs\tspace\t155\t9\ntide\tspace\t72\t4\n"
                        "Email\tspace\t116\t4\nItem\tspace\t112\t4\n#\tspace\t147\t4\n"
                        "1\tnewline\t147\t512\nwords 8, total_ms 2395, wpm 200\n",
              r.out);
    const SRun saved = run("--save-settings saved.xml </dev/null");
    ASSERT_EQ(0, saved.status) << saved.err;
    EXPECT_EQ(kHeader, saved.out);
    EXPECT_NE(std::string::npos, read("saved.xml").find("<speed>950</speed>"));
    EXPECT_EQ(r.out, run("--settings saved.xml --word-length 7 --summary flash.flit").out);
}

TEST_F(FlitTimingTool, MarkedUpTextListsWordsWithTheEnginesSeparators) {
    write("tour.flit", "{page 1}sea{rest 2}wall {bold}tide{/bold}{sustain 1}\r\n"
                       "{{end}}{colour #102030} {note user 2}\n{view 1}");
    // Each word's separator is the first word, space or newline after it, whatever lies between.
    EXPECT_EQ(kHeader + "sea\tnone\t135\t9\nwall\tspace\t139\t9\ntide\tnewline\t139\t1017\n"
                        "{end}\tspace\t427\t9\n",
              run("tour.flit").out);

    // Standard input is plain unless its content says otherwise, --format overrides the file's
    // name, and a hard-wrapped text's single line breaks are spaces unless they are kept.
    write("short.txt", "the end.");
    write("wrap.txt", "one\ntwo\n\nthree");
    write("latin.txt", "caf\xE9");
    write("ru.html",
          "<html lang='ru'><p>\u0444\u0440\u0430\u043d\u0446\u0443\u0437\u0441\u043a\u0438\u0445");
    const std::pair<const char*, const char*> formats[] = {
        {"< tour.flit", "\n{page\tspace"},
        {"--format plain tour.flit", "\n{page\tspace"},
        {"wrap.txt", "\none\tspace"},
        {"--keep-line-breaks wrap.txt", "\none\tnewline"},
        {"latin.txt", "\ncaf\u00E9\tnone"},
        {"--format flit < tour.flit", "\nsea\tnone"},
        {"--wpm 300 < short.txt", "\nthe\tspace\t112\t8\nend.\tnone\t115\t459\n"},
        // Words are measured in characters unless bytes are asked for; long ones are cut at
        // syllables in the document's language when asked, or for reading.
        {"ru.html",
         "\u0444\u0440\u0430\u043d\u0446\u0443\u0437\u0441\u043a\u0438\u0445\tnone\t210\t9"},
        {"--count bytes ru.html", "\u0438\u0445\tnone\t487\t9"},
        {"--word-length 6 --hyphenate ru.html", "\n\u0444\u0440\u0430\u043d-\tnone"},
        {"--word-length 6 --hyphenate --language fr-CA ru.html",
         "\n\u0444\u0440\u0430\u043d\u0446-\tnone"},
        {"--word-length 8 --cut-for-reading ru.html", "\n\u0444\u0440\u0430\u043d\u0446-\tnone"},
        {"--word-length 8 --cut-for-reading --hyphenate ru.html",
         "\n\u0444\u0440\u0430\u043d-\tnone"},
    };
    for (const auto& [args, found] : formats) {
        EXPECT_NE(std::string::npos, run(args).out.find(found)) << args;
    }
    // A text in another encoding is read, and standard error says how.
    EXPECT_EQ("flit-timing: latin.txt: not UTF-8: read as Windows-1252\n", run("latin.txt").err);
}

// Each fault stops the tool before any output, with a message naming the problem and its place:
// status 2 for bad usage and input that cannot be read or imported, 1 for refused settings and
// output that cannot be written. Only regular files are read (a device never ends), and no
// standard input over the importer's limit (a sparse file claiming a terabyte); what the
// importer refuses is its own tests'.
TEST_F(FlitTimingTool, FaultsNameTheProblemAndWriteNothing) {
    write("malformed.xml", "<flit_word_calcs><speed>1</sped></flit_word_calcs>");
    ASSERT_EQ(0, mkfifo(file("pipe.xml").c_str(), 0600));
    write("bad.flit", "fine words\n  and {fog 3} here");
    write("media.flit", "{sound missing.wav}");
    write("sparse.txt", "");
    write("pic.png", "\x89PNG\r\n\x1A\n");
    ASSERT_EQ(0, truncate(file("sparse.txt").c_str(), 1LL << 40));
    ASSERT_EQ(0, symlink("loop", file("loop").c_str()));
    write("mem.flit", "{background /proc/self/mem}");
    write("huge.flit", "sea {page " + std::string(10 << 20, '7') + "} wall");
    write("sea\xE9.flit", "{fog}"); // a name written on a Latin-1 system
    // The arguments, the exit status and a wildcard mask ("*" any text) of standard error.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"--settings malformed.xml", 1,
         "flit-timing: settings refused: 'malformed.xml': XML parsing error: 'mismatched tag'*"},
        {"--settings pipe.xml", 2,
         "*: cannot read settings file: 'pipe.xml' is not a regular file\n"},
        {"--save-settings /proc/flit-settings.xml", 1,
         "*: cannot write '/proc/flit-settings.xml': *"},
        {"--svg out.svg bad.flit", 2, "flit-timing: bad.flit:2:7: unknown directive \"{fog 3}\"\n"},
        {"--format flit < media.flit", 2,
         "*: standard input:1:8: cannot read \"missing.wav\": No such file or directory\n"},
        {"--format xml bad.flit", 2,
         "*: --format must be text, flit, epub, html, markdown, pdf, * or auto, not 'xml'\n"},
        {"< pic.png", 2,
         "flit-timing: standard input: not a document this reader knows (a PNG "
         "image)\n"},
        {"--wpm 0", 2, "*: --wpm must be from 1 to 5000, not 0\n"},
        {"--wpm 5001", 2, "*: --wpm must be from 1 to 5000, not 5001\n"},
        {"--wpm fast", 2, "*fast*Try 'flit-timing --help' for more information.\n"},
        {"--word-length 1", 2, "*: --word-length must be 2 or more, not 1\n"},
        {"--count words", 2, "*: --count must be bytes or characters, not 'words'\n"},
        {"/dev/zero", 2, "*: cannot read '/dev/zero': it is not a regular file\n"},
        {".", 2, "*: cannot read '.': it is a folder\n"},
        {"loop", 2, "*: cannot read 'loop': Too many levels of symbolic links\n"},
        // The kernel's reason, and nothing of the toolkit's log.
        {"mem.flit", 2,
         "flit-timing: mem.flit:1:13: cannot read \"/proc/self/mem\": its length cannot be "
         "found: Invalid argument\n"},
        // A value is cut in its message, and a name that is not UTF-8 opens.
        {"huge.flit", 2,
         "*: huge.flit:1:11: page needs a whole page number, and 7777777777777777777777777777777*"
         "7777777777777777 is too large (at most 2147483647)\n"},
        {"'sea\xE9.flit'", 2, "flit-timing: sea*.flit:1:1: unknown directive \"{fog}\"\n"},
        {"< sparse.txt", 2, "*: cannot read standard input: it is larger than 256 MiB\n"},
    };
    for (const auto& [args, status, err] : cases) {
        const SRun r = run(std::string("</dev/null ") + args);
        EXPECT_EQ(status, r.status) << args;
        EXPECT_EQ("", r.out) << args;
        EXPECT_TRUE(wxString::FromUTF8(r.err).Matches(err)) << r.err.substr(0, 300);
        EXPECT_LT(r.err.size(), 300u) << args; // whatever the input held
    }
    EXPECT_FALSE(wxFileExists(file("out.svg")));
}

// --- Inputs found by fuzzing flit-timing's text path (tests/fuzz, target flit_timing) ---

// Words may hold control characters and the two non-characters U+FFFE and U+FFFF, which are valid
// UTF-8 but not allowed in XML: the picture writes U+FFFD for each, so that it still opens, and
// escapes what XML gives a meaning to.
TEST_F(FlitTimingTool, FuzzFoundControlCharactersInWordsKeepTheSvgWellFormed) {
    write("odd.txt",
          "Fish & <hot>\n\x01\x02 bell\x07 esc\x1b[0m fe\xEF\xBF\xBE ff\xEF\xBF\xBF fine");
    const SRun r = run("--svg odd.svg odd.txt");
    ASSERT_EQ(0, r.status) << r.err;
    const std::string picture = read("odd.svg");
    EXPECT_EQ(0u, picture.find("<?xml"));
    EXPECT_TRUE(wxXmlDocument().Load(file("odd.svg"))); // expat refuses what XML does not allow
    for (const char* word :
         {"Fish", "&amp;", "&lt;hot&gt;", "\xEF\xBF\xBD\xEF\xBF\xBD", "bell\xEF\xBF\xBD",
          "esc\xEF\xBF\xBD[0m", "fe\xEF\xBF\xBD", "ff\xEF\xBF\xBD", "fine"}) {
        EXPECT_NE(std::string::npos, picture.find(std::string(">") + word + "<")) << word;
    }
    // The report lists the words as they are.
    EXPECT_NE(std::string::npos, r.out.find("\nbell\x07\tspace\t")) << r.out;
}

// A 4000-byte word at 1 word per minute is shown for longer than an int holds; the picture adds
// its two times without overflow, and spaces its ticks so that the row holds at most 30 rather
// than one per second (over two million).
TEST_F(FlitTimingTool, FuzzFoundWordLongerThanTheTimesGivesASmallPicture) {
    write("long.txt", std::string(4000, 'w'));
    const SRun r = run("--wpm 1 --svg long.svg long.txt");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\tnone\t2147483647\t")) << r.out.substr(0, 80);
    const std::string picture = read("long.svg");
    EXPECT_LE(occurrences(picture, "class=\"tick\""), 31u);
    EXPECT_LT(picture.size(), 16384u);
    EXPECT_EQ(1u, occurrences(picture, "class=\"display\"/><rect"));
    // The scale shrinks so that the word's bar fits one row of 1200 px.
    const std::size_t bar = picture.find("width=\"", picture.find("<g><title>"));
    ASSERT_NE(std::string::npos, bar);
    const double width = std::stod(picture.substr(bar + 7));
    EXPECT_GT(width, 1100.0);
    EXPECT_LE(width, 1200.0);

    // Ordinary texts keep a tick every second: a row of three seconds has four.
    write("short.txt", "a b c");
    ASSERT_EQ(0, run("--svg short.svg short.txt").status);
    EXPECT_EQ(4u, occurrences(read("short.svg"), "class=\"tick\""));
}

// The table of contents: a PDF's outline, each entry with the index of the word it points at,
// counted as the words are listed from 0 (here "Two", after three words); a document without one
// has only the header.
TEST_F(FlitTimingTool, ContentsListsEntriesWithTheirFirstWord) {
    write("book.pdf", makePdf("#outline 0 1 0 Opening\n#outline 1 2 300 Later\n9 20 One\n"
                              "#page\n9 20 Still one\n9 320 Two three"));
    write("plain.txt", "no chapters");
    EXPECT_EQ("level\ttitle\tfirst_word\n0\tOpening\t0\n1\tLater\t3\n",
              run("--contents book.pdf").out);
    EXPECT_EQ("level\ttitle\tfirst_word\n", run("--contents plain.txt").out);
}

// Phrases of three words take a long text and a book as long as single words, within 1%, and
// count the same words; no phrase is longer than its limit (16 characters without a word
// length) nor runs on past a line break, a sentence end or a clause mark.
TEST_F(FlitTimingTool, PhrasesTakeTheTimeOfTheirWords) {
    for (const char* sample : {"lighthouse.txt", "harbour-book.epub"}) {
        SCOPED_TRACE(sample);
        const std::string path = std::string("'" FLIT_SAMPLES_DIR "/") + sample + "'";
        const SRun single = run("--summary " + path);
        const SRun phrases = run("--summary --words-per-flash 3 " + path);
        ASSERT_EQ(0, phrases.status) << phrases.err;
        long long words[2] = {}, totalMs[2] = {};
        for (int k = 0; k < 2; ++k) {
            const std::string& out = k == 0 ? single.out : phrases.out;
            ASSERT_EQ(2, std::sscanf(out.c_str() + out.rfind("words "), "words %lld, total_ms %lld",
                                     &words[k], &totalMs[k]));
        }
        EXPECT_EQ(words[0], words[1]);
        EXPECT_LE(std::llabs(totalMs[1] - totalMs[0]) * 100, totalMs[0]);
        std::istringstream lines(phrases.out);
        std::string line;
        std::size_t longest = 0, multiWord = 0;
        while (std::getline(lines, line) && line.rfind("words ", 0) != 0) {
            const std::string phrase = line.substr(0, line.find('\t'));
            const std::size_t spaces = occurrences(phrase, " ");
            if (spaces == 0) {
                continue;
            }
            ++multiWord;
            EXPECT_LE(spaces, 2u) << line;
            longest = std::max(longest, wxString::FromUTF8(phrase).length());
            // Only the last word may carry a mark or end its line.
            const std::string inner = phrase.substr(0, phrase.rfind(' '));
            EXPECT_EQ(std::string::npos, inner.find_first_of(".,;:!?()")) << line;
            EXPECT_EQ(std::string::npos, inner.find("\xE2\x80\x94")) << line;
        }
        EXPECT_GT(multiWord, 20u);
        EXPECT_LE(longest, 16u);
    }
}
