#include <flitengine/engine/FlitManager.h>

#include <flitengine/engine/FlitViewThread.h>
#include <flitengine/engine/Phrases.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/DataManager.h>

#include "engine/PacedRuns.h"

#include <wx/log.h>

#include <algorithm>
#include <climits>

const unsigned int CFlitManager::kDefaultWpmSpeed = 250;
const unsigned int CFlitManager::kTimerID = 50;
const unsigned int CFlitManager::kTimerDelayInMilliseconds = 500;
const unsigned int CFlitManager::kMinWpmSpeed = 100;
const unsigned int CFlitManager::kMaxWpmSpeed = 950;
const unsigned int CFlitManager::kDefaultSpeedIncrement = 25;
const unsigned int CFlitManager::kRampStartSpeed = CStartupRamp::kStartSpeed;
const unsigned int CFlitManager::kRampIncrement = CStartupRamp::kStep;

namespace {

// The toolkit's default priority on its 0 to 100 scale.
const unsigned int kThreadPriority = 50;

// A speed lowered by amount, or unchanged when that would pass the lower bound.
unsigned int loweredSpeed(unsigned int speed, unsigned int amount) {
    if (amount <= speed && speed - amount >= CFlitManager::kMinWpmSpeed) {
        return speed - amount;
    }
    return speed;
}

} // namespace

wxBEGIN_EVENT_TABLE(CFlitManager, wxEvtHandler)
    EVT_FLIT_COMMAND(EVT_FLIT_COMMAND_START_MSG, CFlitManager::onFlitCommandStart)
    EVT_FLIT_COMMAND(EVT_FLIT_COMMAND_CONTINUE_MSG, CFlitManager::onFlitCommandContinue)
    EVT_FLIT_COMMAND(EVT_FLIT_COMMAND_PAUSE_MSG, CFlitManager::onFlitCommandPause)
    EVT_FLIT_COMMAND(EVT_FLIT_COMMAND_STOP_MSG, CFlitManager::onFlitCommandStop)
    EVT_FLIT_COMMAND(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG,
                     CFlitManager::onFlitCommandModifyDataInfoListPtr)
wxEND_EVENT_TABLE()

CFlitManager::CFlitManager()
    : renderedCondition(renderedMutex), flitViewThread(nullptr), dataManager(nullptr),
      state(eStopped), currentSpeed(0), targetSpeed(kDefaultWpmSpeed), wordDisplayLength(0),
      dataInfoListNode(nullptr), mainFrameWindow(nullptr), flitViewWindow(nullptr),
      assessmentViewWindow(nullptr), rendered(false), awaitedRenderTicket(0), lastRenderTicket(0),
      shuttingDown(false), threadRunning(false), commandMutex(wxMUTEX_RECURSIVE),
      readingWhenMoved(false), pacedRuns(std::make_unique<CPacedRuns>()) {}

CFlitManager::~CFlitManager() {
    state = eStopped;
    // Before the thread ends: the pacer stops speaking, and a wait for one of its words ends.
    cancelPacedRun();
    shutDownThread();
}

void CFlitManager::shutDownThread() {
    if (flitViewThread == nullptr) {
        return;
    }
    if (threadRunning) {
        releaseRenderWait();
        flitViewThread->signalShutdown();
        flitViewThread->Wait();
    }
    // A thread whose creation failed never ran its loop: there is nothing to wait for.
    delete flitViewThread;
    flitViewThread = nullptr;
}

bool CFlitManager::initialize(CDataManager* document, wxWindow* mainFrame, wxWindow* flitView,
                              wxWindow* assessmentView) {
    // A manager reads one document for its whole life, and reads nothing without one.
    if (flitViewThread != nullptr) {
        wxLogError("FlitEngine: the engine is already initialized; it keeps its first document.");
        return false;
    }
    if (document == nullptr) {
        wxLogError("FlitEngine: there is no document to read.");
        return false;
    }
    mainFrameWindow = mainFrame;
    flitViewWindow = flitView;
    assessmentViewWindow = assessmentView;
    // Stored before the thread is made: its constructor takes the document from here.
    dataManager = document;

    flitViewThread = new CFlitViewThread(this, wxTHREAD_JOINABLE);
    if (createThread(*flitViewThread) != wxTHREAD_NO_ERROR) {
        wxLogError("Failed to create FlitViewThread.");
        return false;
    }
    flitViewThread->SetPriority(kThreadPriority);

    // Held from before Run, so the loop's start signal, given under the same mutex, cannot be
    // missed.
    wxMutexLocker lock(flitViewThread->getStartedMutex());
    if (flitViewThread->Run() != wxTHREAD_NO_ERROR) {
        wxLogError("Failed to create FlitViewThread.");
        return false;
    }
    threadRunning = true;
    flitViewThread->waitUntilStarted();
    return true;
}

wxThreadError CFlitManager::createThread(CFlitViewThread& thread) {
    // The default stack size.
    return thread.Create(0);
}

void CFlitManager::setTargetSpeed(unsigned int speed) {
    targetSpeed = wxMin(wxMax(speed, kMinWpmSpeed), kMaxWpmSpeed);
}

void CFlitManager::increaseTargetSpeed(unsigned int amount) {
    targetSpeed = CStartupRamp::raisedSpeed(targetSpeed, amount);
}

void CFlitManager::decreaseTargetSpeed(unsigned int amount) {
    targetSpeed = loweredSpeed(targetSpeed, amount);
}

void CFlitManager::halfTargetSpeed() {
    targetSpeed = wxMax(targetSpeed / 2, kMinWpmSpeed);
}

void CFlitManager::doubleTargetSpeed() {
    // targetSpeed never leaves its bounds, so doubling it cannot overflow.
    targetSpeed = wxMin(2 * targetSpeed, kMaxWpmSpeed);
}

void CFlitManager::increaseCurrentSpeed(unsigned int amount) {
    currentSpeed = CStartupRamp::raisedSpeed(currentSpeed, amount);
}

void CFlitManager::decreaseCurrentSpeed(unsigned int amount) {
    currentSpeed = loweredSpeed(currentSpeed, amount);
}

void CFlitManager::getNextDataInfoNode(int count) {
    if (dataManager == nullptr) {
        return;
    }
    wxCDataInfoListNode* node = dataInfoListNode;
    dataManager->getNextNode(&node, count);
    dataInfoListNode = node;
}

void CFlitManager::getPrevDataInfoNode(int count) {
    if (dataManager == nullptr) {
        return;
    }
    wxCDataInfoListNode* node = dataInfoListNode;
    dataManager->getPrevNode(&node, count);
    dataInfoListNode = node;
}

void CFlitManager::setState(eStateType newState) {
    wxMutexLocker lock(commandMutex);
    state = newState;
}

void CFlitManager::getNextDataInfoNodeIfApplicable(int count) {
    wxMutexLocker lock(commandMutex);
    switch (state) {
    case eRunning:
        getNextDataInfoNode(count);
        break;
    case eListPtrModified:
        state = eRunning;
        break;
    case ePaused:
    case eStopped:
        break;
    }
}

bool CFlitManager::getNextWord(wxString& word, wxCDataInfoListNode** nextNode) {
    if (state != eRunning) {
        return false;
    }
    // A host command may have moved the cursor while the thread was showing the word's
    // background: with no word at the cursor any more, there is nothing to fetch.
    wxCDataInfoListNode* node = dataInfoListNode;
    if (node == nullptr || node->GetData()->getDataInfoType() != eDITWord) {
        return false;
    }
    const CDITWord* item = static_cast<const CDITWord*>(node->GetData());
    word = wxString::FromUTF8(item->getWord());

    *nextNode = CReadingRules::separatorNodeAfter(*dataManager, node);

    if (!word.empty()) {
        metricsData.incrementWordCount();
    }
    return true;
}

void CFlitManager::moveCursorWhileReading(wxCDataInfoListNode* node) {
    wxMutexLocker lock(commandMutex);
    dataInfoListNode = node;
    if (state == eRunning) {
        readingWhenMoved = true;
        state = eListPtrModified;
    }
}

void CFlitManager::prepareGuiThreadRenderedMutex() {
    renderedMutex.Lock();
    rendered = false;
    // Tickets start at 1 and stay positive: 0 marks an event nothing waits for.
    lastRenderTicket = lastRenderTicket == LONG_MAX ? 1 : lastRenderTicket + 1;
    awaitedRenderTicket = lastRenderTicket;
    awaitedPresentAt = std::chrono::steady_clock::time_point();
}

void CFlitManager::waitUntilGuiThreadRendered() {
    while (!rendered && !shuttingDown) {
        renderedCondition.Wait();
    }
    lastRenderedAt = rendered ? renderedAt : std::chrono::steady_clock::now();
    lastReadyAt = rendered ? readyAt : lastRenderedAt;
    lastQueued = rendered && queued;
    renderedMutex.Unlock();
}

void CFlitManager::signalGuiThreadRendered() {
    wxMutexLocker lock(renderedMutex);
    markRendered(std::chrono::steady_clock::time_point::max(), false);
}

void CFlitManager::signalGuiThreadRendered(long ticket) {
    signalGuiThreadRendered(ticket, std::chrono::steady_clock::time_point::max());
}

void CFlitManager::signalGuiThreadRendered(long ticket,
                                           std::chrono::steady_clock::time_point ready) {
    wxMutexLocker lock(renderedMutex);
    // A signal for an earlier post (a host that signals twice) or for an event nothing waits
    // for must not release the post now awaited, which may not be on screen yet.
    if (ticket == awaitedRenderTicket) {
        markRendered(ready, false);
    }
}

void CFlitManager::signalGuiThreadQueued(long ticket) {
    wxMutexLocker lock(renderedMutex);
    if (ticket == awaitedRenderTicket) {
        markRendered(std::chrono::steady_clock::time_point::max(), true);
    }
}

std::chrono::steady_clock::time_point CFlitManager::getPresentAt(long ticket) {
    wxMutexLocker lock(renderedMutex);
    return ticket == awaitedRenderTicket ? awaitedPresentAt
                                         : std::chrono::steady_clock::time_point();
}

void CFlitManager::markRendered(std::chrono::steady_clock::time_point ready, bool queuedNow) {
    const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    rendered = true;
    queued = queuedNow;
    // A queued event goes on screen at its time, or at once when that has passed.
    renderedAt = queued ? std::max(now, awaitedPresentAt) : now;
    // A host cannot have had the event ready after it signalled.
    readyAt = std::min(ready, now);
    renderedCondition.Signal();
}

void CFlitManager::releaseRenderWait() {
    wxMutexLocker lock(renderedMutex);
    shuttingDown = true;
    renderedCondition.Broadcast();
    pacedRuns->wake();
}

void CFlitManager::cancelPacedRun() {
    if (pacedRuns->getPacer() != nullptr) {
        pacedRuns->cancel();
    }
}

void CFlitManager::setWordPacer(CWordPacer* pacer) {
    pacedRuns->setPacer(pacer);
}

CWordPacer* CFlitManager::getWordPacer() const {
    return pacedRuns->getPacer();
}

void CFlitManager::wordDue(long run, std::size_t index) {
    pacedRuns->wordDue(run, index);
}

void CFlitManager::runEnded(long run, bool) {
    // Said to the end or cut short, what is left of the run is timed by the rules alike.
    pacedRuns->runEnded(run);
}

// Commands sent before a successful initialize have nothing to drive: they change nothing.
void CFlitManager::onFlitCommandStart(CFlitCommandEvent& event) {
    if (!threadRunning) {
        return;
    }
    {
        wxMutexLocker lock(commandMutex);
        state = eRunning;
        dataInfoListNode = event.dataInfoListNode;
        wordCalcs.zeroInit();
        metricsData.start();
        flitViewThread->signalStart();
    }
    cancelPacedRun();
}

void CFlitManager::onFlitCommandPause(CFlitCommandEvent&) {
    if (!threadRunning) {
        return;
    }
    {
        wxMutexLocker lock(commandMutex);
        wordCalcs.zeroInit();
        metricsData.pause();
        state = ePaused;
        flitViewThread->signalPaused();
    }
    cancelPacedRun();
}

void CFlitManager::onFlitCommandContinue(CFlitCommandEvent& event) {
    if (!threadRunning) {
        return;
    }
    {
        wxMutexLocker lock(commandMutex);
        wordCalcs.zeroInit();
        metricsData.resume();
        dataInfoListNode = event.dataInfoListNode;
        state = eRunning;
        flitViewThread->signalContinue();
    }
    cancelPacedRun();
}

void CFlitManager::onFlitCommandStop(CFlitCommandEvent&) {
    if (!threadRunning) {
        return;
    }
    {
        wxMutexLocker lock(commandMutex);
        wordCalcs.zeroInit();
        metricsData.stop();
        state = eStopped;
        flitViewThread->signalStop();
    }
    cancelPacedRun();
}

void CFlitManager::onFlitCommandModifyDataInfoListPtr(CFlitCommandEvent& event) {
    if (!threadRunning) {
        return;
    }
    {
        wxMutexLocker lock(commandMutex);
        wordCalcs.zeroInit();
        // A second move before the thread has seen the first keeps what the first found: a move
        // while paused or stopped stays one however many follow it.
        if (state != eListPtrModified) {
            readingWhenMoved = state == eRunning;
        }
        state = eListPtrModified;
        dataInfoListNode = event.dataInfoListNode;
        flitViewThread->signalContinue();
    }
    cancelPacedRun();
}

void CFlitManager::setWordsPerFlash(unsigned int words) {
    wordsPerFlash = std::clamp(words, CPhrases::kMinWords, CPhrases::kMaxWords);
}
