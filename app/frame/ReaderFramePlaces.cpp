// The reader's main window: the places a reader can return to, the ones jumps left (Go > Back
// and Forward) and the ones the user marked (bookmarks, kept in the library).

#include "frame/ReaderFrame.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderStatus.h"
#include "library/ReaderLibrary.h"
#include "reading/ReadingNavigator.h"

#include <wx/utils.h>

#include <algorithm>
#include <vector>

namespace {

// The words a bookmark keeps around its word, to be told apart in the list.
const int kContextBefore = 3;
const int kContextAfter = 7;
const wxString kEllipsis = wxString::FromUTF8("\u2026");

wxString contextAround(const std::vector<wxString>& words, int marked) {
    const int count = static_cast<int>(words.size());
    const int first = std::max(0, marked - kContextBefore);
    const int last = std::min(count, std::max(marked, 0) + kContextAfter + 1);
    wxString text = first > 0 ? kEllipsis + " " : wxString();
    for (int word = first; word < last; ++word) {
        text += words[static_cast<size_t>(word)] + (word + 1 < last ? " " : "");
    }
    return last < count ? text + " " + kEllipsis : text;
}

// Says why there are no bookmarks to mark or list; false then.
bool bookmarksOffered(bool offered, bool open, CReaderStatus& status) {
    if (!offered) {
        wxBell();
        status.say(open ? "Bookmarks are kept in the library, which cannot keep this document"
                        : "Open a document to mark places in it");
    }
    return offered;
}

} // namespace

size_t CReaderFrame::placeLeft() {
    if (reading == eIdle && resumeNode == nullptr) {
        return 0;
    }
    wxCDataInfoListNode* at = nullptr;
    if (reading == eReading) {
        // A move not shown yet is where reading is; otherwise the word on screen (or a start's
        // first item until its word shows): what the GUI thread knows, not where the engine's
        // thread has got to meanwhile.
        at = moveNotShown ? lastWordNode : counter.getShownNode();
    } else if (reading == ePaused) {
        at = placeNode();
    }
    return navigator->wordsBefore(at != nullptr ? at : positionNode());
}

void CReaderFrame::keepPlaceLeft(wxCDataInfoListNode* target) {
    if (navigator && target != nullptr) {
        // Past the last word (finished) is no place to come back to.
        const size_t from = placeLeft();
        if (from < navigator->getWordCount()) {
            history.jumped(from, navigator->wordsBefore(target));
        }
    }
}

void CReaderFrame::goThroughHistory(int direction) {
    size_t to = 0;
    const bool found = navigator && (direction < 0 ? history.back(placeLeft(), &to)
                                                   : history.forward(placeLeft(), &to));
    wxCDataInfoListNode* target = found ? navigator->itemOfWord(to) : nullptr;
    if (target == nullptr) {
        wxBell();
        status->say(direction < 0 ? "No place to go back to: Home, the progress bar, a chapter "
                                    "or a bookmark leave one"
                                  : "No place to go forward to");
        return;
    }
    moveTo(target);
}

void CReaderFrame::addBookmark() {
    if (!bookmarksOffered(offersBookmarks() && navigator->getWordCount() > 0, navigator != nullptr,
                          *status)) {
        return;
    }
    CPauseWhileModal pause(this);
    const size_t word = std::min(placeLeft(), navigator->getWordCount() - 1);
    std::vector<wxString> words;
    int marked = -1;
    navigator->sentenceAround(navigator->itemOfWord(word), &words, &marked);
    library->addBookmark(word, contextAround(words, marked));
}

void CReaderFrame::showBookmarks() {
    if (!bookmarksOffered(offersBookmarks(), navigator != nullptr, *status)) {
        return;
    }
    CPauseWhileModal pause(this);
    const long long chosen = library->chooseBookmark(navigator->getWordCount());
    if (chosen >= 0) {
        jumpTo(navigator->itemOfWord(static_cast<size_t>(chosen)));
    }
}
