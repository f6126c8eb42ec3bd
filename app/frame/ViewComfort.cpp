#include "frame/ViewComfort.h"

#include "frame/ReaderFrameIds.h"
#include "view/KeysOverlay.h"

#include <wx/cursor.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/window.h>

#include <utility>

namespace {

// How long the pointer stays after it moved while reading.
const int kPointerRestMs = 2000;

} // namespace

CViewComfort::CViewComfort(wxFrame* readerFrame, wxWindow* flitView, wxWindow* assessmentView,
                           std::function<bool()> isReading)
    : frame(readerFrame), view(flitView), assessment(assessmentView), reading(std::move(isReading)),
      keysOverlay(new CKeysOverlay(readerFrame)) {
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
    frame->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        if (keysShown()) {
            frame->CallAfter([this] { showKeys(); });
        }
        event.Skip();
    });
}

void CViewComfort::updatePointer() {
    const bool hide = reading() && !pointerTimer.IsRunning();
    if (hide != pointerHidden) {
        pointerHidden = hide;
        view->SetCursor(hide ? wxCursor(wxCURSOR_BLANK) : wxNullCursor);
    }
}

void CViewComfort::showKeys() {
    keysOverlay->showOver((view->IsShown() ? view : assessment)->GetRect());
}

bool CViewComfort::keysShown() const {
    return keysOverlay->IsShown();
}

void CViewComfort::closeKeys() {
    keysOverlay->close();
}

void CViewComfort::toggleFullScreen() {
    // The status bar stays: it names the position, the time left and links.
    frame->ShowFullScreen(!frame->IsFullScreen(), wxFULLSCREEN_ALL & ~wxFULLSCREEN_NOSTATUSBAR);
    frame->GetMenuBar()->Check(ID_FULL_SCREEN, frame->IsFullScreen());
}
