// The reader's main window: the reading state machine, the commands that start, hold and stop
// reading, the moves of the position, and what the library and the settings learn of them.

#include "frame/ReaderFrame.h"

#include "frame/ReadAloud.h"
#include "frame/ReaderFrameIds.h"
#include "frame/ReaderStatus.h"
#include "library/ReaderLibrary.h"
#include "reading/ReadingNavigator.h"
#include "reading/ReadingSteps.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"
#include "view/PagePane.h"
#include "view/ProgressStrip.h"
#include "view/Themes.h"

#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include <algorithm>
#include <vector>

void CReaderFrame::sendCommand(int type, wxCDataInfoListNode* node) {
    if (!manager) {
        return;
    }
    CFlitCommandEvent command(type);
    command.dataInfoListNode = node;
    manager->ProcessEvent(command);
}

void CReaderFrame::sendRestartingCommand(int type, wxCDataInfoListNode* node) {
    if (type == EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG) {
        // A move while reading lets the word in hand finish first: its chunks still count as
        // one word.
        counter.restartRamp();
        sendCommand(type, node);
        return;
    }
    // Read from here on, the chapter tells more than a note about the opening. The position is
    // the node reading goes on from until its first word shows.
    status->setNote(wxString());
    counter.restart(node, type == EVT_FLIT_COMMAND_START_MSG);
    sendCommand(type, node);
    library->beginSession(counter.getWordsShown());
}

void CReaderFrame::beginReading(int type, wxCDataInfoListNode* from) {
    if (opener->opening()) {
        // The document open is held while another opens; if that open is cancelled, reading
        // goes on as asked.
        resumeAfterOpen = true;
        return;
    }
    showFlitView();
    flitView->clearOverlay();
    resumeNode = holdingItem = nullptr;
    moveNotShown = false;
    reading = eReading;
    sendRestartingCommand(type, from);
    status->startUpdates();
    updateStatus();
}

void CReaderFrame::startFromBeginning() {
    if (!manager) {
        return;
    }
    keepPlaceLeft(document->getFirstNode());
    lastWordNode = nullptr;
    beginReading(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
}

void CReaderFrame::togglePause() {
    switch (reading) {
    case eReading:
        pauseReading();
        break;
    case ePaused:
    case eHeldByDocument:
        continueReading();
        break;
    case eStopped:
    case eIdle:
    case eFinished:
        if (!manager) {
            return;
        }
        // A new reading, measured afresh, from the position the user chose or the beginning.
        {
            wxCDataInfoListNode* from =
                reading == eStopped || resumeNode != nullptr ? positionNode() : nullptr;
            if (from == nullptr) {
                startFromBeginning();
                return;
            }
            beginReading(EVT_FLIT_COMMAND_START_MSG, from);
        }
        break;
    }
}

void CReaderFrame::pauseReading() {
    if (reading != eReading) {
        return;
    }
    sendCommand(EVT_FLIT_COMMAND_PAUSE_MSG, nullptr);
    reading = ePaused;
    holdStatusUpdates();
    rememberReading();
    showPausedContext(lastWordNode);
    updateStatus();
}

void CReaderFrame::continueReading() {
    if (!manager || (reading != ePaused && reading != eHeldByDocument)) {
        return;
    }
    // Read aloud, the word on screen at a pause is said again: the voice was cut in it.
    const bool sayAgain =
        readAloud->isOn() && reading == ePaused && resumeNode == nullptr && lastWordNode != nullptr;
    beginReading(EVT_FLIT_COMMAND_CONTINUE_MSG, sayAgain ? lastWordNode : positionNode());
}

void CReaderFrame::stopReading() {
    if (reading != eReading && reading != ePaused && reading != eHeldByDocument) {
        return;
    }
    sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
    reading = eStopped;
    status->stopUpdates();
    rememberReading();
    showFlitView();
    showPausedContext(positionNode());
    updateStatus();
}

void CReaderFrame::onDocumentHold(wxCDataInfoListNode* item) {
    if (reading != eReading) {
        return;
    }
    reading = eHeldByDocument;
    holdingItem = item;
    rememberReading();
    if (options.autoContinue) {
        continueReading();
    } else {
        holdStatusUpdates();
        updateStatus();
    }
}

void CReaderFrame::showFlitView() {
    if (assessmentView->IsShown()) {
        assessmentView->Hide();
        flitView->Show();
        Layout();
    }
}

void CReaderFrame::showAssessmentView() {
    if (!assessmentView->IsShown()) {
        flitView->Hide();
        assessmentView->Show();
        Layout();
        assessmentView->getContinueButton()->SetFocus();
    }
}

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

wxCDataInfoListNode* CReaderFrame::moveOrigin() const {
    wxCDataInfoListNode* from = placeNode();
    return from != nullptr ? from : navigator->firstWord();
}

void CReaderFrame::moveBySentence(int direction) {
    if (navigator) {
        wxCDataInfoListNode* from = moveOrigin();
        moveTo(direction < 0 ? navigator->previousSentence(from) : navigator->nextSentence(from));
    }
}

void CReaderFrame::moveByParagraph(int direction) {
    if (navigator) {
        wxCDataInfoListNode* from = moveOrigin();
        moveTo(direction < 0 ? navigator->previousParagraph(from) : navigator->nextParagraph(from));
    }
}

void CReaderFrame::goToChapter(size_t entry) {
    if (entry >= chapters.size()) {
        wxBell();
        return;
    }
    // Reading goes on from the entry's first item (a page marker shows its page); the paused
    // view shows its first words.
    jumpTo(chapters.startOf(entry), chapters.firstWordOf(entry));
}

void CReaderFrame::seekTo(int value, bool dragged) {
    if (!navigator || navigator->getWordCount() == 0) {
        return;
    }
    const size_t total = navigator->getWordCount();
    const size_t index =
        std::min(total - 1, static_cast<size_t>(wxMax(0, value)) * total / CProgressStrip::kRange);
    wxCDataInfoListNode* node = navigator->itemOfWord(index);
    if (node != nullptr) {
        // A drag is one move: only the place its press left is kept.
        if (!dragged) {
            keepPlaceLeft(node);
        }
        moveTo(node);
    }
}

void CReaderFrame::jumpTo(wxCDataInfoListNode* target, wxCDataInfoListNode* context) {
    keepPlaceLeft(target);
    moveTo(target, context);
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
        moveNotShown = true;
    } else {
        // Paused, stopped or not started: the next continue or start goes on from here.
        resumeNode = target;
        if (reading == eHeldByDocument || reading == eFinished || reading == eIdle) {
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
    CReadingNavigator::SCut cut;
    navigator->sentenceAround(node != nullptr ? node : navigator->firstWord(), &words, &marked,
                              &cut);
    if (settings.get().pauseContext == ePauseWordOnly && marked >= 0) {
        words = {words[static_cast<size_t>(marked)]};
        marked = 0;
        cut = CReadingNavigator::SCut();
    }
    flitView->showContext(words, marked, cut.before, cut.after);
}

void CReaderFrame::changeSpeed(int command, unsigned int speed) {
    if (!manager) {
        return;
    }
    switch (command) {
    case eFaster:
    case eSlower: {
        // The reader's own step, which lands on a bound rather than asking the manager for a
        // step past it (which the manager refuses).
        const unsigned int from = static_cast<unsigned int>(manager->getTargetSpeed());
        const unsigned int to = CReadingSteps::speedAfterStep(from, command == eFaster ? 1 : -1);
        if (to > from) {
            manager->increaseTargetSpeed(to - from);
        } else {
            manager->decreaseTargetSpeed(from - to);
        }
        break;
    }
    case eExactSpeed:
        manager->setTargetSpeed(speed);
        break;
    case eDouble:
        manager->doubleTargetSpeed();
        break;
    case eHalf:
        manager->halfTargetSpeed();
        break;
    }
    // Read aloud, the speed stays within what the voice speaks at.
    const unsigned int wanted = static_cast<unsigned int>(manager->getTargetSpeed());
    const unsigned int spoken = readAloud->speedFor(wanted);
    if (spoken != wanted) {
        manager->setTargetSpeed(spoken);
    }
    // The engine times the next word at the new speed at once (read aloud, from the next
    // sentence); the file follows once the presses stop.
    flitView->setSpeed(manager->getTargetSpeed());
    settings.setSpeed(static_cast<unsigned int>(manager->getTargetSpeed()));
    updateStatus();
}

void CReaderFrame::setWordDisplayLength(unsigned int length) {
    settings.setWordLength(length);
    if (manager) {
        manager->setWordDisplayLength(length);
    }
    updateStatus();
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

void CReaderFrame::rememberReading() {
    if (!manager || !navigator || !library->recordsDocument()) {
        return;
    }
    // The word on screen when reading stopped is shown again on return; a move while paused
    // or a pause the document made says where to go on from instead.
    wxCDataInfoListNode* at = resumeNode;
    if (at == nullptr && reading == eHeldByDocument && holdingItem != nullptr) {
        at = holdingItem->GetNext();
    }
    if (at == nullptr) {
        at = lastWordNode != nullptr ? lastWordNode : positionNode();
    }
    long long position = -1;
    if (reading == eFinished) {
        position = static_cast<long long>(navigator->getWordCount());
    } else if (at != nullptr) {
        position = static_cast<long long>(navigator->wordsBefore(at));
    }
    library->stopped(counter.getWordsShown(), position);
}

void CReaderFrame::setPreferences(const SPreferences& chosen) {
    if (settings.choose(chosen)) {
        applyPreferences();
    }
}

void CReaderFrame::applyPreferences() {
    settings.apply(manager.get(), navigator.get(), document.get(), flitView, GetMenuBar());
    const SPreferences& chosen = settings.get();
    if (readAloud) {
        readAloud->chooseVoice(chosenVoice());
    }
    pagePane->setColours(themeOf(chosen.theme).background, themeOf(chosen.theme).word,
                         chosen.fixationColourShown());
    if (pagePane->IsShown() != chosen.pagePane) {
        pagePane->Show(chosen.pagePane);
        Layout();
    }
    if (reading == ePaused || reading == eStopped) {
        // The context shown follows the choice at once.
        showPausedContext(resumeNode != nullptr ? resumeNode
                          : reading == ePaused  ? lastWordNode
                                                : positionNode());
    }
    flitView->Refresh();
    updateStatus();
}

void CReaderFrame::applyFlashRules() {
    settings.applyFlashRules(manager.get(), navigator.get(), document.get());
}

void CReaderFrame::setReadAloud(bool on) {
    readAloud->setOn(on, manager.get());
    GetMenuBar()->Check(ID_READ_ALOUD, readAloud->isOn());
    if (on && manager) {
        // The speed moves into the voice's range, saying so, when it was outside.
        changeSpeed(eExactSpeed, static_cast<unsigned int>(manager->getTargetSpeed()));
    }
    if (!on) {
        // What reading aloud said is over with it.
        status->sayAwhile(wxString());
    }
    updateStatus();
}

bool CReaderFrame::isReadingAloud() const {
    return readAloud->isOn();
}

wxString CReaderFrame::chosenVoice() const {
    return options.voice.empty() ? settings.get().voice : options.voice;
}
