#include "outside/DataManager.h"

#include <gtest/gtest.h>
#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <sys/stat.h>

#include <cstring>
#include <string>

namespace {

std::string readBytes(const wxString& path) {
    wxFile file(path);
    std::string bytes(static_cast<size_t>(file.Length()), '\0');
    file.Read(&bytes[0], bytes.size());
    return bytes;
}

// The search's result, or the sentinel it was given when it finds nothing.
wxCDataInfoListNode* search(const CDataManager& doc, CDataManager::eSearchDirection direction,
                            unsigned int mask, wxCDataInfoListNode* start,
                            wxCDataInfoListNode* sentinel) {
    wxCDataInfoListNode* found = sentinel;
    const bool ok =
        doc.getNodeOfDataInfoTypeCommon(direction, static_cast<eDataInfoType>(mask), start, &found);
    EXPECT_EQ(ok, found != sentinel);
    return found;
}

bool writeOut(CDataManager& doc, const char* name, wxString* path) {
    return doc.getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored, name, path);
}

// An item that counts its own destruction, to see that the document frees what it owns.
class CCountedItem : public CDataInfo {
public:
    explicit CCountedItem(int* counter) : CDataInfo(eDITRest), deleted(counter) {}
    ~CCountedItem() override { ++*deleted; }

private:
    int* deleted;
};

} // namespace

TEST(DataManager, StepsNodesAndStopsAtBothEnds) {
    CDataManager doc;
    EXPECT_EQ(nullptr, doc.getFirstNode());
    wxCDataInfoListNode* nodes[5];
    for (auto& node : nodes) {
        node = doc.appendSpace();
    }
    wxCDataInfoListNode* node = nodes[0];
    EXPECT_TRUE(doc.getNextNode(&node, 3));
    EXPECT_EQ(nodes[3], node);
    EXPECT_TRUE(doc.getPrevNode(&node, 2));
    EXPECT_EQ(nodes[1], node);
    EXPECT_FALSE(doc.getPrevNode(&node, 2));
    EXPECT_EQ(nullptr, node);
    EXPECT_FALSE(doc.getNextNode(&node, 1)); // null stays null
    EXPECT_EQ(nullptr, node);
    node = doc.getLastNode();
    EXPECT_FALSE(doc.getNextNode(&node, 1));
    EXPECT_EQ(nullptr, node);
}

TEST(DataManager, FindsKindsByMaskInBothDirections) {
    CDataManager doc;
    wxCDataInfoListNode* word = doc.appendWord("a");
    wxCDataInfoListNode* rest = doc.appendRest(2);
    wxCDataInfoListNode* email = doc.appendValueRef(eDITEmailItem, 0);
    wxCDataInfoListNode* newline = doc.appendNewline();
    const unsigned int text = eDITWord | eDITSpace | eDITNewline;
    const auto forward = CDataManager::eSearchForward;
    const auto backward = CDataManager::eSearchBackward;

    EXPECT_EQ(word, search(doc, forward, text, word, nullptr)); // the start itself counts
    EXPECT_EQ(newline, search(doc, forward, text, rest, nullptr));
    EXPECT_EQ(word, search(doc, backward, text, email, nullptr));
    EXPECT_EQ(email, search(doc, backward, eDITEmailItem, newline, nullptr));
    EXPECT_EQ(rest, search(doc, forward, eDITEmailItem, newline, rest));
    EXPECT_EQ(rest, search(doc, backward, eDITNewline, email, rest));
    EXPECT_EQ(rest, search(doc, forward, text, nullptr, rest));
}

TEST(DataManager, PageNumberIsTheNearestShownMarkerAtOrBefore) {
    CDataManager doc;
    wxCDataInfoListNode* before = doc.appendWord("before");
    wxCDataInfoListNode* first = doc.appendPageInfoRef(doc.addPage(1, 7));
    wxCDataInfoListNode* inFirst = doc.appendWord("in");
    wxCDataInfoListNode* hidden = doc.appendPageInfoRef(doc.addPage(CPageInfo::kHiddenPageType, 8));
    wxCDataInfoListNode* inHidden = doc.appendSpace();

    const std::pair<wxCDataInfoListNode*, unsigned int> cases[] = {
        {before, 0}, {first, 7}, {inFirst, 7}, {hidden, 7}, {inHidden, 7}};
    for (const auto& c : cases) {
        unsigned int page = 99;
        EXPECT_TRUE(doc.getPageNum(c.first, &page));
        EXPECT_EQ(c.second, page);
    }
    unsigned int page = 0;
    EXPECT_FALSE(doc.getPageNum(nullptr, &page));
}

TEST(DataManager, BuildersRefuseKindsThatDoNotBelongAndOwnWhatTheyAppend) {
    int deleted = 0;
    {
        CDataManager doc;
        EXPECT_EQ(nullptr, doc.appendValueRef(eDITWord, 1));
        EXPECT_EQ(nullptr, doc.appendMarker(eDITRest));
        EXPECT_EQ(nullptr, doc.appendItem(nullptr));
        EXPECT_EQ(nullptr, doc.appendPageInfoRef(nullptr));
        CDataManager other;
        EXPECT_EQ(nullptr, doc.appendPageInfoRef(other.addPage(0, 1)));
        EXPECT_EQ(nullptr, doc.appendItem(new CDITPageInfoRef(nullptr)));
        EXPECT_EQ(0u, doc.getItemCount());

        auto* dogear =
            dynamic_cast<CDITDogearRef*>(doc.appendValueRef(eDITDogearRef, 5)->GetData());
        ASSERT_NE(nullptr, dogear);
        EXPECT_EQ(5u, dogear->getValue());

        doc.appendItem(new CCountedItem(&deleted));
        doc.appendItem(new CCountedItem(&deleted));
        EXPECT_EQ(0, deleted);
    }
    EXPECT_EQ(2, deleted);
}

TEST(DataManager, WritesStoredLinkDataToAFileInItsOwnFolder) {
    wxString folder;
    wxString picture;
    {
        CDataManager doc;
        const std::string bytes("\x89PNG\0\r\n", 7);
        doc.storeLinkFileData("pic.png", bytes.data(), bytes.size());
        ASSERT_TRUE(writeOut(doc, "pic.png", &picture));
        EXPECT_EQ(bytes, readBytes(picture));
        EXPECT_EQ("png", wxFileName(picture).GetExt());
        folder = wxFileName(picture).GetPath();
        struct stat info {};
        ASSERT_EQ(0, stat(folder.fn_str(), &info));
        EXPECT_EQ(0u, info.st_mode & 077u);

        // Deleted by the host and the data replaced: the same path, with the new data.
        wxString again;
        ASSERT_TRUE(wxRemoveFile(picture));
        doc.storeLinkFileData("pic.png", "new", 3);
        ASSERT_TRUE(writeOut(doc, "pic.png", &again));
        EXPECT_EQ(picture, again);
        EXPECT_EQ("new", readBytes(again));

        wxString untouched = "keep";
        EXPECT_FALSE(writeOut(doc, "none.png", &untouched));
        EXPECT_FALSE(doc.getLinkFileDataStoreAsFile(
            static_cast<CDataManager::eLinkFileDataInfoType>(1), "pic.png", &untouched));
        EXPECT_EQ("keep", untouched);

        // Names that try to leave the folder, or that differ only in characters a file name
        // cannot keep, each get their own file inside it.
        wxArrayString paths;
        for (const char* name :
             {"../../etc/x.png", "a/b.png", "a\\b.png", "a_b.png", "caf\xC3\xA9.wav"}) {
            doc.storeLinkFileData(wxString::FromUTF8(name), name, strlen(name));
            wxString path;
            ASSERT_TRUE(writeOut(doc, name, &path)) << name;
            EXPECT_EQ(folder, wxFileName(path).GetPath()) << name;
            EXPECT_EQ(name, readBytes(path));
            EXPECT_EQ(wxNOT_FOUND, paths.Index(path)) << name;
            paths.Add(path);
        }
        EXPECT_EQ("wav", wxFileName(paths.Last()).GetExt());
    }
    EXPECT_FALSE(wxFileExists(picture));
    EXPECT_FALSE(wxFileName::DirExists(folder));
}

TEST(StyleInfo, ReportsChangedStylesAndWhichAreOn) {
    CStyleInfo styled(eStyleBold | eStyleUnderline);
    EXPECT_TRUE(styled.isOn(eStyleUnderline));
    EXPECT_FALSE(styled.isOn(eStyleItalic));
    EXPECT_EQ(unsigned(eStyleBold | eStyleUnderline), CStyleInfo().getChangedStylesMask(styled));
    styled.setOn(eStyleBold, false);
    styled.setOn(eStyleItalic, true);
    EXPECT_EQ(0u, styled.getChangedStylesMask(CStyleInfo(eStyleItalic | eStyleUnderline)));
}
