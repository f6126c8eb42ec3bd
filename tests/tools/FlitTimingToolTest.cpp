// Runs the real flit-timing program on real files and checks its output, messages and exit
// statuses: one case per behaviour, to show the wiring. The tables of what is imported, flashed
// and timed are those of the layers below (tests/outside, tests/engine/FlashedWordsTest.cpp,
// tests/timing).

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/xml/xml.h>

#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SRun {
    int status;
    std::string out;
    std::string err;
};

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
    // The file's path quoted for the shell.
    std::string arg(const std::string& name) const { return "'" + file(name) + "'"; }

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
    }

    static std::string read(const std::string& path) {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }

    // Runs the tool through the shell with the arguments (already quoted as needed), after the
    // shell commands in prefix.
    SRun run(const std::string& args, const std::string& prefix = std::string()) const {
        const std::string command = prefix + "'" FLIT_TIMING_PATH "' " + args + " >" +
                                    arg("stdout") + " 2>" + arg("stderr");
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(file("stdout")), read(file("stderr"))};
    }

    std::string dir;
};

} // namespace

// What the engine flashes, timed as it times it: "<LINK>" for a link, the words of an email item,
// nothing that an attachment skip jumps over; a sustain holds the next word's first chunk
// longer, a speed link sets the speed of what follows. A split word counts once.
TEST_F(FlitTimingTool, ListsWhatTheEngineFlashes) {
    write("flash.flit", "sea {link https://example.org}{sustain 1}harbours{speed 500} tide"
                        "{attachment skip} gone{email 0}");
    const SRun r = run("--word-length 7 --summary " + arg("flash.flit"));
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(kHeader + "sea\tspace\t135\t9\n<LINK>\tnone\t226\t292\n"
                        "harbou-\tspace\t438\t9\nrs\tspace\t155\t9\ntide\tspace\t72\t4\n"
                        "Email\tspace\t116\t4\nItem\tspace\t112\t4\n#\tspace\t147\t4\n"
                        "1\tnewline\t147\t512\nwords 8, total_ms 2395, wpm 200\n",
              r.out);
}

TEST_F(FlitTimingTool, MarkedUpTextListsWordsWithTheEnginesSeparators) {
    write("tour.flit", "{page 1}sea{rest 2}wall {bold}tide{/bold}{sustain 1}\r\n"
                       "{{end}}{colour #102030} {note user 2}\n{view 1}");
    // Each word's separator is the first word, space or newline after it, whatever lies between.
    EXPECT_EQ(kHeader + "sea\tnone\t135\t9\nwall\tspace\t139\t9\ntide\tnewline\t139\t1017\n"
                        "{end}\tspace\t427\t9\n",
              run(arg("tour.flit")).out);

    // Standard input is plain unless told otherwise, and --format overrides the file's name.
    write("short.txt", "the end.");
    const struct {
        std::string args;
        const char* found;
    } formats[] = {
        {"< " + arg("tour.flit"), "\n{page\tspace"},
        {"--format plain " + arg("tour.flit"), "\n{page\tspace"},
        {"--format flit < " + arg("tour.flit"), "\nsea\tnone"},
        {"--wpm 300 < " + arg("short.txt"), "\nthe\tspace\t112\t8\nend.\tnone\t115\t459\n"}};
    for (const auto& f : formats) {
        EXPECT_NE(std::string::npos, run(f.args).out.find(f.found)) << f.args;
    }
    EXPECT_EQ(2, run("--format xml " + arg("tour.flit")).status);
}

// Saved settings load back; a refused settings file stops the tool with status 1, one that cannot
// be read with 2, and a failed save with 1, each before any output and with a message naming the
// file and the problem.
TEST_F(FlitTimingTool, SettingsSaveLoadAndRefusal) {
    const SRun saved = run("--save-settings " + arg("saved.xml") + " </dev/null");
    ASSERT_EQ(0, saved.status) << saved.err;
    EXPECT_EQ(kHeader, saved.out);
    EXPECT_NE(std::string::npos, read(file("saved.xml")).find("<speed>950</speed>"));
    const std::string tour = " --summary '" FLIT_SAMPLES_DIR "/harbour-tour.flit'";
    const SRun loaded = run("--settings " + arg("saved.xml") + tour);
    EXPECT_EQ(0, loaded.status) << loaded.err;
    EXPECT_EQ(run(tour).out, loaded.out);

    write("malformed.xml", "<flit_word_calcs><speed>1</sped></flit_word_calcs>");
    ASSERT_EQ(0, mkfifo(file("pipe.xml").c_str(), 0600));
    const struct {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"--settings " + arg("malformed.xml"), 1,
         file("malformed.xml") + "': XML parsing error: 'mismatched tag'"},
        {"--settings " + arg("pipe.xml"), 2, file("pipe.xml") + "' is not a regular file"},
        {"--save-settings /proc/flit-settings.xml", 1, "cannot write '/proc/flit-settings.xml': "},
    };
    for (const auto& c : cases) {
        const SRun r = run(c.args + " </dev/null");
        EXPECT_EQ(c.status, r.status) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
        EXPECT_EQ(0u, r.err.find("flit-timing: ")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << r.err;
    }
}

TEST_F(FlitTimingTool, BadInputNamesTheProblemAndWritesNothing) {
    write("bad.flit", "fine words\n  and {fog 3} here");
    write("media.flit", "{sound missing.wav}");
    const struct {
        std::string args;
        std::string err;
    } placed[] = {
        {"--svg " + arg("out.svg") + " " + arg("bad.flit"),
         "flit-timing: " + file("bad.flit") + ":2:7: unknown directive \"{fog 3}\"\n"},
        {"--format flit < " + arg("media.flit"),
         "flit-timing: standard input:1:8: cannot read \"missing.wav\": No such file or "
         "directory\n"},
    };
    for (const auto& c : placed) {
        const SRun r = run(c.args);
        EXPECT_EQ(2, r.status) << c.args;
        EXPECT_TRUE(r.out.empty()) << c.args;
        EXPECT_EQ(c.err, r.err);
    }
    EXPECT_FALSE(wxFileExists(file("out.svg")));

    // Only regular files are read, and no text over the importer's limit: a device that never
    // ends, a sparse file claiming a terabyte, as a file or as standard input.
    write("sparse.txt", "");
    ASSERT_EQ(0, truncate(file("sparse.txt").c_str(), 1LL << 40));
    const std::string badArgs[] = {
        "--wpm 0",         "--wpm 5001",           "--wpm fast", "--word-length 1",
        "--frobnicate",    "'/no/such/file.txt'",  "'/tmp'",     "/dev/zero",
        arg("sparse.txt"), "<" + arg("sparse.txt")};
    for (const std::string& args : badArgs) {
        const SRun r = run("</dev/null " + args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_FALSE(r.err.empty()) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

// --- Inputs found by fuzzing flit-timing's text path (tests/fuzz, target flit_timing) ---

// Words may hold control characters and the two non-characters U+FFFE and U+FFFF, which are valid
// UTF-8 but not allowed in XML: the picture writes U+FFFD for each, so that it still opens, and
// escapes what XML gives a meaning to.
TEST_F(FlitTimingTool, FuzzFoundControlCharactersInWordsKeepTheSvgWellFormed) {
    write("odd.txt",
          "Fish & <hot>\n\x01\x02 bell\x07 esc\x1b[0m fe\xEF\xBF\xBE ff\xEF\xBF\xBF fine");
    const SRun r = run("--svg " + arg("odd.svg") + " " + arg("odd.txt"));
    ASSERT_EQ(0, r.status) << r.err;
    const std::string picture = read(file("odd.svg"));
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

namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

// A 4000-byte word at 1 word per minute is shown for longer than an int holds; the picture adds
// its two times without overflow, and spaces its ticks so that the row holds at most 30 rather
// than one per second (over two million).
TEST_F(FlitTimingTool, FuzzFoundWordLongerThanTheTimesGivesASmallPicture) {
    write("long.txt", std::string(4000, 'w'));
    const SRun r = run("--wpm 1 --svg " + arg("long.svg") + " " + arg("long.txt"));
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\tnone\t2147483647\t")) << r.out.substr(0, 80);
    const std::string picture = read(file("long.svg"));
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
    ASSERT_EQ(0, run("--svg " + arg("short.svg") + " " + arg("short.txt")).status);
    EXPECT_EQ(4u, occurrences(read(file("short.svg")), "class=\"tick\""));
}
