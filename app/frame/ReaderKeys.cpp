#include "frame/ReaderKeys.h"

#include "frame/ReaderFrame.h"
#include "frame/ViewComfort.h"
#include "preferences/Preferences.h"
#include "view/AssessmentView.h"

#include <flitengine/engine/Phrases.h>

#include <wx/defs.h>
#include <wx/event.h>
#include <wx/textentry.h>
#include <wx/toplevel.h>
#include <wx/window.h>

namespace {

// The keys of the overlay, full screen, links, attachments and notes, which come before the
// others.
CReaderKeys::eCommand comfortCommandFor(const CReaderKeys::SPress& press) {
    if (press.keysShown) {
        // Any key closes the list, and does nothing else.
        return CReaderKeys::eCloseKeys;
    }
    const bool plain = press.modifiers == wxMOD_NONE;
    const bool typed = plain || press.modifiers == wxMOD_SHIFT;
    if ((typed && press.unicode == '?') || (plain && press.keyCode == WXK_F1)) {
        return CReaderKeys::eShowKeys;
    }
    if (plain && press.keyCode == WXK_F11) {
        return CReaderKeys::eFullScreen;
    }
    if (typed && press.keyCode == 'L') {
        return CReaderKeys::eOpenLink;
    }
    if (typed && press.keyCode == 'A') {
        return CReaderKeys::eReadAttachment;
    }
    if (typed && press.keyCode == 'N') {
        return CReaderKeys::eShowNote;
    }
    if (plain && press.keyCode == 'W') {
        return CReaderKeys::eNeighbourWords;
    }
    if (plain && press.keyCode == 'P') {
        return CReaderKeys::ePagePane;
    }
    // The digits as typed, on the main keys or the keypad.
    if (typed && press.unicode >= '0' + static_cast<int>(CPhrases::kMinWords) &&
        press.unicode <= '0' + static_cast<int>(CPhrases::kMaxWords)) {
        return CReaderKeys::eWordsPerFlash;
    }
    return CReaderKeys::eNone;
}

} // namespace

CReaderKeys::eCommand CReaderKeys::commandFor(const SPress& press) {
    if (press.elsewhere) {
        return eNone;
    }
    const eCommand comfort = comfortCommandFor(press);
    if (comfort != eNone) {
        return comfort;
    }
    const bool plain = press.modifiers == wxMOD_NONE;
    const bool ctrl = press.modifiers == wxMOD_CONTROL;
    const bool alt = press.modifiers == wxMOD_ALT;
    // Keys go to the assessment view's Continue button while it shows.
    if (press.assessmentShown && plain &&
        (press.keyCode == WXK_SPACE || press.keyCode == WXK_RETURN)) {
        return eContinue;
    }
    // Word steps: , and . as typed, whatever keys the layout types them with, and Shift+Left
    // and Shift+Right.
    if ((plain || press.modifiers == wxMOD_SHIFT) &&
        (press.unicode == ',' || press.unicode == '.')) {
        return press.unicode == ',' ? eWordBack : eWordForward;
    }
    if (press.modifiers == wxMOD_SHIFT &&
        (press.keyCode == WXK_LEFT || press.keyCode == WXK_RIGHT)) {
        return press.keyCode == WXK_LEFT ? eWordBack : eWordForward;
    }
    switch (press.keyCode) {
    case WXK_HOME:
        return plain ? eStart : eNone;
    case WXK_SPACE:
        return plain ? ePause : eNone;
    case WXK_ESCAPE:
        // Esc cancels an open first; it leaves full screen and, as always, stops reading.
        return !plain             ? eNone
               : press.opening    ? eCancelOpen
               : press.fullScreen ? eStopLeavingFullScreen
                                  : eStop;
    case WXK_LEFT:
        return plain ? eSentenceBack : ctrl ? eParagraphBack : alt ? eGoBack : eNone;
    case WXK_RIGHT:
        return plain ? eSentenceForward : ctrl ? eParagraphForward : alt ? eGoForward : eNone;
    case 'B':
        return ctrl                                               ? eAddBookmark
               : press.modifiers == (wxMOD_CONTROL | wxMOD_SHIFT) ? eShowBookmarks
                                                                  : eNone;
    case WXK_UP:
        return plain ? eFaster : eNone;
    case WXK_DOWN:
        return plain ? eSlower : eNone;
    default:
        return eNone;
    }
}

CReaderKeys::CReaderKeys(CReaderFrame* readerFrame, CViewComfort& viewComfort)
    : frame(readerFrame), comfort(viewComfort) {
    frame->Bind(wxEVT_CHAR_HOOK, &CReaderKeys::onCharHook, this);
    frame->Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& event) {
        menusOpen.insert(event.GetMenu());
        event.Skip();
    });
    frame->Bind(wxEVT_MENU_CLOSE, [this](wxMenuEvent& event) {
        // A close that names no menu closes them all.
        if (event.GetMenu() == nullptr) {
            menusOpen.clear();
        }
        menusOpen.erase(event.GetMenu());
        event.Skip();
    });
}

bool CReaderKeys::keyboardElsewhere() const {
    return !menusOpen.empty() || focusElsewhere(wxWindow::FindFocus(), frame);
}

bool CReaderKeys::focusElsewhere(wxWindow* focus, const wxWindow* frame) {
    if (focus == nullptr) {
        return false;
    }
    // A text field, or a part of one (a search field made of several windows).
    for (wxWindow* at = focus; at != nullptr && !at->IsTopLevel(); at = at->GetParent()) {
        if (dynamic_cast<wxTextEntry*>(at) != nullptr) {
            return true;
        }
    }
    return wxGetTopLevelParent(focus) != frame;
}

void CReaderKeys::onCharHook(wxKeyEvent& event) {
    // What is typed in a text field (the find bar's) is the field's, not reading's.
    if (dynamic_cast<wxTextEntry*>(event.GetEventObject()) != nullptr) {
        event.Skip();
        return;
    }
    SPress press;
    press.keyCode = event.GetKeyCode();
    press.unicode = event.GetUnicodeKey();
    press.modifiers = event.GetModifiers();
    press.keysShown = comfort.keysShown();
    press.fullScreen = frame->IsFullScreen();
    press.assessmentShown = frame->getAssessmentView()->IsShown();
    press.elsewhere = keyboardElsewhere();
    press.opening = frame->isOpening();
    const eCommand command = commandFor(press);
    switch (command) {
    case eNone:
        event.Skip();
        break;
    case eCloseKeys:
        comfort.closeKeys();
        break;
    case eShowKeys:
        frame->showKeys();
        break;
    case eFullScreen:
        frame->toggleFullScreen();
        break;
    case eOpenLink:
        frame->openLastLink();
        break;
    case eReadAttachment:
        frame->readAttachment();
        break;
    case eShowNote:
        frame->showLastNote();
        break;
    case eContinue:
        frame->continueReading();
        break;
    case eStart:
        frame->startFromBeginning();
        break;
    case ePause:
        frame->togglePause();
        break;
    case eStopLeavingFullScreen:
        frame->toggleFullScreen();
        frame->stopReading();
        break;
    case eStop:
        frame->stopReading();
        break;
    case eSentenceBack:
        frame->moveBySentence(-1);
        break;
    case eSentenceForward:
        frame->moveBySentence(1);
        break;
    case eParagraphBack:
        frame->moveByParagraph(-1);
        break;
    case eParagraphForward:
        frame->moveByParagraph(1);
        break;
    case eFaster:
        frame->changeSpeed(CReaderFrame::eFaster);
        break;
    case eSlower:
        frame->changeSpeed(CReaderFrame::eSlower);
        break;
    case eGoBack:
        frame->goBack();
        break;
    case eGoForward:
        frame->goForward();
        break;
    case eAddBookmark:
        frame->addBookmark();
        break;
    case eShowBookmarks:
        frame->showBookmarks();
        break;
    case eCancelOpen:
        frame->cancelOpening();
        break;
    case eWordsPerFlash:
    case eNeighbourWords:
    case ePagePane: {
        SPreferences chosen = frame->getPreferences();
        if (command == eWordsPerFlash) {
            chosen.wordsPerFlash = static_cast<unsigned int>(press.unicode - '0');
        } else if (command == eNeighbourWords) {
            chosen.neighbourWords = !chosen.neighbourWords;
        } else {
            chosen.pagePane = !chosen.pagePane;
        }
        frame->setPreferences(chosen);
        break;
    }
    case eWordBack:
    case eWordForward:
        // While reading these keys are not the reader's: they go on as before.
        if (frame->canStepWords()) {
            frame->stepWord(command == eWordBack ? -1 : 1);
        } else {
            event.Skip();
        }
        break;
    }
}
