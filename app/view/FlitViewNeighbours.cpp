// The words before and after the flash, drawn beside it.

#include "view/FlitView.h"

#include <wx/control.h>
#include <wx/dc.h>

namespace {

// Narrower than this, a neighbour's room shows nothing rather than a lone ellipsis.
const int kMinNeighbourRoom = 24;

} // namespace

void CFlitView::setNeighboursShown(bool on) {
    neighboursShown = on;
    if (!on) {
        neighbourBefore.clear();
        neighbourAfter.clear();
    }
    Refresh();
}

void CFlitView::setNeighbourWords(const wxString& before, const wxString& after) {
    // Drawn with the next chunk, which repaints the band they stand in.
    neighbourBefore = before;
    neighbourAfter = after;
}

void CFlitView::drawNeighbours(wxDC& dc, const wxRect& place, bool rightToLeft, int left,
                               int right) {
    // In the chunk's font and size, a space away from it, on its baseline: the line reads on
    // as a sentence does. A right-to-left chunk has the word before it on its right.
    const int space = dc.GetTextExtent(" ").x;
    const wxString& leftWord = rightToLeft ? neighbourAfter : neighbourBefore;
    const wxString& rightWord = rightToLeft ? neighbourBefore : neighbourAfter;
    dc.SetTextForeground(faintColour);
    // Cut only when it does not fit: a word measured once costs far less than a cut.
    const auto fitted = [&dc](const wxString& word, wxEllipsizeMode mode, int room) {
        return dc.GetTextExtent(word).x <= room ? word : wxControl::Ellipsize(word, dc, mode, room);
    };
    const int leftRoom = place.x - space - left;
    if (!leftWord.empty() && leftRoom >= kMinNeighbourRoom) {
        const wxString shown = fitted(leftWord, wxELLIPSIZE_START, leftRoom);
        dc.DrawText(shown, place.x - space - dc.GetTextExtent(shown).x, place.y);
    }
    const int rightStart = place.GetRight() + 1 + space;
    if (!rightWord.empty() && right - rightStart >= kMinNeighbourRoom) {
        dc.DrawText(fitted(rightWord, wxELLIPSIZE_END, right - rightStart), rightStart, place.y);
    }
}
