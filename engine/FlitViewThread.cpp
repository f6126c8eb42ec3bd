#include "engine/FlitViewThread.h"

#include "engine/FlitManager.h"
#include "outside/DataManager.h"

#include <wx/log.h>
#include <wx/window.h>

#include <climits>
#include <cwchar>

namespace {

const long kMillisecondsPerSecond = 1000;
// The longest hold a background can ask for, so that its time in milliseconds fits an int.
const long kMaxHoldSeconds = INT_MAX / kMillisecondsPerSecond;

// A hold time in seconds from a link parameter: the leading decimal integer, whatever follows
// it; 0 when there is none. Negative times, which would otherwise never end, mean no hold.
long holdSecondsFrom(const wxString& param) {
    const wchar_t* start = param.wc_str();
    wchar_t* end = nullptr;
    const long seconds = std::wcstol(start, &end, 10);
    if (end == start || seconds < 0) {
        return 0;
    }
    return wxMin(seconds, kMaxHoldSeconds);
}

} // namespace

// Rows for the item kinds handled here; every other kind (spaces and newlines among them) is
// passed over.
const CFlitViewThread::SDispatchEntry CFlitViewThread::kDispatchTable[] = {
    {eDITTagInfoRef, &CFlitViewThread::handleTagInfoRef, nullptr},
    {eDITPageInfoRef, &CFlitViewThread::handlePageInfoRef, nullptr},
};

wxBEGIN_EVENT_TABLE(CFlitViewThread, wxEvtHandler)
    EVT_FLIT_COMMAND(EVT_FLIT_COMMAND_DONE_MSG, CFlitViewThread::OnFlitCommandDone)
        wxEND_EVENT_TABLE()

            CFlitViewThread::CFlitViewThread(CFlitManager* owner, wxThreadKind kind)
    : wxThread(kind), manager(owner), dataManager(nullptr), extraWordDelay(0), rampActive(false),
      restartPending(true), backgroundPending(false), continueCondition(continueMutex),
      wakePending(false), shutdownRequested(false), exitCondition(exitMutex), loopEnded(false),
      startedCondition(startedMutex), loopStarted(false) {
    dataManager = manager->getDataManager();
}

CFlitViewThread::~CFlitViewThread() = default;

void* CFlitViewThread::Entry() {
    {
        wxMutexLocker lock(startedMutex);
        loopStarted = true;
        startedCondition.Signal();
    }

    for (;;) {
        if (shutdownRequested) {
            break;
        }
        if (TestDestroy()) {
            shutdownRequested = true;
            break;
        }
        waitForCommand();
        if (shutdownRequested) {
            break;
        }
        readWhileRunning();
    }

    wxMutexLocker lock(exitMutex);
    loopEnded = true;
    exitCondition.Signal();
    return nullptr;
}

void CFlitViewThread::OnExit() {}

void CFlitViewThread::waitForCommand() {
    wxMutexLocker lock(continueMutex);
    // A start or continue that came while the loop was busy left wakePending set: reading goes
    // on at once instead of waiting for a signal that was already given.
    while (!wakePending && !shutdownRequested) {
        continueCondition.Wait();
    }
    wakePending = false;
}

void CFlitViewThread::readWhileRunning() {
    for (;;) {
        wxCDataInfoListNode* node = nullptr;
        bool restart = false;
        {
            // The state, the cursor and the pending restart are read together, never half-way
            // through a host command that sets them.
            wxMutexLocker lock(manager->getCommandMutex());
            if (manager->getState() != CFlitManager::eRunning || shutdownRequested) {
                return;
            }
            node = manager->getDataInfoListNode();
            if (node == nullptr) {
                manager->setState(CFlitManager::eStopped);
            } else {
                // Taken before the restart rather than cleared after it, so that a command
                // arriving during the restart or the item asks for a restart of its own.
                restart = restartPending.exchange(false);
            }
        }
        if (node == nullptr) {
            postDoneMessage();
            continue;
        }
        if (restart) {
            handleRestart(node);
        }
        dispatch(node);
        advanceAfterItem();
    }
}

void CFlitViewThread::dispatch(wxCDataInfoListNode* node) {
    CDataInfo* item = node->GetData();
    const eDataInfoType type = item->getDataInfoType();
    for (const SDispatchEntry& entry : kDispatchTable) {
        if (entry.type == type) {
            if (entry.onItem != nullptr) {
                (this->*entry.onItem)(item);
            } else {
                (this->*entry.onNode)(node);
            }
            return;
        }
    }
}

void CFlitViewThread::advanceAfterItem() {
    wxMutexLocker lock(manager->getCommandMutex());
    // A start or continue that arrived during the item set the cursor to where reading is to go
    // on: advancing now would skip that node.
    const CFlitManager::eStateType state = manager->getState();
    if (restartPending && state == CFlitManager::eRunning) {
        return;
    }
    // A move that arrived while reading was paused or stopped leaves it so: the state stays
    // eListPtrModified and the loop goes back to sleep.
    if (state == CFlitManager::eListPtrModified && !manager->wasReadingWhenMoved()) {
        return;
    }
    manager->getNextDataInfoNodeIfApplicable(1);
}

void CFlitViewThread::signalStart() {
    wxMutexLocker lock(continueMutex);
    restartPending = true;
    wakePending = true;
    continueCondition.Signal();
}

void CFlitViewThread::signalContinue() {
    signalStart();
}

void CFlitViewThread::signalShutdown() {
    wxMutexLocker exitLock(exitMutex);
    {
        wxMutexLocker continueLock(continueMutex);
        shutdownRequested = true;
        continueCondition.Signal();
    }
    {
        // Taken so that a sleep between its test of the flag and its wait cannot miss the wake.
        std::lock_guard<std::mutex> sleepLock(sleepMutex);
    }
    sleepCondition.notify_all();
    while (!loopEnded) {
        exitCondition.Wait();
    }
    wxLogDebug("CFlitViewThread::shutdownThread: Thread_id 0x%lX is exiting.\n",
               static_cast<unsigned long>(GetId()));
}

void CFlitViewThread::waitUntilStarted() {
    while (!loopStarted) {
        startedCondition.Wait();
    }
}

void CFlitViewThread::sleepMilliseconds(long milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(sleepMutex);
    sleepCondition.wait_until(lock, deadline, [this] { return shutdownRequested.load(); });
}

void CFlitViewThread::OnFlitCommandDone(CFlitCommandEvent& event) {
    event.text = "CFlitViewThread::OnFlitCommandDone entered.";
    wxWindow* view = manager->getFlitViewWindow();
    if (view != nullptr) {
        view->GetEventHandler()->AddPendingEvent(event);
    }
}

void CFlitViewThread::postWindowEvent(wxWindow* window, CFlitCommandEvent& event,
                                      bool waitForRender) {
    // Nothing goes to a missing window, and no render of it is awaited; once the manager is
    // being destroyed nothing goes anywhere.
    if (window == nullptr || manager->isShuttingDown()) {
        return;
    }
    event.SetExtraLong(waitForRender ? CFlitCommandEvent::kWaitsForRender : 0);
    if (!waitForRender) {
        window->GetEventHandler()->AddPendingEvent(event);
        return;
    }
    manager->prepareGuiThreadRenderedMutex();
    window->GetEventHandler()->AddPendingEvent(event);
    manager->waitUntilGuiThreadRendered();
}

void CFlitViewThread::postMainFrameWindowEvent(CFlitCommandEvent& event, bool waitForRender) {
    postWindowEvent(manager->getMainFrameWindow(), event, waitForRender);
}

void CFlitViewThread::postFlitViewWindowEvent(CFlitCommandEvent& event, bool waitForRender) {
    postWindowEvent(manager->getFlitViewWindow(), event, waitForRender);
}

void CFlitViewThread::postAssessmentViewWindowEvent(CFlitCommandEvent& event, bool waitForRender) {
    postWindowEvent(manager->getAssessmentViewWindow(), event, waitForRender);
}

void CFlitViewThread::postDoneMessage() {
    CFlitCommandEvent event(EVT_FLIT_COMMAND_DONE_MSG);
    postFlitViewWindowEvent(event, false);
}

void CFlitViewThread::postStopMessage() {
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_STOP_MSG);
    postFlitViewWindowEvent(event, false);
}

CFlitCommandEvent CFlitViewThread::makeCurrentNodeEvent(int eventType) {
    CFlitCommandEvent event(eventType);
    event.dataInfoListNode = manager->getDataInfoListNode();
    return event;
}

bool CFlitViewThread::handleRestart(wxCDataInfoListNode* node) {
    backgroundPending = true;

    CDataInfo* item = node->GetData();
    if (item->getDataInfoType() == eDITWord) {
        CDITWord* word = static_cast<CDITWord*>(item);
        if (!displayBkgndFor(word->getBackgroundLinkInfoNode())) {
            return false;
        }
        CDITTagInfoRef colourRef(word->getFontColourTagInfoListNode());
        if (!handleTagInfoRef(&colourRef)) {
            return false;
        }
    }

    lastStyleInfo.zeroInit();
    if (!displaySpeed(static_cast<unsigned int>(manager->getTargetSpeed()))) {
        return false;
    }
    unsigned int page = 0;
    dataManager->getPageNum(node, &page);
    displayPageNum(page);

    manager->setCurrentSpeed(CFlitManager::kRampStartSpeed);
    rampActive = true;
    return true;
}

bool CFlitViewThread::displayBkgndFor(wxCLinkInfoListNode* linkNode) {
    if (linkNode == nullptr) {
        return handleDefaultBackground();
    }
    return handleBackground(dataManager->getLinkAt(linkNode));
}

bool CFlitViewThread::handleDefaultBackground() {
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG);
    postFlitViewWindowEvent(event, true);
    backgroundPending = false;
    return true;
}

bool CFlitViewThread::handleBackground(CLinkInfo* link) {
    if (!handleBackgroundCommon(link)) {
        return false;
    }
    backgroundPending = false;
    return true;
}

bool CFlitViewThread::handleBackgroundCommon(CLinkInfo* link) {
    // A link the document cannot resolve is treated like a file it cannot write.
    if (link == nullptr) {
        return false;
    }
    wxString path;
    if (!dataManager->getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored,
                                                 link->linkData.utf8_str(), &path)) {
        return false;
    }
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_BACKGROUND_MSG);
    event.text = path;
    postFlitViewWindowEvent(event, true);

    if (!link->linkParam.empty()) {
        sleepMilliseconds(holdSecondsFrom(link->linkParam) * kMillisecondsPerSecond);
    }
    return true;
}

bool CFlitViewThread::handleTagInfoRef(CDataInfo* item) {
    CDITTagInfoRef* ref = static_cast<CDITTagInfoRef*>(item);
    if (ref->getTagInfoListNode() != nullptr) {
        const CTagInfo* tag = dataManager->getTagAtNode(ref->getTagInfoListNode());
        CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
        // Built from the components: the tag's colour belongs to the document.
        const wxColour& colour = tag->tagColour;
        event.colour = wxColour(colour.Red(), colour.Green(), colour.Blue(), colour.Alpha());
        event.number = tag->tagFlag ? 1 : 0;
        postFlitViewWindowEvent(event, false);
    } else {
        CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG);
        postFlitViewWindowEvent(event, false);
    }
    return true;
}

bool CFlitViewThread::handlePageInfoRef(CDataInfo* item) {
    const CDITPageInfoRef* ref = static_cast<const CDITPageInfoRef*>(item);
    const CPageInfo* page =
        dataManager->getPageManager()->getPageInfoAt(ref->getPageInfoListNode());
    if (page->pageType == CPageInfo::kHiddenPageType) {
        return true;
    }
    return displayPageNum(page->pageNum);
}

bool CFlitViewThread::displayPageNum(unsigned int page) {
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_PAGE_NUM_MSG);
    event.number = static_cast<int>(page);
    postFlitViewWindowEvent(event, false);
    return true;
}

bool CFlitViewThread::displaySpeed(unsigned int speed) {
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_SPEED_MSG);
    event.number = static_cast<int>(speed);
    postFlitViewWindowEvent(event, false);
    return true;
}
