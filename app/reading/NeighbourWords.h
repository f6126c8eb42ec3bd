#ifndef FLIT_APP_NEIGHBOURWORDS_H
#define FLIT_APP_NEIGHBOURWORDS_H

#include <wx/string.h>

class wxCDataInfoListNode;

// The words a document holds around a place: the words of its word items that the engine
// flashes, found by walking a bounded number of items from the place, so that a lookup costs
// the same in any document (the flash asks for one per chunk).
namespace neighbourWords {

// A word item the engine flashes.
bool isWord(const wxCDataInfoListNode* node);
// Its text.
wxString textOf(const wxCDataInfoListNode* node);

struct SAround {
    wxString before;
    wxString after;
};
// The word before the one at node, and the word after those that text, flashed at node, covers
// (a chunk of node's word, or several words from it separated by spaces); empty where none is
// near.
SAround around(const wxCDataInfoListNode* node, const wxString& text);

} // namespace neighbourWords

#endif
