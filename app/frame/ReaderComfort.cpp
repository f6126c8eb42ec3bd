// The reader's comforts: full screen, the keys overlay, the pointer hidden while reading, moving
// by the progress strip, and the link and attachment keys.

#include "frame/ReaderFrame.h"

#include "frame/ReaderFrameIds.h"
#include "reading/ReadingNavigator.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"
#include "view/KeysOverlay.h"
#include "view/ProgressStrip.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/outside/DataManager.h>

#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>

namespace {

// How long the pointer stays after it moved while reading, and how long the status bar names a
// link after it was flashed.
const int kPointerRestMs = 2000;
const auto kLinkMoment = std::chrono::seconds(5);

// The addresses the reader hands to the browser; others could run programs or open arbitrary
// schemes.
bool isOpenableAddress(const wxString& address) {
    const wxString lower = address.Lower();
    for (const char* scheme : {"http://", "https://", "mailto:", "file:"}) {
        if (lower.StartsWith(scheme)) {
            return true;
        }
    }
    return false;
}

} // namespace

void CReaderFrame::setUpComfort() {
    keysOverlay = new CKeysOverlay(this);
    progress->setSeekHandler([this](int value) { seekTo(value); });
    flitView->Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
        // The pointer comes back when moved, and hides again once it rests while reading.
        if (pointerHidden) {
            pointerHidden = false;
            flitView->SetCursor(wxNullCursor);
        }
        pointerTimer.StartOnce(kPointerRestMs);
        event.Skip();
    });
    flitView->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
        keysOverlay->close();
        event.Skip();
    });
    pointerTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { updatePointer(); });
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        if (keysOverlay->IsShown()) {
            CallAfter(&CReaderFrame::showKeys);
        }
        event.Skip();
    });
}

void CReaderFrame::toggleFullScreen() {
    // The status bar stays: it names the position, the time left and links.
    ShowFullScreen(!IsFullScreen(), wxFULLSCREEN_ALL & ~wxFULLSCREEN_NOSTATUSBAR);
    GetMenuBar()->Check(ID_FULL_SCREEN, IsFullScreen());
}

void CReaderFrame::showKeys() {
    wxWindow* view = flitView->IsShown() ? static_cast<wxWindow*>(flitView) : assessmentView;
    keysOverlay->showOver(view->GetRect());
}

bool CReaderFrame::keysShown() const {
    return keysOverlay->IsShown();
}

bool CReaderFrame::onComfortKey(wxKeyEvent& event) {
    if (keysOverlay->IsShown()) {
        // Any key closes the list, and does nothing else.
        keysOverlay->close();
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

void CReaderFrame::updatePointer() {
    const bool hide = reading == eReading && !pointerTimer.IsRunning();
    if (hide != pointerHidden) {
        pointerHidden = hide;
        flitView->SetCursor(hide ? wxCursor(wxCURSOR_BLANK) : wxNullCursor);
    }
}

void CReaderFrame::seekTo(int value) {
    if (!navigator || navigator->getWordCount() == 0) {
        return;
    }
    const size_t total = navigator->getWordCount();
    const size_t index =
        std::min(total - 1, static_cast<size_t>(wxMax(0, value)) * total / CProgressStrip::kRange);
    wxCDataInfoListNode* node = navigator->itemOfWord(index);
    if (node != nullptr) {
        moveTo(node);
    }
}

void CReaderFrame::holdStatusUpdates() {
    // Nothing changes while reading is held but a link notice's moment running out.
    statusTimer.Stop();
    if (!linkNotice().empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            linkShownAt + kLinkMoment - std::chrono::steady_clock::now());
        statusTimer.StartOnce(static_cast<int>(std::max<long long>(left.count(), 0)) + 1);
    }
}

void CReaderFrame::noticeItem(const CFlitCommandEvent& event) {
    wxCDataInfoListNode* node = event.dataInfoListNode;
    const int type = node != nullptr ? node->GetData()->getDataInfoType() : 0;
    if (type == eDITEmailItemAttachmentAnnounce) {
        announcedAttachment = node;
    } else if (type == eDITEmailItem) {
        // The next email: the attachment announced before it was passed by.
        announcedAttachment = nullptr;
    }
    if (event.text != CFlashedWords::kLinkWord || type != eDITLinkInfoRef) {
        return;
    }
    const CLinkInfo* link = document->getLinkAt(
        static_cast<const CDITLinkInfoRef*>(node->GetData())->getLinkInfoListNode());
    if (link == nullptr || link->linkData.empty()) {
        return;
    }
    linkAddress = link->linkData;
    if (link->linkType == eLinkMailto && !linkAddress.Lower().StartsWith("mailto:")) {
        linkAddress = "mailto:" + linkAddress;
    }
    linkShownAt = std::chrono::steady_clock::now();
    updateStatus();
}

wxString CReaderFrame::linkNotice() const {
    if (linkAddress.empty() || std::chrono::steady_clock::now() - linkShownAt > kLinkMoment) {
        return wxString();
    }
    return wxString::Format("Link: %s (L opens it)", linkAddress);
}

void CReaderFrame::openLastLink() {
    if (linkAddress.empty()) {
        wxBell();
        SetStatusText("No link has been shown yet", eFieldChapter);
        return;
    }
    if (!isOpenableAddress(linkAddress)) {
        SetStatusText(
            wxString::Format("Not opened: %s is not a web, mail or file address", linkAddress),
            eFieldChapter);
        return;
    }
    // The browser takes the reader's attention: reading waits for it.
    pauseReading();
    if (!wxLaunchDefaultBrowser(linkAddress)) {
        SetStatusText(wxString::Format("Could not open %s in the browser", linkAddress),
                      eFieldChapter);
    }
}

void CReaderFrame::readAttachment() {
    // The attachment is what the skip after the announcement jumps over, up to the next email
    // item: reading goes on from its first word instead.
    wxCDataInfoListNode* target = nullptr;
    bool inAttachment = false;
    for (wxCDataInfoListNode* node = announcedAttachment; node && target == nullptr;
         node = node->GetNext()) {
        const int type = node->GetData()->getDataInfoType();
        if (type == eDITEmailItem) {
            break;
        }
        if (type == eDITEmailItemAttachmentSkip) {
            inAttachment = true;
        } else if (inAttachment && type == eDITWord) {
            target = node;
        }
    }
    if (target == nullptr) {
        wxBell();
        SetStatusText("No attachment has just been announced", eFieldChapter);
        return;
    }
    announcedAttachment = nullptr;
    moveTo(target);
}
