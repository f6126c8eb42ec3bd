#include "outside/XMLSerializer.h"
#include "outside/XMLParser.h"
#include "outside/wxXMLUtils.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <csignal>
#include <memory>
#include <string>

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

wxString readFile(const wxString& path) {
    wxString text;
    wxFFile(path).ReadAll(&text);
    return text;
}

class XMLSerializer : public testing::Test {
protected:
    void SetUp() override {
        dir = wxFileName::CreateTempFileName("flit-xml");
        wxRemoveFile(dir);
        ASSERT_TRUE(wxMkdir(dir));
    }
    void TearDown() override { wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE); }

    wxString dir;
};

} // namespace

// A store writes the declaration and loads back. Every failed store leaves the old file as it
// was and no temporary file behind: a folder that does not exist, a "folder" that is a file, a
// place where even root cannot create files, a folder in the target's place, and a disk that
// fills up while the file is written (a file size limit stands in for it: writes past it fail as
// on a full disk).
TEST_F(XMLSerializer, StoresLoadBackAndFailedStoresKeepTheOldFile) {
    ASSERT_TRUE(wxMkdir(dir + "/folder"));
    const wxString path = dir + "/keep.xml";
    CNumberSerializer first(path);
    first.value = -42;
    ASSERT_TRUE(first.store());
    const wxString before = readFile(path);
    EXPECT_TRUE(before.StartsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << before;
    CNumberSerializer in(path);
    EXPECT_TRUE(in.load());
    EXPECT_EQ(-42, in.value);

    const auto entries = [this] {
        wxArrayString names;
        wxDir::GetAllFiles(dir, &names, wxString(), wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
        names.Sort();
        return names;
    };
    const wxArrayString filesBefore = entries();
    const struct {
        const char* what;
        wxString target;
        bool fullDisk;
    } cases[] = {
        {"missing folder", dir + "/missing/x.xml", false},
        {"file as folder", path + "/x.xml", false},
        {"read-only place", "/proc/flit-settings.xml", false},
        {"folder in the way", dir + "/folder", false},
        {"full disk", path, true},
    };
    for (const auto& c : cases) {
        CNumberSerializer second(c.target);
        second.value = 123456789;
        rlimit saved{};
        ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
        rlimit capped = saved;
        capped.rlim_cur = c.fullDisk ? 16 : saved.rlim_cur;
        void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &capped));
        const bool stored = second.store();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
        EXPECT_FALSE(stored) << c.what;
        EXPECT_NE(wxNOT_FOUND, second.getStoreError().Find("cannot write '" + c.target + "': "))
            << c.what;
        EXPECT_EQ(before, readFile(path)) << c.what;
        EXPECT_EQ(filesBefore, entries()) << c.what;
        EXPECT_TRUE(wxDirExists(dir + "/folder")) << c.what;
    }
}

// Files that cannot be read, that are not XML, or that the parser must never see (a document
// type declaration, deep nesting, more than the size limit) never reach loadFromXML, and the
// error names the file and the problem.
TEST_F(XMLSerializer, RefusedFilesNeverReachLoadFromXML) {
    ASSERT_EQ(0, mkfifo((dir + "/fifo.xml").utf8_str(), 0600));
    ASSERT_EQ(0, symlink("nowhere.xml", (dir + "/dangling.xml").utf8_str()));
    wxFFile(dir + "/noread.xml", "wb").Write(wxString("<number>1</number>"));
    ASSERT_EQ(0, chmod((dir + "/noread.xml").utf8_str(), 0));
    std::string deep;
    for (int i = 0; i <= CXMLParser::kMaxDepth; ++i) {
        deep += "<number>";
    }
    // Generated here rather than stored: ten megabytes of open elements.
    std::string nested = "<number>";
    while (nested.size() < (10u << 20)) {
        nested += "<a>";
    }
    // The file's bytes, or the name of a special file in the folder, and a part of the message.
    const struct {
        const char* what;
        std::string bytes;
        const char* special;
        const char* message;
    } cases[] = {
        {"malformed", "<number>12</numbr>", nullptr, "XML parsing error: 'mismatched tag'"},
        {"truncated", "<number>12", nullptr, "line 1"},
        {"empty", "", nullptr, "no element found"},
        {"binary", std::string("\x7f\x45\x4c\x46\x02\x01\x00\xff", 8), nullptr, "not well-formed"},
        {"entities",
         "<?xml version=\"1.0\"?><!DOCTYPE number [<!ENTITY s \"30\">"
         "<!ENTITY x SYSTEM \"file:///etc/hostname\">]><number>&s;</number>",
         nullptr, "a document type declaration"},
        {"deep nesting", deep, nullptr, "nested more than 64 deep"},
        {"10 MB of nesting", nested, nullptr, "more than the 1048576"},
        {"folder", "", ".", "is a folder"},
        {"pipe", "", "fifo.xml", "is not a regular file"},
        {"dangling link", "", "dangling.xml", "does not exist"},
        {"missing", "", "missing.xml", "does not exist"},
        {"no read permission", "", "noread.xml", "cannot be read"},
    };
    for (const auto& c : cases) {
        if (c.what == std::string("no read permission") && geteuid() == 0) {
            continue; // permissions do not stop root
        }
        const wxString path = dir + "/" + (c.special != nullptr ? c.special : "file.xml");
        if (c.special == nullptr) {
            wxFFile(path, "wb").Write(c.bytes.data(), c.bytes.size());
        }
        CNumberSerializer in(path);
        EXPECT_FALSE(in.load()) << c.what;
        EXPECT_EQ(0, in.loads) << c.what;
        EXPECT_NE(wxNOT_FOUND, in.getLoadError().Find(c.message)) << in.getLoadError();
        EXPECT_NE(wxNOT_FOUND, in.getLoadError().Find(path)) << c.what;
    }
}

TEST(wxXMLUtils, IntegersRoundTripAndBadTextKeepsTheValue) {
    const CwxXMLUtils xml;
    std::unique_ptr<wxXmlNode> element(xml.createIntContentElement("n", -2147483647 - 1));
    int value = 5;
    EXPECT_TRUE(xml.parseIntContentElement(&value, element.get()));
    EXPECT_EQ(-2147483647 - 1, value);

    for (const char* text : {"", "12abc", "9999999999", "1.5"}) {
        std::unique_ptr<wxXmlNode> bad(xml.createStringContentElement("n", text));
        value = 5;
        EXPECT_FALSE(xml.parseIntContentElement(&value, bad.get())) << text;
        EXPECT_EQ(5, value) << text;
    }
    std::unique_ptr<wxXmlNode> spaced(xml.createStringContentElement("n", " 17\n"));
    EXPECT_TRUE(xml.parseIntContentElement(&value, spaced.get()));
    EXPECT_EQ(17, value);
}
