#ifndef FLIT_APP_FLASHAHEAD_H
#define FLIT_APP_FLASHAHEAD_H

#include <wx/string.h>

class wxCDataInfoListNode;

// The flash that most likely follows one, so that the view can draw it while the one before
// is on screen: the next word the document flashes, whole, with the words beside it. A guess
// that turns out wrong (a long word's next chunk, a phrase of several words) only means the
// view draws the chunk when it comes, as it would without.
namespace flashAhead {

struct SFlash {
    wxString text; // empty: no word near
    wxString before;
    wxString after;
};
// After text, flashed at node.
SFlash next(const wxCDataInfoListNode* node, const wxString& text);

} // namespace flashAhead

#endif
