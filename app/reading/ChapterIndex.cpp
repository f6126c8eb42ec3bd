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

// The chapters are in reading order, so their counts of words before never decrease: a search
// by halves finds the last that starts at or before the word (the status bar asks at every
// update, and a long book has thousands of entries), and only the chapters that start at that
// same word are looked through for the node.
size_t CChapterIndex::chapterAt(wxCDataInfoListNode* node, size_t wordsBefore) const {
    const auto after = std::upper_bound(
        chapters.begin(), chapters.end(), wordsBefore,
        [](size_t words, const SChapterMark& mark) { return words < mark.wordsBefore; });
    if (after == chapters.begin()) {
        return kNone;
    }
    size_t found = static_cast<size_t>(after - chapters.begin()) - 1;
    const size_t sameWord = chapters[found].wordsBefore;
    for (size_t chapter = found + 1; chapter-- > 0 && chapters[chapter].wordsBefore == sameWord;) {
        if (chapters[chapter].node == node) {
            found = chapter;
        }
    }
    return found;
}
