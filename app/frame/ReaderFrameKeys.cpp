// The reader's main window: the keys, and the comforts they reach (full screen, the keys
// overlay, links and attachments).

#include "frame/ReaderFrame.h"

#include "frame/ReaderFrameIds.h"
#include "frame/ReaderStatus.h"
#include "frame/ViewComfort.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"

#include <wx/menu.h>
#include <wx/utils.h>

void CReaderFrame::onCharHook(wxKeyEvent& event) {
    if (onComfortKey(event)) {
        return;
    }
    const bool ctrl = event.GetModifiers() == wxMOD_CONTROL;
    const bool plain = event.GetModifiers() == wxMOD_NONE;
    // Keys go to the assessment view's Continue button while it shows.
    if (assessmentView->IsShown() && plain &&
        (event.GetKeyCode() == WXK_SPACE || event.GetKeyCode() == WXK_RETURN)) {
        continueReading();
        return;
    }
    switch (event.GetKeyCode()) {
    case WXK_HOME:
        if (plain) {
            startFromBeginning();
            return;
        }
        break;
    case WXK_SPACE:
        if (plain) {
            togglePause();
            return;
        }
        break;
    case WXK_ESCAPE:
        if (plain) {
            stopReading();
            return;
        }
        break;
    case WXK_LEFT:
    case WXK_RIGHT: {
        const int direction = event.GetKeyCode() == WXK_LEFT ? -1 : 1;
        if (plain) {
            moveBySentence(direction);
            return;
        }
        if (ctrl) {
            moveByParagraph(direction);
            return;
        }
        break;
    }
    case WXK_UP:
    case WXK_DOWN:
        if (plain) {
            changeSpeed(event.GetKeyCode() == WXK_UP ? eFaster : eSlower);
            return;
        }
        break;
    default:
        break;
    }
    event.Skip();
}

bool CReaderFrame::onComfortKey(wxKeyEvent& event) {
    if (comfort->keysShown()) {
        // Any key closes the list, and does nothing else.
        comfort->closeKeys();
        return true;
    }
    const int modifiers = event.GetModifiers();
    const bool typed = modifiers == wxMOD_NONE || modifiers == wxMOD_SHIFT;
    // Handled here rather than as menu accelerators, which full screen hides with the menus.
    if ((typed && event.GetUnicodeKey() == '?') ||
        (modifiers == wxMOD_NONE && event.GetKeyCode() == WXK_F1)) {
        showKeys();
        return true;
    }
    if (modifiers == wxMOD_NONE && event.GetKeyCode() == WXK_F11) {
        toggleFullScreen();
        return true;
    }
    if (typed && event.GetKeyCode() == 'L') {
        openLastLink();
        return true;
    }
    if (typed && event.GetKeyCode() == 'A') {
        readAttachment();
        return true;
    }
    if (modifiers == wxMOD_NONE && event.GetKeyCode() == WXK_ESCAPE && IsFullScreen()) {
        // Esc leaves full screen and, as always, stops reading.
        toggleFullScreen();
    }
    return false;
}

void CReaderFrame::toggleFullScreen() {
    // The status bar stays: it names the position, the time left and links.
    ShowFullScreen(!IsFullScreen(), wxFULLSCREEN_ALL & ~wxFULLSCREEN_NOSTATUSBAR);
    GetMenuBar()->Check(ID_FULL_SCREEN, IsFullScreen());
}

void CReaderFrame::showKeys() {
    wxWindow* view = flitView->IsShown() ? static_cast<wxWindow*>(flitView) : assessmentView;
    comfort->showKeys(view->GetRect());
}

bool CReaderFrame::keysShown() const {
    return comfort->keysShown();
}

void CReaderFrame::openLastLink() {
    const wxString& address = links.getLinkAddress();
    if (address.empty()) {
        wxBell();
        status->say("No link has been shown yet");
        return;
    }
    if (!CLinkNotices::isOpenable(address)) {
        status->say(wxString::Format("Not opened: %s is not a web, mail or file address", address));
        return;
    }
    // The browser takes the reader's attention: reading waits for it.
    pauseReading();
    if (!wxLaunchDefaultBrowser(address)) {
        status->say(wxString::Format("Could not open %s in the browser", address));
    }
}

void CReaderFrame::readAttachment() {
    // The attachment is what the skip after the announcement jumps over, up to the next email
    // item: reading goes on from its first word instead.
    wxCDataInfoListNode* target = links.takeAttachment();
    if (target == nullptr) {
        wxBell();
        status->say("No attachment has just been announced");
        return;
    }
    moveTo(target);
}
