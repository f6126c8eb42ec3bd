// The reader's main window while a document opens in the background: the document open is
// held, and comes back as it was when the open ends without a new one.

#include "frame/ReaderFrame.h"

#include "frame/ReaderStatus.h"

#include <utility>

CDocumentOpener::SFrameHooks CReaderFrame::openHooks() {
    CDocumentOpener::SFrameHooks hooks;
    hooks.show = [this](SPreparedDocument prepared) { return showDocument(std::move(prepared)); };
    hooks.rules = [this] { return prepareRules(); };
    hooks.began = [this] { onOpenBegan(); };
    hooks.abandoned = [this] { onOpenAbandoned(); };
    return hooks;
}

void CReaderFrame::onOpenBegan() {
    resumeAfterOpen = false;
    if (reading == eReading) {
        pauseReading();
        resumeAfterOpen = true;
    }
    updateStatus();
}

void CReaderFrame::onOpenAbandoned() {
    const bool resume = resumeAfterOpen;
    resumeAfterOpen = false;
    updateStatus();
    if (resume) {
        continueReading();
    }
}

SPrepareRules CReaderFrame::prepareRules() const {
    SPrepareRules rules;
    rules.wordLength = settings.get().wordLength;
    rules.unit = settings.get().count;
    return rules;
}
