#include "outside/XMLSerializer.h"
#include "outside/wxXMLUtils.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <csignal>
#include <memory>

#include <sys/resource.h>

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

wxString tempPath(const char* name) {
    return wxFileName(wxFileName::GetTempDir(),
                      wxString::Format("flit-xml-%lu-%s", wxGetProcessId(), name))
        .GetFullPath();
}

wxString readFile(const wxString& path) {
    wxString text;
    wxFFile(path).ReadAll(&text);
    return text;
}

} // namespace

TEST(XMLSerializer, StoresThenLoadsWithDeclaration) {
    const wxString path = tempPath("roundtrip.xml");
    CNumberSerializer out(path);
    out.value = -42;
    ASSERT_TRUE(out.store());
    EXPECT_TRUE(readFile(path).StartsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    CNumberSerializer in(path);
    EXPECT_TRUE(in.load());
    EXPECT_EQ(-42, in.value);
    wxRemoveFile(path);
}

TEST(XMLSerializer, UnreadableFilesNeverReachLoadFromXML) {
    const wxString dir = wxFileName::GetTempDir();
    const wxString empty = tempPath("empty.xml");
    const wxString binary = tempPath("binary.xml");
    const wxString broken = tempPath("broken.xml");
    wxFFile(empty, "wb").Close();
    wxFFile(binary, "wb").Write(wxString::FromAscii("\x01\x02\x7f garbage"));
    wxFFile(broken, "wb").Write(wxString("<number>12</numb"));
    for (const wxString& path : {empty, binary, broken, tempPath("missing.xml"), dir}) {
        CNumberSerializer in(path);
        EXPECT_FALSE(in.load()) << path;
        EXPECT_EQ(0, in.loads) << path;
        EXPECT_FALSE(in.getLoadError().empty()) << path;
    }
    for (const wxString& path : {empty, binary, broken}) {
        wxRemoveFile(path);
    }
}

// Every failed save leaves the old file as it was and no temporary file behind: a folder that
// does not exist, a "folder" that is a file, a place where even root cannot create files, a
// folder in the target's place, and a disk that fills up while the file is written (a file size
// limit stands in for it: writes past it fail as on a full disk).
TEST(XMLSerializer, FailedStoresKeepTheOldFileAndLeaveNothingBehind) {
    const wxString dir = tempPath("store-dir");
    ASSERT_TRUE(wxMkdir(dir));
    ASSERT_TRUE(wxMkdir(dir + "/folder"));
    const wxString path = dir + "/keep.xml";
    CNumberSerializer first(path);
    first.value = 7;
    ASSERT_TRUE(first.store());
    const wxString before = readFile(path);
    const auto entries = [&dir] {
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
        bool stored = true;
        if (c.fullDisk) {
            rlimit saved{};
            ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
            rlimit capped = saved;
            capped.rlim_cur = 16;
            void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
            ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &capped));
            stored = second.store();
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previous);
        } else {
            stored = second.store();
        }
        EXPECT_FALSE(stored) << c.what;
        EXPECT_NE(wxNOT_FOUND, second.getStoreError().Find(c.target)) << c.what;
        EXPECT_EQ(before, readFile(path)) << c.what;
        EXPECT_EQ(filesBefore, entries()) << c.what;
        EXPECT_TRUE(wxDirExists(dir + "/folder")) << c.what;
    }
    wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE);
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
