#include "frame/FlashAhead.h"

#include "reading/NeighbourWords.h"

#include <flitengine/outside/DataInfo.h>

namespace {

// Items looked at: as far as the words beside a flash are looked for.
const int kReach = 32;

} // namespace

namespace flashAhead {

SFlash next(const wxCDataInfoListNode* node, const wxString& text) {
    SFlash found;
    // The words text covers from node: node's own (when it is a word) and one more for each
    // space in it; the next flash begins at the word after them.
    int covered =
        node != nullptr && neighbourWords::isWord(node) ? 1 + static_cast<int>(text.Freq(' ')) : 0;
    int steps = 0;
    for (const wxCDataInfoListNode* at = node; at != nullptr && steps < kReach;
         at = at->GetNext(), ++steps) {
        if (!neighbourWords::isWord(at)) {
            continue;
        }
        if (covered == 0) {
            found.text = neighbourWords::textOf(at);
            const neighbourWords::SAround around = neighbourWords::around(at, found.text);
            found.before = around.before;
            found.after = around.after;
            break;
        }
        --covered;
    }
    return found;
}

} // namespace flashAhead
