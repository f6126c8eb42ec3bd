// Runs the real flit-timing program on real files and checks its output, messages and exit
// statuses.

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <string>

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

    // Runs the tool through the shell with the arguments (already quoted as needed).
    SRun run(const std::string& args) const {
        const std::string out = file("stdout").utf8_string();
        const std::string err = file("stderr").utf8_string();
        const std::string command =
            "'" FLIT_TIMING_PATH "' " + args + " >'" + out + "' 2>'" + err + "'";
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

TEST_F(FlitTimingTool, WordLengthTimesTheFirstCharacters) {
    write("long.txt", "internationalization");
    const SRun whole = run("--word-length 8 '" + file("long.txt").utf8_string() + "'");
    write("prefix.txt", "internat");
    const SRun prefix = run("'" + file("prefix.txt").utf8_string() + "'");
    ASSERT_EQ(0, whole.status);
    EXPECT_EQ(prefix.out.substr(prefix.out.find("\tnone")),
              whole.out.substr(whole.out.find("\tnone")));
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

    write("bad.xml", "<flit_word_calcs><timing_table_data><speed>9");
    r = run("--settings '" + file("bad.xml").utf8_string() + "' </dev/null");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("settings refused"));
}

TEST_F(FlitTimingTool, BadInputNamesTheProblemAndWritesNothing) {
    write("bad.txt", std::string("ok\nno\xC3(", 7));
    const std::string svg = file("out.svg").utf8_string();
    SRun r = run("--svg '" + svg + "' '" + file("bad.txt").utf8_string() + "'");
    EXPECT_EQ(2, r.status);
    EXPECT_NE(std::string::npos, r.err.find("offset 5")) << r.err;
    EXPECT_FALSE(wxFileExists(svg));

    const char* badArgs[] = {"--wpm 0",      "--wpm 5001",          "--wpm fast", "--word-length 1",
                             "--frobnicate", "'/no/such/file.txt'", "'/tmp'"};
    for (const char* args : badArgs) {
        r = run(std::string(args) + " </dev/null");
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
