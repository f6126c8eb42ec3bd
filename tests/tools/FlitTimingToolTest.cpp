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
