#include "frame/ReaderFrame.h"

#include "frame/ReaderFrameIds.h"
#include "reading/ReadingNavigator.h"
#include "view/FlitView.h"

#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>

namespace {

// How long after the last speed change the speed is saved.
const int kSpeedSaveDelayMs = 700;

} // namespace

wxCDataInfoListNode* CReaderFrame::positionNode() const {
    if (resumeNode != nullptr) {
        return resumeNode;
    }
    if (reading == eHeldByDocument && holdingItem != nullptr) {
        return holdingItem->GetNext();
    }
    if (lastWordNode != nullptr) {
        return lastWordNode->GetNext();
    }
    return manager ? manager->getDataInfoListNode() : nullptr;
}

void CReaderFrame::moveBySentence(int direction) {
    if (!navigator) {
        return;
    }
    wxCDataInfoListNode* from = resumeNode ? resumeNode : lastWordNode;
    if (from == nullptr) {
        from = navigator->firstWord();
    }
    moveTo(direction < 0 ? navigator->previousSentence(from) : navigator->nextSentence(from));
}

void CReaderFrame::moveByParagraph(int direction) {
    if (!navigator) {
        return;
    }
    wxCDataInfoListNode* from = resumeNode ? resumeNode : lastWordNode;
    if (from == nullptr) {
        from = navigator->firstWord();
    }
    moveTo(direction < 0 ? navigator->previousParagraph(from) : navigator->nextParagraph(from));
}

void CReaderFrame::moveTo(wxCDataInfoListNode* target, wxCDataInfoListNode* context) {
    if (target == nullptr) {
        wxBell();
        return;
    }
    if (reading == eReading) {
        // The engine finishes the word in hand and goes on from the target after a restart.
        sendRestartingCommand(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, target);
        lastWordNode = target;
    } else {
        // Paused, stopped or not started: the next continue or start goes on from here.
        resumeNode = target;
        if (reading == eHeldByDocument || reading == eFinished) {
            reading = eStopped;
        }
        if (reading == eIdle) {
            reading = eStopped;
        }
        showFlitView();
        showPausedContext(context != nullptr ? context : target);
    }
    updateStatus();
}

void CReaderFrame::showPausedContext(wxCDataInfoListNode* node) {
    if (!navigator) {
        return;
    }
    std::vector<wxString> words;
    int marked = -1;
    navigator->sentenceAround(node != nullptr ? node : navigator->firstWord(), &words, &marked);
    if (preferences.pauseContext == ePauseWordOnly && marked >= 0) {
        words = {words[static_cast<size_t>(marked)]};
        marked = 0;
    }
    flitView->showContext(words, marked);
}

void CReaderFrame::changeSpeed(int command) {
    if (!manager) {
        return;
    }
    switch (command) {
    case eFaster:
        manager->increaseTargetSpeed(CFlitManager::kDefaultSpeedIncrement);
        break;
    case eSlower:
        manager->decreaseTargetSpeed(CFlitManager::kDefaultSpeedIncrement);
        break;
    case eDouble:
        manager->doubleTargetSpeed();
        break;
    case eHalf:
        manager->halfTargetSpeed();
        break;
    }
    // The engine times the next word at the new speed at once; the file follows once the
    // presses stop (ten in a second write it once).
    flitView->setSpeed(manager->getTargetSpeed());
    preferences.speed = manager->getTargetSpeed();
    speedSaveTimer.StartOnce(kSpeedSaveDelayMs);
    updateStatus();
}

void CReaderFrame::setWordDisplayLength(unsigned int length) {
    wordDisplayLength = preferences.wordLength = length;
    savePreferences();
    if (manager) {
        manager->setWordDisplayLength(length);
    }
    updateStatus();
}
