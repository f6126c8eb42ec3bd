#include "reading/NeighbourWords.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataInfo.h>
#include <flitengine/outside/DataManager.h>

namespace {

// Items looked at on either side: past a long run of other items (a table of links, an email
// header) the word is too far away to read as a neighbour.
const int kReach = 32;

} // namespace

namespace neighbourWords {

bool isWord(const wxCDataInfoListNode* node) {
    return node->GetData()->getDataInfoType() == eDITWord &&
           CFlashedWords::isShown(static_cast<const CDITWord*>(node->GetData())->getWord());
}

wxString textOf(const wxCDataInfoListNode* node) {
    return wxString::FromUTF8(static_cast<const CDITWord*>(node->GetData())->getWord());
}

SAround around(const wxCDataInfoListNode* node, const wxString& text) {
    SAround found;
    if (node == nullptr) {
        return found;
    }
    int steps = 0;
    for (const wxCDataInfoListNode* at = node->GetPrevious(); at != nullptr && steps < kReach;
         at = at->GetPrevious(), ++steps) {
        if (isWord(at)) {
            found.before = textOf(at);
            break;
        }
    }
    // The words the flash covers from node: node's own (when it is a word) and one more for
    // each space in text.
    int covered = isWord(node) ? 1 + static_cast<int>(text.Freq(' ')) : 0;
    steps = 0;
    for (const wxCDataInfoListNode* at = node; at != nullptr && steps < kReach;
         at = at->GetNext(), ++steps) {
        if (!isWord(at)) {
            continue;
        }
        if (covered == 0) {
            found.after = textOf(at);
            break;
        }
        --covered;
    }
    return found;
}

} // namespace neighbourWords
