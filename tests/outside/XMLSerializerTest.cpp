#include <flitengine/outside/XMLParser.h>
#include <flitengine/outside/XMLSerializer.h>
#include <flitengine/outside/wxXMLUtils.h>

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <csignal>
#include <memory>
#include <string>
#include <utility>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A serializer holding one number, to exercise the load and store paths of the bases.
class CNumberSerializer : public CXMLSerializer {
public:
    explicit CNumberSerializer(const wxString& path) : CXMLSerializer(path.utf8_str()) {}
    int value = 0;
    int loads = 0;

protected:
    wxXmlNode* createDataAsXML() override {
        return CwxXMLUtils().createIntContentElement("number", value);
    }
    bool loadFromXML(wxXmlNode* root) override {
        ++loads;
        return root->GetName() == "number" && CwxXMLUtils().parseIntContentElement(&value, root);
    }
};

// A folder of its own for each test, with a folder and a pipe in it.
class XMLSerializer : public testing::Test {
protected:
    void SetUp() override {
        dir = wxFileName::CreateTempFileName("flit-xml");
        ASSERT_TRUE(wxRemoveFile(dir) && wxMkdir(dir) && wxMkdir(dir + "/media"));
        ASSERT_EQ(0, mkfifo((dir + "/pipe").utf8_str(), 0600));
    }
    void TearDown() override { wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE); }

    // Every name in the folder and the bytes of the file "keep.xml".
    wxString contents() const {
        wxArrayString names;
        wxDir::GetAllFiles(dir, &names, wxString(), wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
        names.Sort();
        wxString text;
        wxFFile(dir + "/keep.xml").ReadAll(&text);
        return wxJoin(names, ' ') + "\n" + text;
    }

    wxString dir;
};

} // namespace

// A store writes the declaration and loads back. Every failed store leaves the old file as it
// was and no temporary file behind: a folder that does not exist, a folder in the target's
// place, and a disk that fills up while the file is written (a file size limit stands in for
// it: writes past it fail as on a full disk).
TEST_F(XMLSerializer, StoresLoadBackAndFailedStoresKeepTheOldFile) {
    CNumberSerializer first(dir + "/keep.xml");
    first.value = -42;
    ASSERT_TRUE(first.store());
    const wxString before = contents();
    EXPECT_NE(wxNOT_FOUND, before.Find("\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << before;
    CNumberSerializer in(dir + "/keep.xml");
    EXPECT_TRUE(in.load());
    EXPECT_EQ(-42, in.value);

    for (const char* target : {"missing/x.xml", "media", "keep.xml"}) {
        CNumberSerializer second(dir + "/" + target);
        second.value = 123456789;
        rlimit saved{};
        ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
        const rlimit capped{std::string(target) == "keep.xml" ? 16 : saved.rlim_cur,
                            saved.rlim_max};
        void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &capped));
        const bool stored = second.store();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(stored) << target;
        EXPECT_EQ(0, second.getStoreError().Find("cannot write '" + dir + "/" + target + "': "))
            << second.getStoreError();
        EXPECT_EQ(before, contents()) << target;
    }
}

// Files that cannot be read, that are not XML, or that the parser must never see (a document
// type declaration, deep nesting, more than the size limit) never reach loadFromXML, and the
// error names the file and the problem.
TEST_F(XMLSerializer, RefusedFilesNeverReachLoadFromXML) {
    ASSERT_EQ(0, symlink("nowhere.xml", (dir + "/dangling.xml").utf8_str()));
    wxFFile(dir + "/noread.xml", "wb").Write(wxString("<number>1</number>"));
    ASSERT_EQ(0, chmod((dir + "/noread.xml").utf8_str(), geteuid() == 0 ? 0600 : 0));
    // Open elements, one past the depth limit or (generated here rather than stored) ten
    // megabytes of them.
    const auto opened = [](std::size_t bytes) {
        std::string text = "<number>";
        while (text.size() < bytes) {
            text += "<a>";
        }
        return text;
    };
    // ASCII as UTF-16, little-endian with a byte order mark or big-endian without one.
    const auto utf16 = [](const std::string& ascii, bool big) {
        std::string out = big ? "" : "\xFF\xFE";
        for (const char c : ascii) {
            out += big ? std::string(1, '\0') + c : std::string(1, c) + '\0';
        }
        return out;
    };
    // Comments past the depth limit (walked as elements when UTF-16 was not understood), and
    // attributes past their limit.
    std::string comments, attributes = "<number";
    for (int k = 0; k <= CXMLParser::kMaxDepth + CXMLParser::kMaxAttributes; ++k) {
        comments += "<!-- <a> -->";
        attributes += " a" + std::to_string(k) + "=''";
    }
    // The file's bytes, or the name of a file in the folder, and the message after the path
    // (none for a file that loads).
    const std::pair<std::string, const char*> cases[] = {
        {utf16("<?xml version='1.0' encoding='UTF-16'?><number>" + comments + "7</number>", false),
         ""},
        {utf16("<number>7</number>", true), ""},
        {utf16("<!DOCTYPE number><number>7</number>", false),
         "': it has a document type declaration*"},
        {utf16("<number>", false) + std::string("\xDF\xDF\xDF\xDF") +
             utf16("7</number>", false).substr(2),
         "' is not valid UTF-16"},
        {attributes + ">1</number>", "': an element has more than 64 attributes"},
        {"<number>12</numbr>", "': XML parsing error: 'mismatched tag' at line 1*"},
        {"<?xml version=\"1.0\"?><!DOCTYPE number [<!ENTITY s \"30\">"
         "<!ENTITY x SYSTEM \"file:///etc/hostname\">]><number>&s;</number>",
         "': it has a document type declaration*"},
        {opened(8 + 3 * CXMLParser::kMaxDepth), "': its elements are nested more than 64 deep"},
        {opened(10u << 20), "' is * bytes, more than the 1048576 that a settings file may have"},
        {"media", "' is a folder, not a file"},
        {"pipe", "' is not a regular file"},
        {"dangling.xml", "' does not exist"},
        {"noread.xml", geteuid() == 0 ? "" : "' cannot be read"}, // permissions do not stop root
    };
    for (const auto& [bytes, message] : cases) {
        const bool named = bytes.size() < 16 && bytes[0] != '<';
        const wxString path = dir + "/" + (named ? wxString(bytes) : "file.xml");
        if (!named) {
            wxFFile(path, "wb").Write(bytes.data(), bytes.size());
        }
        const wxString want = *message == '\0' ? wxString() : "'" + path + message;
        CNumberSerializer in(path);
        EXPECT_EQ(want.empty(), in.load()) << message;
        EXPECT_EQ(want.empty() ? 1 : 0, in.loads) << message;
        EXPECT_TRUE(in.getLoadError().Matches(want)) << in.getLoadError();
    }
}

TEST(wxXMLUtils, IntegersRoundTripAndBadTextKeepsTheValue) {
    const CwxXMLUtils xml;
    std::unique_ptr<wxXmlNode> element(xml.createIntContentElement("n", -2147483647 - 1));
    int value = 5;
    EXPECT_TRUE(xml.parseIntContentElement(&value, element.get()));
    EXPECT_EQ(-2147483647 - 1, value);
    for (const char* text : {"", "12abc", "9999999999", "1.5", " 17\n"}) {
        std::unique_ptr<wxXmlNode> bad(xml.createStringContentElement("n", text));
        value = 5;
        EXPECT_EQ(text[0] == ' ', xml.parseIntContentElement(&value, bad.get())) << text;
        EXPECT_EQ(text[0] == ' ' ? 17 : 5, value) << text;
    }
}
