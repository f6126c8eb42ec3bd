#ifndef FLIT_APP_CHAPTERINDEX_H
#define FLIT_APP_CHAPTERINDEX_H

#include <wx/string.h>

#include <cstddef>
#include <vector>

class CDataManager;
class CReadingNavigator;
class wxCDataInfoListNode;

// The entries of a document's table of contents that can be moved to, in reading order (an
// entry past the end of the text is left out), each with where it starts and how many words
// come before it: the chapters the Go menu lists and the status bar names. Needs no window.
class CChapterIndex {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    CChapterIndex() = default;
    CChapterIndex(const CDataManager& document, CReadingNavigator& navigator);

    size_t size() const { return chapters.size(); }
    bool empty() const { return chapters.empty(); }
    const wxString& title(size_t chapter) const;
    // The title as a menu or a list shows it: indented by the entry's level.
    wxString listedTitle(size_t chapter) const;
    // The chapter's first item (a page marker shows its page), and its first word (the item
    // when it has none), which the paused view shows.
    wxCDataInfoListNode* startOf(size_t chapter) const { return chapters[chapter].node; }
    wxCDataInfoListNode* firstWordOf(size_t chapter) const;
    // The chapter that the word at node (wordsBefore words in) is in; kNone before the first.
    // Chapters that start at the same word (a part and its first chapter) are told apart by
    // their items when node is one of them; otherwise the last one holds the word.
    size_t chapterAt(wxCDataInfoListNode* node, size_t wordsBefore) const;

private:
    struct SChapterMark {
        size_t entry;
        wxCDataInfoListNode* node;
        size_t wordsBefore;
    };

    const CDataManager* document = nullptr;
    std::vector<SChapterMark> chapters;
};

#endif
