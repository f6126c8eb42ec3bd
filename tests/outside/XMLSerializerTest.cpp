#include "outside/XMLSerializer.h"
#include "outside/wxXMLUtils.h"

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <memory>

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

TEST(XMLSerializer, FailedStoreKeepsTheOldFile) {
    const wxString path = tempPath("keep.xml");
    CNumberSerializer first(path);
    first.value = 7;
    ASSERT_TRUE(first.store());
    const wxString before = readFile(path);

    CNumberSerializer intoMissingFolder(path + "-missing-dir/x.xml");
    EXPECT_FALSE(intoMissingFolder.store());
    EXPECT_FALSE(intoMissingFolder.getStoreError().empty());
    EXPECT_EQ(before, readFile(path));
    wxRemoveFile(path);
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
