// The sentence around a word, for the paused view's context.

#include "reading/NavigatorWords.h"
#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/timing/SentenceEnd.h>

#include <wx/string.h>

#include <vector>

namespace {

// How many words either side of the current one the context shows at most.
const int kContextReach = 40;

} // namespace

using navigatorWords::wordOf;

void CReadingNavigator::sentenceAround(wxCDataInfoListNode* node, std::vector<wxString>* words,
                                       int* marked, SCut* cut) const {
    words->clear();
    *marked = -1;
    SCut cutAt;
    wxCDataInfoListNode* current = wordAtOrBefore(node);
    if (current == nullptr) {
        return;
    }
    wxCDataInfoListNode* start = current;
    for (int reach = 0; reach < kContextReach && !isBoundaryBefore(start, eSentence); ++reach) {
        start = wordAtOrBefore(start->GetPrevious());
    }
    cutAt.before = !isBoundaryBefore(start, eSentence);
    int taken = 0;
    for (wxCDataInfoListNode* at = start; at != nullptr; at = at->GetNext()) {
        if (!navigatorWords::isShownWord(at)) {
            continue;
        }
        if (at == current) {
            *marked = static_cast<int>(words->size());
        }
        words->push_back(wxString::FromUTF8(wordOf(at)));
        if (*marked >= 0 && CSentenceEnd::endsSentence(wordOf(at))) {
            break;
        }
        if (*marked >= 0 && ++taken > kContextReach) {
            // Cut short unless no word follows.
            for (wxCDataInfoListNode* next = at->GetNext(); next && !cutAt.after;
                 next = next->GetNext()) {
                cutAt.after = navigatorWords::isShownWord(next);
            }
            break;
        }
    }
    if (cut != nullptr) {
        *cut = cutAt;
    }
}
