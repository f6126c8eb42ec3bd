#include "frame/ViewComfort.h"

#include "view/KeysOverlay.h"

#include <wx/cursor.h>
#include <wx/event.h>
#include <wx/window.h>

#include <utility>

namespace {

// How long the pointer stays after it moved while reading.
const int kPointerRestMs = 2000;

} // namespace

CViewComfort::CViewComfort(wxWindow* frame, wxWindow* flitView, std::function<bool()> isReading)
    : view(flitView), reading(std::move(isReading)), keysOverlay(new CKeysOverlay(frame)) {
    view->Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
        // The pointer comes back when moved, and hides again once it rests while reading.
        if (pointerHidden) {
            pointerHidden = false;
            view->SetCursor(wxNullCursor);
        }
        pointerTimer.StartOnce(kPointerRestMs);
        event.Skip();
    });
    view->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
        keysOverlay->close();
        event.Skip();
    });
    pointerTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { updatePointer(); });
}

void CViewComfort::updatePointer() {
    const bool hide = reading() && !pointerTimer.IsRunning();
    if (hide != pointerHidden) {
        pointerHidden = hide;
        view->SetCursor(hide ? wxCursor(wxCURSOR_BLANK) : wxNullCursor);
    }
}

void CViewComfort::showKeys(const wxRect& over) {
    keysOverlay->showOver(over);
}

bool CViewComfort::keysShown() const {
    return keysOverlay->IsShown();
}

void CViewComfort::closeKeys() {
    keysOverlay->close();
}
