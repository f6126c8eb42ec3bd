#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>

namespace {

std::string fileBytes(const wxString& path) {
    std::ifstream in(path.fn_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An item that counts its own destruction, to see that the document frees what it owns.
struct CCountedItem : CDataInfo {
    explicit CCountedItem(int* counter) : CDataInfo(eDITRest), deleted(counter) {}
    ~CCountedItem() override { ++*deleted; }
    int* deleted;
};

} // namespace

// Steps move by a count of nodes (a negative count here steps back); a step past either end
// gives null, and null stays null.
TEST(DataManager, StepsNodesAndStopsAtBothEnds) {
    CDataManager doc;
    EXPECT_EQ(nullptr, doc.getFirstNode());
    wxCDataInfoListNode* n[5];
    for (auto& node : n) {
        node = doc.appendSpace();
    }
    const auto step = [&doc](wxCDataInfoListNode* node, int steps) {
        const bool ok = steps > 0 ? doc.getNextNode(&node, steps) : doc.getPrevNode(&node, -steps);
        EXPECT_EQ(ok, node != nullptr);
        return node;
    };
    EXPECT_EQ(n[3], step(n[0], 3));
    EXPECT_EQ(n[1], step(n[3], -2));
    EXPECT_EQ(nullptr, step(n[1], -2));
    EXPECT_EQ(nullptr, step(nullptr, 1));
    EXPECT_EQ(nullptr, step(doc.getLastNode(), 1));
}

// The search starts at the start node itself; when it finds nothing it leaves the result as it
// was (here the rest node).
TEST(DataManager, FindsKindsByMaskInBothDirections) {
    CDataManager doc;
    wxCDataInfoListNode* word = doc.appendWord("a");
    wxCDataInfoListNode* rest = doc.appendRest(2);
    wxCDataInfoListNode* email = doc.appendValueRef(eDITEmailItem, 0);
    wxCDataInfoListNode* newline = doc.appendNewline();
    const unsigned int text = eDITWord | eDITSpace | eDITNewline;
    const auto search = [&](CDataManager::eSearchDirection direction, unsigned int mask,
                            wxCDataInfoListNode* start) {
        wxCDataInfoListNode* found = rest;
        const auto kinds = static_cast<eDataInfoType>(mask);
        const bool ok = doc.getNodeOfDataInfoTypeCommon(direction, kinds, start, &found);
        EXPECT_EQ(ok, found != rest);
        return found;
    };
    const auto fwd = CDataManager::eSearchForward;
    const auto back = CDataManager::eSearchBackward;
    EXPECT_EQ(word, search(fwd, text, word));
    EXPECT_EQ(newline, search(fwd, text, rest));
    EXPECT_EQ(word, search(back, text, email));
    EXPECT_EQ(email, search(back, eDITEmailItem, newline));
    EXPECT_EQ(rest, search(fwd, eDITEmailItem, newline));
    EXPECT_EQ(rest, search(back, eDITNewline, email));
    EXPECT_EQ(rest, search(fwd, text, nullptr));
}

TEST(DataManager, PageNumberIsTheNearestShownMarkerAtOrBefore) {
    CDataManager doc;
    const wxCDataInfoListNode* nodes[] = {
        doc.appendWord("before"), doc.appendPageInfoRef(doc.addPage(1, 7)), doc.appendWord("in"),
        doc.appendPageInfoRef(doc.addPage(CPageInfo::kHiddenPageType, 8)), doc.appendSpace()};
    std::string pages;
    for (const wxCDataInfoListNode* node : nodes) {
        unsigned int page = 99;
        pages += (doc.getPageNum(node, &page) ? std::to_string(page) : "-") + " ";
    }
    unsigned int page = 0;
    EXPECT_EQ("0 7 7 7 7 ", pages + (doc.getPageNum(nullptr, &page) ? "?" : ""));
}

TEST(DataManager, BuildersRefuseKindsThatDoNotBelongAndOwnWhatTheyAppend) {
    int deleted = 0;
    {
        CDataManager doc;
        CDataManager other;
        EXPECT_EQ(nullptr, doc.appendValueRef(eDITWord, 1));
        EXPECT_EQ(nullptr, doc.appendMarker(eDITRest));
        EXPECT_EQ(nullptr, doc.appendItem(nullptr));
        EXPECT_EQ(nullptr, doc.appendPageInfoRef(nullptr));
        EXPECT_EQ(nullptr, doc.appendPageInfoRef(other.addPage(0, 1)));
        EXPECT_EQ(nullptr, doc.appendItem(new CDITPageInfoRef(nullptr)));
        EXPECT_EQ(0u, doc.getItemCount());
        doc.appendItem(new CCountedItem(&deleted));
        doc.appendItem(new CCountedItem(&deleted));
        EXPECT_EQ(0, deleted);
    }
    EXPECT_EQ(2, deleted);
}

// Each name gets its own file, keeping its extension, in a folder only the user can enter; the
// files and the folder go with the document.
TEST(DataManager, WritesStoredLinkDataToAFileInItsOwnFolder) {
    wxString folder;
    wxString picture;
    {
        CDataManager doc;
        const auto store = [&doc](const char* name, const std::string& bytes) {
            doc.storeLinkFileData(wxString::FromUTF8(name), bytes.data(), bytes.size());
            wxString path;
            EXPECT_TRUE(
                doc.getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored, name, &path))
                << name;
            EXPECT_EQ(bytes, fileBytes(path)) << name;
            return path;
        };
        picture = store("pic.png", std::string("\x89PNG\0\r\n", 7));
        EXPECT_EQ("png", wxFileName(picture).GetExt());
        folder = wxFileName(picture).GetPath();
        struct stat info {};
        ASSERT_EQ(0, stat(folder.fn_str(), &info));
        EXPECT_EQ(0u, info.st_mode & 077u);
        // Deleted by the host and the data replaced: the same path, with the new data.
        ASSERT_TRUE(wxRemoveFile(picture));
        EXPECT_EQ(picture, store("pic.png", "new"));

        wxString untouched = "keep";
        EXPECT_FALSE(doc.getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored, "none.png",
                                                    &untouched));
        EXPECT_FALSE(doc.getLinkFileDataStoreAsFile(
            static_cast<CDataManager::eLinkFileDataInfoType>(1), "pic.png", &untouched));
        EXPECT_EQ("keep", untouched);

        // Names that try to leave the folder, or that differ only in characters a file name
        // cannot keep.
        wxArrayString paths;
        for (const char* name :
             {"../../etc/x.png", "a/b.png", "a\\b.png", "a_b.png", "caf\xC3\xA9.wav"}) {
            const wxString path = store(name, name);
            EXPECT_EQ(folder, wxFileName(path).GetPath()) << name;
            EXPECT_EQ(wxNOT_FOUND, paths.Index(path)) << name;
            paths.Add(path);
        }
        EXPECT_EQ("wav", wxFileName(paths.Last()).GetExt());
    }
    EXPECT_FALSE(wxFileExists(picture));
    EXPECT_FALSE(wxFileName::DirExists(folder));
}
