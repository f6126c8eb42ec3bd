#include "reading/ChapterIndex.h"

#include "reading/ReadingNavigator.h"

#include <flitengine/outside/DataManager.h>

#include <algorithm>

CChapterIndex::CChapterIndex(const CDataManager& contentsOf, CReadingNavigator& navigator)
    : document(&contentsOf) {
    const std::vector<CDataManager::SContentsEntry>& contents = document->getContents();
    if (contents.empty()) {
        return;
    }
    // The entries in the order of their items (as the document lists them, normally), found in
    // one walk that ends at the last of them.
    std::vector<size_t> order(contents.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&contents](size_t a, size_t b) {
        return contents[a].itemIndex < contents[b].itemIndex;
    });
    wxCDataInfoListNode* node = document->getFirstNode();
    size_t itemIndex = 0;
    for (size_t entry : order) {
        for (; node != nullptr && itemIndex < contents[entry].itemIndex; ++itemIndex) {
            node = node->GetNext();
        }
        // An entry past the last item starts nowhere: it cannot be moved to.
        if (node != nullptr) {
            chapters.push_back(SChapterMark{entry, node, navigator.wordsBefore(node)});
        }
    }
}

const wxString& CChapterIndex::title(size_t chapter) const {
    return document->getContents()[chapters[chapter].entry].title;
}

wxString CChapterIndex::listedTitle(size_t chapter) const {
    const CDataManager::SContentsEntry& entry = document->getContents()[chapters[chapter].entry];
    // Menus trim ordinary leading spaces; em spaces stay.
    return wxString(wxUniChar(0x2003), static_cast<size_t>(std::max(entry.level - 1, 0)) * 2) +
           entry.title;
}

wxCDataInfoListNode* CChapterIndex::firstWordOf(size_t chapter) const {
    wxCDataInfoListNode* start = chapters[chapter].node;
    wxCDataInfoListNode* word = start;
    while (word != nullptr && word->GetData()->getDataInfoType() != eDITWord) {
        word = word->GetNext();
    }
    return word != nullptr ? word : start;
}

size_t CChapterIndex::chapterAt(wxCDataInfoListNode* node, size_t wordsBefore) const {
    size_t found = kNone;
    for (size_t chapter = 0; chapter < chapters.size(); ++chapter) {
        if (chapters[chapter].wordsBefore > wordsBefore) {
            break;
        }
        found = chapter;
        if (chapters[chapter].node == node) {
            break;
        }
    }
    return found;
}
