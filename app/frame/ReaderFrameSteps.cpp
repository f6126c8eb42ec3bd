// The reader's main window: word steps while paused or stopped.

#include "frame/ReaderFrame.h"

#include "reading/ReadingSteps.h"
#include "view/FlitView.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataManager.h>

void CReaderFrame::stepWord(int direction) {
    if (!canStepWords()) {
        return;
    }
    // A held key repeats at the keyboard's rate whatever the view takes to follow: the presses
    // that arrive before the queued taking runs join it, so the steps end with the key.
    pendingWordSteps += direction;
    if (!wordStepsQueued) {
        wordStepsQueued = true;
        CallAfter(&CReaderFrame::takeWordSteps);
    }
}

void CReaderFrame::takeWordSteps() {
    const int steps = pendingWordSteps;
    pendingWordSteps = 0;
    wordStepsQueued = false;
    if (!canStepWords() || steps == 0) {
        return;
    }
    // From the word the paused view shows, as the sentence moves go, or from the end once
    // reading reached it; a bell at either end.
    wxCDataInfoListNode* from = reading == eFinished ? nullptr : moveOrigin();
    wxCDataInfoListNode* target = CReadingSteps::wordAfterSteps(*navigator, from, steps);
    moveTo(target);
    if (target != nullptr) {
        showWordAt(target);
    }
}

void CReaderFrame::showWordAt(wxCDataInfoListNode* node) {
    // The word as reading flashes it (an email item's words together), in place of the paused
    // sentence; reading does not start.
    wxString text;
    for (const SFlashedWord& word : CFlashedWords::wordsOf(*document, node)) {
        text += (text.empty() ? "" : " ") + wxString::FromUTF8(word.text);
    }
    flitView->clearOverlay();
    flitView->showChunk(text);
}
