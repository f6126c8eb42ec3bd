// Runs the real flit-timing program on real files and checks its output, messages and exit
// statuses.

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SRun {
    int status;
    std::string out;
    std::string err;
};

class FlitTimingTool : public testing::Test {
protected:
    void SetUp() override {
        dir = wxFileName::CreateTempFileName("flit-tool");
        wxRemoveFile(dir);
        ASSERT_TRUE(wxMkdir(dir));
    }
    void TearDown() override { wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE); }

    wxString file(const char* name) const { return dir + "/" + name; }

    void write(const char* name, const std::string& bytes) const {
        wxFFile(file(name), "wb").Write(bytes.data(), bytes.size());
    }

    static std::string read(const wxString& path) {
        wxFFile f(path, "rb");
        std::string bytes(f.IsOpened() ? static_cast<std::size_t>(f.Length()) : 0, '\0');
        if (!bytes.empty()) {
            f.Read(&bytes[0], bytes.size());
        }
        return bytes;
    }

    // Runs the tool through the shell with the arguments (already quoted as needed), after the
    // shell commands in prefix.
    SRun run(const std::string& args, const std::string& prefix = std::string()) const {
        const std::string out = file("stdout").utf8_string();
        const std::string err = file("stderr").utf8_string();
        const std::string command =
            prefix + "'" FLIT_TIMING_PATH "' " + args + " >'" + out + "' 2>'" + err + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(out), read(err)};
    }

    wxString dir;
};

} // namespace

TEST_F(FlitTimingTool, ReproducesTheWorkedValues) {
    write("text.txt", "Smith, the reading NASA end.\nThe 1999 end. Dr. (aside)");
    SRun r = run("--summary '" + file("text.txt").utf8_string() + "'");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("word\tseparator\tdisplay_ms\tdelay_ms\n"
              "Smith,\tspace\t226\t292\nthe\tspace\t135\t9\nreading\tspace\t155\t9\n"
              "NASA\tspace\t209\t9\nend.\tnewline\t139\t1017\nThe\tspace\t135\t9\n"
              "1999\tspace\t301\t9\nend.\tspace\t139\t576\nDr.\tspace\t135\t9\n"
              "(aside)\tnone\t155\t292\nwords 10, total_ms 3960, wpm 151\n",
              r.out);

    write("hundred.txt", "the however,");
    r = run("--wpm 100 '" + file("hundred.txt").utf8_string() + "'");
    EXPECT_EQ("word\tseparator\tdisplay_ms\tdelay_ms\nthe\tspace\t309\t43\n"
              "however,\tnone\t379\t1198\n",
              r.out);

    write("short.txt", "the end.");
    r = run("--wpm 300 < '" + file("short.txt").utf8_string() + "'");
    EXPECT_EQ("word\tseparator\tdisplay_ms\tdelay_ms\nthe\tspace\t112\t8\nend.\tnone\t115\t459\n",
              r.out);
}

TEST_F(FlitTimingTool, WordLengthSplitsWordsIntoChunksTimedByTheFirstCharacters) {
    write("long.txt", "internationalization");
    const SRun whole = run("--word-length 8 '" + file("long.txt").utf8_string() + "'");
    write("prefix.txt", "internat");
    const SRun prefix = run("'" + file("prefix.txt").utf8_string() + "'");
    ASSERT_EQ(0, whole.status);
    const std::string times = prefix.out.substr(prefix.out.find("\t", prefix.out.find('\n')));
    EXPECT_EQ("word\tseparator\tdisplay_ms\tdelay_ms\ninterna-" + times + "tionali-" + times +
                  "zation" + times,
              whole.out);
}

// What the engine flashes, timed as it times it: "<LINK>" for a link, the words of an email item,
// nothing that an attachment skip jumps over; a sustain holds the next word's first chunk
// longer, a speed link sets the speed of what follows. A split word counts once.
TEST_F(FlitTimingTool, ListsWhatTheEngineFlashes) {
    write("flash.flit", "sea {link https://example.org}{sustain 1}harbours{speed 500} tide"
                        "{attachment skip} gone{email 0}");
    const SRun r = run("--word-length 7 --summary '" + file("flash.flit").utf8_string() + "'");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("word\tseparator\tdisplay_ms\tdelay_ms\nsea\tspace\t135\t9\n<LINK>\tnone\t226\t292\n"
              "harbou-\tspace\t438\t9\nrs\tspace\t155\t9\ntide\tspace\t72\t4\n"
              "Email\tspace\t116\t4\nItem\tspace\t112\t4\n#\tspace\t147\t4\n1\tnewline\t147\t512\n"
              "words 8, total_ms 2395, wpm 200\n",
              r.out);
}

TEST_F(FlitTimingTool, SettingsRoundTripAndRefusal) {
    const std::string saved = file("defaults.xml").utf8_string();
    SRun r = run("--save-settings '" + saved + "' </dev/null");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, read(saved).find("<speed>950</speed>"));
    r = run("--settings '" + saved + "' '" FLIT_SAMPLES_DIR "/harbour.txt' --summary");
    const SRun plain = run("'" FLIT_SAMPLES_DIR "/harbour.txt' --summary");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(plain.out, r.out);
}

// A bad settings file stops the tool before any output, with a message naming the file and the
// problem: status 1 for a file that is read and refused, 2 for one that cannot be read.
TEST_F(FlitTimingTool, BadSettingsFilesStopTheToolBeforeAnyOutput) {
    const auto row = [](const std::string& fields) {
        return "<flit_word_calcs><timing_table_data>" + fields +
               "</timing_table_data></flit_word_calcs>";
    };
    const auto speeds = [](std::initializer_list<int> list) {
        std::string rows;
        for (int speed : list) {
            rows += "<timing_table_data><speed>" + std::to_string(speed) +
                    "</speed></timing_table_data>";
        }
        return "<flit_word_calcs>" + rows + "</flit_word_calcs>";
    };
    std::string nested = "<flit_word_calcs>";
    while (nested.size() < (10u << 20)) {
        nested += "<a>";
    }
    ASSERT_TRUE(wxMkdir(file("folder.xml")));
    ASSERT_EQ(0, mkfifo(file("pipe.xml").utf8_str(), 0600));
    ASSERT_EQ(0, symlink("nowhere.xml", file("dangling.xml").utf8_str()));
    const struct {
        const char* name;
        std::string bytes; // written unless the name is one of the special files above
        int status;
        const char* message;
    } cases[] = {
        {"malformed.xml", "<flit_word_calcs><speed>1</sped></flit_word_calcs>", 1,
         "mismatched tag"},
        {"truncated.xml", "<flit_word_calcs><timing_table_data><speed>9", 1, "XML parsing error"},
        {"empty.xml", "", 1, "no element found"},
        {"binary.xml",
         std::string("\x7f"
                     "ELF\x02\x01\x00\xff",
                     8),
         1, "not well-formed"},
        {"seven.xml", speeds({25, 100, 250, 400, 550, 950, 990}), 1, "more than 6"},
        {"descending.xml", speeds({950, 100}), 1,
         "row 2's speed 100 is not above row 1's speed 950"},
        {"entities.xml",
         "<!DOCTYPE flit_word_calcs [<!ENTITY s \"30\">]>" + row("<speed>&s;</speed>"), 1,
         "document type declaration"},
        {"nested.xml", nested, 1, "more than the 1048576"},
        {"folder.xml", "", 2, "is a folder"},
        {"pipe.xml", "", 2, "is not a regular file"},
        {"dangling.xml", "", 2, "does not exist"},
    };
    for (const auto& c : cases) {
        const wxString path = file(c.name);
        if (!wxFileName::Exists(path, wxFILE_EXISTS_ANY | wxFILE_EXISTS_NO_FOLLOW)) {
            write(c.name, c.bytes);
        }
        const SRun r = run("--settings '" + path.utf8_string() + "' </dev/null");
        EXPECT_EQ(c.status, r.status) << c.name;
        EXPECT_TRUE(r.out.empty()) << c.name;
        EXPECT_EQ(0u, r.err.find("flit-timing: ")) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(path.utf8_string())) << r.err;
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << r.err;
    }
}

// Settings that cannot be saved leave the old file whole and no temporary file behind: a place
// where even root cannot create files, a "folder" that is a file, and a full disk (a file size
// limit of one kilobyte stands in for it: the settings file is larger).
TEST_F(FlitTimingTool, FailedSaveKeepsTheOldSettings) {
    const std::string saved = file("saved.xml").utf8_string();
    ASSERT_EQ(0, run("--save-settings '" + saved + "' </dev/null").status);
    const std::string before = read(saved);
    const struct {
        std::string target;
        const char* prefix;
    } cases[] = {
        {"/proc/flit-settings.xml", ""},
        {saved + "/x.xml", ""},
        {saved, "trap '' XFSZ; ulimit -f 1; "},
    };
    for (const auto& c : cases) {
        const SRun r = run("--save-settings '" + c.target + "' </dev/null", c.prefix);
        EXPECT_EQ(1, r.status) << c.target;
        EXPECT_TRUE(r.out.empty()) << c.target;
        EXPECT_NE(std::string::npos, r.err.find("cannot write '" + c.target + "': ")) << r.err;
        EXPECT_EQ(before, read(saved)) << c.target;
    }
    wxArrayString names;
    wxDir::GetAllFiles(dir, &names, "saved.xml*", wxDIR_FILES | wxDIR_HIDDEN);
    EXPECT_EQ(1u, names.size());
}

// Odd texts are timed; a NUL is refused with its place.
TEST_F(FlitTimingTool, OddTextsAreTimedAndNonTextIsRefused) {
    const std::string header = "word\tseparator\tdisplay_ms\tdelay_ms\n";
    write("lf.txt", "a\nb\nc");
    const SRun lf = run("'" + file("lf.txt").utf8_string() + "'");
    const struct {
        const char* name;
        std::string text;
        std::string out;
    } cases[] = {
        {"empty.txt", "", header},
        {"blank.txt", " \t\r\n\r \n\v", header},
        {"crlf.txt", "a\r\nb\rc", lf.out},
        // The display time of a word this long is past the range of the times: it is held there.
        {"long.txt", std::string(100000, 'w'),
         header + std::string(100000, 'w') + "\tnone\t2147483647\t9\n"},
    };
    for (const auto& c : cases) {
        write(c.name, c.text);
        const SRun r = run("'" + file(c.name).utf8_string() + "'");
        EXPECT_EQ(0, r.status) << c.name << ": " << r.err;
        EXPECT_EQ(c.out, r.out) << c.name;
    }
    write("nul.txt", std::string("ab\0c", 4));
    const SRun r = run("'" + file("nul.txt").utf8_string() + "'");
    EXPECT_EQ(2, r.status);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ("flit-timing: " + file("nul.txt").utf8_string() + ":1:3: NUL character in the text\n",
              r.err);
}

TEST_F(FlitTimingTool, BadInputNamesTheProblemAndWritesNothing) {
    write("bad.txt", std::string("ok\nno\xC3(", 7));
    const std::string svg = file("out.svg").utf8_string();
    SRun r = run("--svg '" + svg + "' '" + file("bad.txt").utf8_string() + "'");
    EXPECT_EQ(2, r.status);
    EXPECT_NE(std::string::npos, r.err.find("offset 5")) << r.err;
    EXPECT_FALSE(wxFileExists(svg));

    // Only regular files are read, and no text over the importer's limit: a device that never
    // ends, a sparse file claiming a terabyte, as a file or as standard input.
    const std::string sparse = file("sparse.txt").utf8_string();
    write("sparse.txt", "");
    ASSERT_EQ(0, truncate(sparse.c_str(), 1LL << 40));
    const std::string badArgs[] = {"--wpm 0",          "--wpm 5001",   "--wpm fast",
                                   "--word-length 1",  "--frobnicate", "'/no/such/file.txt'",
                                   "'/tmp'",           "/dev/zero",    "'" + sparse + "'",
                                   "<'" + sparse + "'"};
    for (const std::string& args : badArgs) {
        r = run("</dev/null " + args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_FALSE(r.err.empty()) << args;
        EXPECT_TRUE(r.out.empty()) << args;
    }
}

TEST_F(FlitTimingTool, SvgShowsEveryWord) {
    const std::string svg = file("rhythm.svg").utf8_string();
    write("text.txt", "Fish & chips, <hot> now.\nNext line");
    const SRun r = run("--svg '" + svg + "' '" + file("text.txt").utf8_string() + "'");
    ASSERT_EQ(0, r.status) << r.err;
    const std::string picture = read(svg);
    EXPECT_EQ(0u, picture.find("<?xml"));
    for (const char* word : {"Fish", "&amp;", "chips,", "&lt;hot&gt;", "now.", "Next", "line"}) {
        EXPECT_NE(std::string::npos, picture.find(std::string(">") + word + "<")) << word;
    }
}

TEST_F(FlitTimingTool, MarkedUpTextListsWordsWithTheEnginesSeparators) {
    write("tour.flit", "{page 1}sea{rest 2}wall {bold}tide{/bold}{sustain 1}\r\n"
                       "{{end}}{colour #102030} {note user 2}\n{view 1}");
    SRun r = run("'" + file("tour.flit").utf8_string() + "'");
    ASSERT_EQ(0, r.status) << r.err;
    // Each word's separator is the first word, space or newline after it, whatever lies between.
    std::string listed;
    for (std::size_t line = r.out.find('\n') + 1; line < r.out.size();
         line = r.out.find('\n', line) + 1) {
        const std::size_t second = r.out.find('\t', r.out.find('\t', line) + 1);
        listed += r.out.substr(line, second - line) + "|";
    }
    EXPECT_EQ("sea\tnone|wall\tspace|tide\tnewline|{end}\tspace|", listed);

    // Standard input is plain unless told otherwise; the words time as they would in plain text.
    write("plain.txt", "wall tide\n");
    const SRun plain = run("< '" + file("plain.txt").utf8_string() + "'");
    r = run("--format flit < '" + file("plain.txt").utf8_string() + "'");
    EXPECT_EQ(plain.out, r.out);
    r = run("< '" + file("tour.flit").utf8_string() + "'");
    EXPECT_NE(std::string::npos, r.out.find("{page\tspace")) << r.out;
    r = run("--format plain '" + file("tour.flit").utf8_string() + "'");
    EXPECT_NE(std::string::npos, r.out.find("{page\tspace")) << r.out;
    r = run("--format xml '" + file("tour.flit").utf8_string() + "'");
    EXPECT_EQ(2, r.status);
}

TEST_F(FlitTimingTool, MarkedUpFaultsNameFileLineAndColumn) {
    write("bad.flit", "fine words\n  and {fog 3} here");
    SRun r = run("'" + file("bad.flit").utf8_string() + "'");
    EXPECT_EQ(2, r.status);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ("flit-timing: " + file("bad.flit").utf8_string() +
                  ":2:7: unknown directive \"{fog 3}\"\n",
              r.err);

    write("media.flit", "{sound missing.wav}");
    r = run("--format flit < '" + file("media.flit").utf8_string() + "'");
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("flit-timing: standard input:1:8: cannot read \"missing.wav\": No such file or "
              "directory\n",
              r.err);
}

TEST_F(FlitTimingTool, TimesTheSamples) {
    SRun r = run("--summary '" FLIT_SAMPLES_DIR "/harbour-tour.flit'");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\nwords ")) << r.out;
    r = run("--summary '" FLIT_SAMPLES_DIR "/lighthouse.txt'");
    ASSERT_EQ(0, r.status) << r.err;
    const std::size_t count = r.out.rfind("words ");
    EXPECT_GE(std::stoi(r.out.substr(count + 6)), 1000);
}

// --- Inputs found by fuzzing flit-timing's text path (tests/fuzz, target flit_timing) ---

namespace {

// The characters that an XML 1.0 document may not contain, as the picture could hold them:
// control characters other than tab, line feed and carriage return, and U+FFFE and U+FFFF.
std::size_t forbiddenXmlCharacters(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            ++count;
        } else if (text.compare(i, 3, "\xEF\xBF\xBE") == 0 ||
                   text.compare(i, 3, "\xEF\xBF\xBF") == 0) {
            ++count;
        }
    }
    return count;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace

// Words may hold control characters and the two non-characters U+FFFE and U+FFFF, which are valid
// UTF-8 but not allowed in XML: the picture writes U+FFFD for each, so that it still opens.
TEST_F(FlitTimingTool, FuzzFoundControlCharactersInWordsKeepTheSvgWellFormed) {
    const std::string svg = file("odd.svg").utf8_string();
    write("odd.txt", "\x01\x02 bell\x07 esc\x1b[0m fe\xEF\xBF\xBE ff\xEF\xBF\xBF fine");
    const SRun r = run("--svg '" + svg + "' '" + file("odd.txt").utf8_string() + "'");
    ASSERT_EQ(0, r.status) << r.err;
    const std::string picture = read(svg);
    EXPECT_EQ(0u, forbiddenXmlCharacters(picture));
    for (const char* word : {"\xEF\xBF\xBD\xEF\xBF\xBD", "bell\xEF\xBF\xBD", "esc\xEF\xBF\xBD[0m",
                             "fe\xEF\xBF\xBD", "ff\xEF\xBF\xBD", "fine"}) {
        EXPECT_NE(std::string::npos, picture.find(std::string(">") + word + "<")) << word;
    }
    // The report lists the words as they are.
    EXPECT_NE(std::string::npos, r.out.find("\nbell\x07\tspace\t")) << r.out;
}

// A 4000-byte word at 1 word per minute is shown for longer than an int holds; the picture adds
// its two times without overflow, and spaces its ticks so that the row holds at most 30 rather
// than one per second (over two million).
TEST_F(FlitTimingTool, FuzzFoundWordLongerThanTheTimesGivesASmallPicture) {
    const std::string svg = file("long.svg").utf8_string();
    write("long.txt", std::string(4000, 'w'));
    const SRun r = run("--wpm 1 --svg '" + svg + "' '" + file("long.txt").utf8_string() + "'");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\tnone\t2147483647\t")) << r.out.substr(0, 80);
    const std::string picture = read(svg);
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
    const std::string shortSvg = file("short.svg").utf8_string();
    ASSERT_EQ(0, run("--svg '" + shortSvg + "' '" + file("short.txt").utf8_string() + "'").status);
    EXPECT_EQ(4u, occurrences(read(shortSvg), "class=\"tick\""));
}
