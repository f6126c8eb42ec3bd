#include <flitengine/engine/FlitViewThread.h>

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Phrases.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/timing/SentenceEnd.h>

#include "engine/PacedRuns.h"

#include <wx/log.h>
#include <wx/window.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

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

// Whether a character is an ASCII digit or letter, as the C locale classifies them.
bool isAsciiDigit(wxUniChar c) {
    return c >= '0' && c <= '9';
}

bool isAsciiLetter(wxUniChar c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A rest's or sustain's count for the calculator: counts past the largest int are held there
// rather than turning negative (which would drop the pause altogether).
int countOf(unsigned int value) {
    return static_cast<int>(wxMin(value, static_cast<unsigned int>(INT_MAX)));
}

} // namespace

// Rows for the item kinds handled here; every other kind (spaces and newlines among them) is
// passed over.
const CFlitViewThread::SDispatchEntry CFlitViewThread::kDispatchTable[] = {
    {eDITWord, &CFlitViewThread::handleWord, nullptr},
    {eDITLinkInfoRef, nullptr, &CFlitViewThread::handleLinkInfoRef},
    {eDITRest, &CFlitViewThread::handleRest, nullptr},
    {eDITSustain, &CFlitViewThread::handleSustain, nullptr},
    {eDITTagInfoRef, &CFlitViewThread::handleTagInfoRef, nullptr},
    {eDITCourseNoteRef, &CFlitViewThread::handleCourseNoteRef, nullptr},
    {eDITGlossaryNoteRef, &CFlitViewThread::handleGlossaryNoteRef, nullptr},
    {eDITRapidNoteRef, &CFlitViewThread::handleRapidNoteRef, nullptr},
    {eDITUserNoteRef, &CFlitViewThread::handleUserNoteRef, nullptr},
    {eDITDogearRef, &CFlitViewThread::handleDogearRef, nullptr},
    {eDITPageInfoRef, &CFlitViewThread::handlePageInfoRef, nullptr},
    {eDITAssessmentReview, &CFlitViewThread::handleAssessmentReview, nullptr},
    {eDITEmailItem, nullptr, &CFlitViewThread::handleEmailItem},
    {eDITEmailItemAttachmentAnnounce, nullptr, &CFlitViewThread::handleEmailItemAttachmentAnnounce},
    {eDITEmailItemAttachmentSkip, nullptr, &CFlitViewThread::handleEmailItemAttachmentSkip},
    {eDITEmailItemAttachmentInfoRef, nullptr, &CFlitViewThread::handleEmailItemAttachmentInfoRef},
    {eDITChangeView, nullptr, &CFlitViewThread::handleChangeView},
    {eDITFlitCommand, nullptr, &CFlitViewThread::handleFlitCommand},
};

wxBEGIN_EVENT_TABLE(CFlitViewThread, wxEvtHandler)
    EVT_FLIT_COMMAND(EVT_FLIT_COMMAND_DONE_MSG, CFlitViewThread::OnFlitCommandDone)
wxEND_EVENT_TABLE()

CFlitViewThread::CFlitViewThread(CFlitManager* owner, wxThreadKind kind)
    : wxThread(kind), manager(owner), dataManager(nullptr), extraWordDelay(0), rampActive(false),
      restartPending(true), backgroundPending(false), continueCondition(continueMutex),
      wakePending(false), shutdownRequested(false), exitCondition(exitMutex), loopEnded(false),
      startedCondition(startedMutex), loopStarted(false), pacing(ePacingCompensated) {
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
            if (shutdownRequested) {
                return;
            }
            // A move the host made while reading ran, which landed between two items or before
            // the loop woke for a start, goes on from the new node; a move made while paused or
            // stopped leaves reading so.
            if (manager->getState() == CFlitManager::eListPtrModified &&
                manager->wasReadingWhenMoved()) {
                manager->setState(CFlitManager::eRunning);
            }
            if (manager->getState() != CFlitManager::eRunning) {
                // A sentence the pacer is still saying is cut short with reading, however
                // reading stopped; the end of a run it has said stays to be heard.
                abandonPacedRun();
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
    nodeInHand = node;
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
    sleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

void CFlitViewThread::sleepUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(sleepMutex);
    sleepCondition.wait_until(lock, deadline, [this] { return shutdownRequested.load(); });
}

void CFlitViewThread::sleepAfterPost(long milliseconds, std::chrono::microseconds advance,
                                     std::chrono::microseconds lead) {
    const ePacing mode = pacing;
    const bool relative = mode == ePacingRelative;
    const bool scheduled = mode == ePacingScheduled;
    const bool compensating = mode == ePacingCompensated || scheduled;
    std::chrono::microseconds early(0);
    if (compensating && milliseconds > 0) {
        // A host slower than the time asked for gets no sleep at all, never a negative one: the
        // next post goes as soon as the last one is on screen.
        const CRenderLatency& blank = renderLatency[eRenderBlank];
        const CRenderLatency& next =
            lastPostShowsWord && blank.size() > 0 ? blank : renderLatency[eRenderShown];
        const std::chrono::microseconds sleep = std::chrono::milliseconds(milliseconds);
        const std::chrono::microseconds usual = next.estimate();
        // A host that holds each event until its time is warned by the longest it took, not the
        // usual: being early costs it nothing, being late shows. Before it has been timed, the
        // next post goes at once.
        const std::chrono::microseconds warning = !scheduled        ? usual
                                                  : next.size() > 0 ? scheduledWarning(next)
                                                                    : sleep;
        // The sleep ends no sooner than the last event was ready: on screen, unless the host
        // queued it.
        const std::chrono::microseconds longest = sleep + anchorAhead;
        const std::chrono::microseconds catchUp = std::min(pacingDebt.catchUp(), sleep - advance);
        early =
            std::clamp(warning + catchUp + advance + lead, std::chrono::microseconds(0), longest);
        if (scheduled) {
            nextPresentAt = lastPostAnchor + sleep - advance - catchUp;
            presentLead = early - advance - catchUp;
        }
        // An interval shorter than the host's usual render cannot be shown on time, and what it
        // runs over cannot be made up without cutting every later word short: only the intervals
        // the host can show count towards the time lost. The advance is meant, not owed.
        if (usual < longest - advance) {
            pendingEarly = early - advance;
        }
    }
    if (sleepObserver &&
        sleepObserver(milliseconds, relative ? eFromNothing : lastPostAnchorKind, early)) {
        return;
    }
    if (milliseconds <= 0) {
        return;
    }
    if (relative) {
        sleepMilliseconds(milliseconds);
        return;
    }
    const std::chrono::steady_clock::time_point deadline =
        lastPostAnchor + std::chrono::milliseconds(milliseconds) - early;
    if (compensating && std::chrono::steady_clock::now() < deadline) {
        nextPostDue = deadline;
    }
    sleepUntil(deadline);
}

std::chrono::microseconds CFlitViewThread::scheduledWarning(const CRenderLatency& latency) {
    return latency.warning() + kScheduledMargin;
}

std::chrono::microseconds CFlitViewThread::blankOverrun(long blankMs, long shownMs) const {
    const ePacing mode = pacing;
    if (mode != ePacingCompensated && mode != ePacingScheduled) {
        return std::chrono::microseconds::zero();
    }
    // A host that shows each event at its time needs the longest warning, as for any post.
    const CRenderLatency& word = renderLatency[eRenderShown];
    const std::chrono::microseconds overrun =
        (mode == ePacingScheduled ? scheduledWarning(word) : word.estimate()) -
        std::chrono::milliseconds(blankMs);
    return std::clamp(overrun, std::chrono::microseconds::zero(),
                      std::chrono::microseconds(std::chrono::milliseconds(shownMs)) / 4);
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
    const std::optional<std::chrono::microseconds> early = pendingEarly;
    pendingEarly.reset();
    lastPostAnchor = std::chrono::steady_clock::now();
    lastPostAnchorKind = eFromPost;
    anchorAhead = std::chrono::microseconds::zero();
    lastPostShowsWord = event.GetEventType() == EVT_FLIT_COMMAND_WORD_MSG && !event.text.empty();
    if (window == nullptr || manager->isShuttingDown()) {
        return;
    }
    if (!waitForRender) {
        event.SetExtraLong(0);
        window->GetEventHandler()->AddPendingEvent(event);
        return;
    }
    manager->prepareGuiThreadRenderedMutex();
    // The host passes the ticket back with its render signal, which ties the signal to this post.
    event.SetExtraLong(manager->getAwaitedRenderTicket());
    const std::chrono::steady_clock::time_point due =
        nextPostDue != std::chrono::steady_clock::time_point() ? nextPostDue : lastPostAnchor;
    nextPostDue = std::chrono::steady_clock::time_point();
    const bool scheduled = pacing == ePacingScheduled;
    if (scheduled) {
        manager->setAwaitedPresentAt(nextPresentAt);
    }
    const bool presentTimed = nextPresentAt != std::chrono::steady_clock::time_point();
    nextPresentAt = std::chrono::steady_clock::time_point();
    window->GetEventHandler()->AddPendingEvent(event);
    manager->waitUntilGuiThreadRendered();
    lastPostAnchor = manager->getLastRenderedAt();
    lastPostAnchorKind = eFromRender;
    std::chrono::microseconds latency =
        std::chrono::duration_cast<std::chrono::microseconds>(lastPostAnchor - due);
    // A host that holds events tells the thread how long it takes to have one ready; when it
    // shows one is the thread's choice.
    std::chrono::microseconds measured =
        scheduled
            ? std::chrono::duration_cast<std::chrono::microseconds>(manager->getLastReadyAt() - due)
            : latency;
    if (latencyObserver) {
        // A time fed in stands for the whole render: a host that holds events shows each at
        // its time, or once it has it ready when that is later.
        measured = latencyObserver(measured);
        latency = scheduled && presentTimed ? std::max(measured, presentLead) : measured;
    }
    // A queued event was ready when the wait returned, and goes on screen at its time.
    anchorAhead = manager->wasLastRenderQueued()
                      ? std::max(latency - measured, std::chrono::microseconds::zero())
                      : std::chrono::microseconds::zero();
    const bool blank = event.GetEventType() == EVT_FLIT_COMMAND_WORD_MSG && event.text.empty();
    // A host that holds events is judged only by the posts it had a time for: the first ones
    // after a start, due at once, find it still busy with the start itself.
    if (!scheduled || presentTimed) {
        renderLatency[blank ? eRenderBlank : eRenderShown].add(measured);
    }
    // Against the sleep before this post: a render later than the sleep allowed for is owed.
    if (early) {
        pacingDebt.add(latency, *early);
    }
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
    // Reading goes on from somewhere else, or from the same word anew: a new run begins there.
    abandonPacedRun();
    // The host may have changed while reading stood (another window size, another load): its
    // post-to-render time is measured afresh.
    for (CRenderLatency& kind : renderLatency) {
        kind.reset();
    }
    pacingDebt.reset();
    pendingEarly.reset();
    nextPostDue = std::chrono::steady_clock::time_point();
    nextPresentAt = std::chrono::steady_clock::time_point();
    anchorAhead = std::chrono::microseconds::zero();

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

bool CFlitViewThread::linkFilePath(const CLinkInfo* link, wxString* path) {
    // A link the document cannot resolve is treated like a file it cannot write.
    return link != nullptr &&
           dataManager->getLinkFileDataStoreAsFile(CDataManager::eLinkFileDataStored,
                                                   link->linkData.utf8_str(), path);
}

bool CFlitViewThread::handleBackgroundCommon(CLinkInfo* link) {
    wxString path;
    if (!linkFilePath(link, &path)) {
        return false;
    }
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_BACKGROUND_MSG);
    event.text = path;
    postFlitViewWindowEvent(event, true);

    if (!link->linkParam.empty()) {
        sleepAfterPost(holdSecondsFrom(link->linkParam) * kMillisecondsPerSecond);
    }
    return true;
}

bool CFlitViewThread::handleTagInfoRef(CDataInfo* item) {
    CDITTagInfoRef* ref = static_cast<CDITTagInfoRef*>(item);
    if (ref->getTagInfoListNode() != nullptr) {
        const CTagInfo* tag = dataManager->getTagAtNode(ref->getTagInfoListNode());
        CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
        // Built from the components: the tag's colour belongs to the document. An invalid
        // colour has no components to read; the event carries an invalid colour then.
        const wxColour& colour = tag->tagColour;
        if (colour.IsOk()) {
            event.colour = wxColour(colour.Red(), colour.Green(), colour.Blue(), colour.Alpha());
        }
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
    // The document refuses a marker without a page record; one that came some other way names
    // no page and shows nothing.
    if (page == nullptr || page->pageType == CPageInfo::kHiddenPageType) {
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

// --- Words, rests, sustains and styles ---

bool CFlitViewThread::handleWord(CDataInfo* item) {
    CDITWord* word = static_cast<CDITWord*>(item);
    if (backgroundPending && !displayBkgndFor(word->getBackgroundLinkInfoNode())) {
        return false;
    }
    std::size_t pacedIndex = kNotPaced;
    if (!awaitPacedTurn(&pacedIndex)) {
        return true;
    }

    wxString text;
    wxCDataInfoListNode* nextNode = nullptr;
    wxCDataInfoListNode* node = nullptr;
    std::vector<wxCDataInfoListNode*> phrase;
    {
        // Fetched under the command mutex, so that the word and the node it is shown with are
        // the item in hand: a host command that moved the reading position while the word's
        // background was shown takes effect instead, and this word is not shown.
        wxMutexLocker lock(manager->getCommandMutex());
        node = manager->getDataInfoListNode();
        if (node != nodeInHand) {
            return true;
        }
        manager->getNextWord(text, &nextNode);
        if (!text.empty() && manager->getWordsPerFlash() > 1) {
            phrase = takePhrase(node, &nextNode);
        }
    }
    if (text.empty()) {
        return true;
    }

    const char separator = CReadingRules::separatorOf(nextNode);

    handleStyleChange(word->getStyleInfo());
    if (pacedIndex != kNotPaced) {
        // The word (or phrase) stays on screen until the word after its last is due.
        const auto last = std::find(pacedRun.nodes.begin() + static_cast<long>(pacedIndex),
                                    pacedRun.nodes.end(), phrase.empty() ? node : phrase.back());
        pacedRun.next = last == pacedRun.nodes.end()
                            ? pacedRun.nodes.size()
                            : static_cast<std::size_t>(last - pacedRun.nodes.begin()) + 1;
        pacedNextWord = pacedRun.next;
    }
    if (phrase.size() > 1) {
        postPhraseToFlitView(phrase, separator);
    } else {
        postWordToFlitView(text, separator, node);
    }
    pacedNextWord = kNotPaced;
    return true;
}

bool CFlitViewThread::awaitPacedTurn(std::size_t* index) {
    *index = kNotPaced;
    CPacedRuns& runs = manager->getPacedRuns();
    if (runs.getPacer() == nullptr) {
        // Without a pacer every word goes by the rules, as it always did; a run the thread was
        // following was cancelled with the pacer's change.
        pacedRun = SPacedRun();
        return true;
    }
    wxCDataInfoListNode* const node = nodeInHand;
    // An empty word shows nothing: it neither belongs to a run nor ends one.
    if (*static_cast<const CDITWord*>(node->GetData())->getWord() == '\0') {
        return true;
    }
    for (;;) {
        const auto from = pacedRun.nodes.begin() + static_cast<long>(pacedRun.next);
        const auto found = std::find(from, pacedRun.nodes.end(), node);
        std::size_t place = 0;
        if (found == pacedRun.nodes.end()) {
            abandonPacedRun();
            const std::vector<CWordPacer::SWord> words = runFrom(node);
            pacedRun.run = runs.begin(words, static_cast<unsigned int>(manager->getTargetSpeed()));
            for (const CWordPacer::SWord& word : words) {
                pacedRun.nodes.push_back(word.node);
            }
        } else {
            place = static_cast<std::size_t>(found - pacedRun.nodes.begin());
        }
        pacedRun.next = place + 1;
        if (pacedRun.run == 0) {
            return true;
        }
        const std::chrono::steady_clock::time_point deadline =
            std::chrono::steady_clock::now() + pacerWaitFor(node);
        switch (
            runs.waitForWord(pacedRun.run, place, deadline, [this] { return pacedWaitStops(); })) {
        case CPacedRuns::eWaitDue:
            // The voice sets the pace from the first word: there is nothing to ramp up.
            rampActive = false;
            *index = place;
            return true;
        case CPacedRuns::eWaitEnded:
            pacedRun.run = 0;
            return true;
        case CPacedRuns::eWaitTimedOut:
            // A pacer that stalls is stopped, and the rules go on without it.
            runs.cancel();
            pacedRun.run = 0;
            return true;
        case CPacedRuns::eWaitDropped:
            // The pacer changed: the word goes to the new one, or to the rules.
            pacedRun = SPacedRun();
            if (runs.getPacer() == nullptr) {
                return true;
            }
            break;
        case CPacedRuns::eWaitStopped:
            // A run that began just after the command cancelled its predecessor is cut short
            // here.
            pacedRun.next = place;
            abandonPacedRun();
            return false;
        }
    }
}

std::vector<CWordPacer::SWord> CFlitViewThread::runFrom(wxCDataInfoListNode* node) const {
    std::vector<CWordPacer::SWord> words;
    for (wxCDataInfoListNode* at = node; at != nullptr && words.size() < kMaxRunWords;
         at = at->GetNext()) {
        const CDataInfo* item = at->GetData();
        if (item->getDataInfoType() == eDITNewline) {
            break;
        }
        if (item->getDataInfoType() != eDITWord) {
            continue;
        }
        const char* text = static_cast<const CDITWord*>(item)->getWord();
        if (*text == '\0') {
            continue;
        }
        words.push_back({at, wxString::FromUTF8(text)});
        if (CSentenceEnd::endsSentence(text)) {
            break;
        }
    }
    return words;
}

std::chrono::milliseconds CFlitViewThread::pacerWaitFor(wxCDataInfoListNode* node) const {
    // Timed on a copy: the calculator remembers the word before, which this must not change.
    CFlitWordCalcs calcs(*manager->getFlitWordCalcs());
    const SWordTiming times =
        CReadingRules::timingOf(calcs, static_cast<const CDITWord*>(node->GetData())->getWord(),
                                CReadingRules::separatorAfter(*dataManager, node),
                                manager->getTargetSpeed(), manager->getWordDisplayLength());
    const long long rules = kPacerWaitFactor * (static_cast<long long>(times.displayMs) +
                                                static_cast<long long>(times.delayMs));
    return std::max(kMinPacerWait, std::chrono::milliseconds(rules));
}

bool CFlitViewThread::isPacingRun() const {
    return pacedRun.run != 0 && pacedRun.next > 0 && pacedRun.next < pacedRun.nodes.size();
}

void CFlitViewThread::abandonPacedRun() {
    if (pacedRun.run != 0 && pacedRun.next < pacedRun.nodes.size()) {
        manager->getPacedRuns().cancel();
    }
    pacedRun = SPacedRun();
}

bool CFlitViewThread::pacedWaitStops() const {
    return shutdownRequested || manager->isShuttingDown() || restartPending ||
           manager->getState() != CFlitManager::eRunning;
}

void CFlitViewThread::holdWhileShown(long milliseconds) {
    if (pacedNextWord >= pacedRun.nodes.size() || pacedRun.run == 0) {
        // The run's last word: the rules time it, and the thread goes on after its blank.
        sleepAfterPost(milliseconds);
        return;
    }
    if (sleepObserver &&
        sleepObserver(milliseconds, lastPostAnchorKind, std::chrono::microseconds::zero())) {
        return;
    }
    manager->getPacedRuns().waitWhileShown(
        pacedRun.run, pacedNextWord, lastPostAnchor + std::chrono::milliseconds(milliseconds),
        [this] { return shutdownRequested || manager->isShuttingDown(); });
}

std::vector<wxCDataInfoListNode*> CFlitViewThread::takePhrase(wxCDataInfoListNode* first,
                                                              wxCDataInfoListNode** nextNode) {
    const SPhraseLimits limits = {manager->getWordsPerFlash(), manager->getPhraseLength(),
                                  manager->getWordDisplayLength(), manager->getHyphenation()};
    std::vector<wxCDataInfoListNode*> phrase = CPhrases::phraseAt(first, limits);
    if (phrase.size() > 1) {
        // The first word was counted as it was fetched; the cursor moves to the last, which is
        // the item in hand from now on: the advance after it, or a pause, goes on from there.
        for (std::size_t word = 1; word < phrase.size(); ++word) {
            manager->getFlitMetricsData()->incrementWordCount();
        }
        manager->setDataInfoListNode(phrase.back());
        nodeInHand = phrase.back();
        *nextNode = CReadingRules::separatorNodeAfter(*dataManager, phrase.back());
    }
    return phrase;
}

int CFlitViewThread::nextWordSpeed() {
    if (!rampActive) {
        return manager->getTargetSpeed();
    }
    // The ramp goes on from the manager's current speed, which the host may have changed.
    CStartupRamp ramp(static_cast<unsigned int>(manager->getCurrentSpeed()));
    const int speed = ramp.nextWord(manager->getTargetSpeed());
    manager->setCurrentSpeed(ramp.speed());
    rampActive = ramp.isRunning();
    return speed;
}

void CFlitViewThread::postWordToFlitView(wxString& word, char separator,
                                         wxCDataInfoListNode* node) {
    if (manager->getState() != CFlitManager::eRunning) {
        return;
    }

    const int speed = nextWordSpeed();

    // Chunks and their timing follow the rules shared with everything that shows reading
    // without the thread; the timing rules get the UTF-8 bytes.
    const unsigned int displayLength = manager->getWordDisplayLength();
    const wxScopedCharBuffer utf8 = word.utf8_str();
    const std::string wholeWord(utf8.data(), utf8.length());
    const SWordTiming times = CReadingRules::timingOf(*manager->getFlitWordCalcs(), wholeWord,
                                                      separator, speed, displayLength);

    CFlitCommandEvent event(EVT_FLIT_COMMAND_WORD_MSG);
    event.dataInfoListNode = node;
    for (const std::string& chunk : CFlashedWords::chunksOf(
             wholeWord, displayLength, manager->getHyphenation(), manager->getChunkCut())) {
        flashThenBlank(event, wxString::FromUTF8(chunk), times);
    }
}

void CFlitViewThread::postPhraseToFlitView(const std::vector<wxCDataInfoListNode*>& phrase,
                                           char separator) {
    if (manager->getState() != CFlitManager::eRunning) {
        return;
    }
    // Each word is timed as if it flashed alone, in order and at the speed of its moment (the
    // ramp moves on once a word); the phrase stays on screen for all of it but the last delay.
    const unsigned int displayLength = manager->getWordDisplayLength();
    SWordTiming times = {0, 0};
    std::string joined;
    for (std::size_t word = 0; word < phrase.size(); ++word) {
        const std::string text = static_cast<const CDITWord*>(phrase[word]->GetData())->getWord();
        const bool last = word + 1 == phrase.size();
        const int speed = nextWordSpeed();
        times = CPhrases::extended(
            times, CReadingRules::timingOf(*manager->getFlitWordCalcs(), text,
                                           last ? separator : COvriChars::kSpaceChar, speed,
                                           displayLength));
        joined += (word == 0 ? "" : " ") + text;
    }
    CFlitCommandEvent event(EVT_FLIT_COMMAND_WORD_MSG);
    event.dataInfoListNode = phrase.back();
    flashThenBlank(event, wxString::FromUTF8(joined), times);
}

void CFlitViewThread::flashThenBlank(CFlitCommandEvent& event, const wxString& text,
                                     const SWordTiming& times) {
    const int displayTime = times.displayMs;
    const int interWordDelay = times.delayMs;
    event.text = text;
    postFlitViewWindowEvent(event, true);
    if (pacedNextWord != kNotPaced) {
        // The voice sets the time: no sustain lengthens a paced word, and the blank after the
        // run's last word is left to the next word's own wait.
        extraWordDelay = 0;
        holdWhileShown(displayTime);
        event.text.clear();
        postFlitViewWindowEvent(event, true);
        if (pacedNextWord < pacedRun.nodes.size()) {
            holdWhileShown(interWordDelay);
        }
        return;
    }
    // Added in 64 bits: a display time at its cap plus a sustain must not wrap round.
    const long shownFor = static_cast<long>(wxMin(
        static_cast<long long>(displayTime) + extraWordDelay, static_cast<long long>(INT_MAX)));
    // A host that queues has the blank drawn that much sooner and still shows it at its
    // time; any other host shows it that much sooner, and longer.
    const std::chrono::microseconds overrun = blankOverrun(interWordDelay, shownFor);
    const bool queues = manager->wasLastRenderQueued();
    const std::chrono::microseconds none = std::chrono::microseconds::zero();
    sleepAfterPost(shownFor, queues ? none : overrun, queues ? overrun : none);
    extraWordDelay = 0;

    event.text.clear();
    postFlitViewWindowEvent(event, true);
    sleepAfterPost(interWordDelay, queues ? none : -overrun);
}

bool CFlitViewThread::handleStyleChange(CStyleInfo& style) {
    const unsigned int changed = style.getChangedStylesMask(lastStyleInfo);
    if (changed & eStyleBold) {
        CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_STYLE_BOLD_MSG);
        event.number = style.isOn(eStyleBold) ? 1 : 0;
        postFlitViewWindowEvent(event, false);
    }
    if (changed & eStyleHighlight) {
        CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG);
        event.number = style.isOn(eStyleHighlight) ? 1 : 0;
        postFlitViewWindowEvent(event, false);
    }
    lastStyleInfo = style;
    return true;
}

bool CFlitViewThread::handleRest(CDataInfo* item) {
    const CDITRest* rest = static_cast<const CDITRest*>(item);
    // Rests keep the reader's chosen speed even while the ramp runs.
    const int delay = manager->getFlitWordCalcs()->calcRestDelay(countOf(rest->getValue()),
                                                                 manager->getTargetSpeed());
    CFlitCommandEvent blank = makeCurrentNodeEvent(EVT_FLIT_COMMAND_WORD_MSG);
    postFlitViewWindowEvent(blank, false);
    // Between two words of a paced run the voice keeps the time.
    if (!isPacingRun()) {
        sleepAfterPost(delay);
    }
    return true;
}

bool CFlitViewThread::handleSustain(CDataInfo* item) {
    const CDITSustain* sustain = static_cast<const CDITSustain*>(item);
    // Replaces rather than adds to a sustain that no chunk has used yet.
    extraWordDelay = manager->getFlitWordCalcs()->calcSustainDelay(countOf(sustain->getValue()),
                                                                   manager->getTargetSpeed());
    return true;
}

// --- Notes, dogears, assessment reviews, email items, view changes and commands ---

bool CFlitViewThread::postValueRef(CDataInfo* item, int eventType) {
    const CDITSize_tRefBase* ref = static_cast<const CDITSize_tRefBase*>(item);
    CFlitCommandEvent event = makeCurrentNodeEvent(eventType);
    event.number = static_cast<int>(ref->getValue());
    postFlitViewWindowEvent(event, false);
    return true;
}

bool CFlitViewThread::handleGlossaryNoteRef(CDataInfo* item) {
    return postValueRef(item, EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG);
}

bool CFlitViewThread::handleCourseNoteRef(CDataInfo* item) {
    return postValueRef(item, EVT_FLIT_COMMAND_COURSE_NOTE_MSG);
}

bool CFlitViewThread::handleRapidNoteRef(CDataInfo* item) {
    return postValueRef(item, EVT_FLIT_COMMAND_RAPID_NOTE_MSG);
}

bool CFlitViewThread::handleUserNoteRef(CDataInfo* item) {
    return postValueRef(item, EVT_FLIT_COMMAND_USER_NOTE_MSG);
}

bool CFlitViewThread::handleDogearRef(CDataInfo* item) {
    return postValueRef(item, EVT_FLIT_COMMAND_DOGEAR_MSG);
}

bool CFlitViewThread::handleAssessmentReview(CDataInfo*) {
    manager->setState(CFlitManager::eStopped);
    CFlitCommandEvent event(EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG);
    postAssessmentViewWindowEvent(event, true);
    return handleChangeViewCommon(eViewAssessment);
}

bool CFlitViewThread::handleChangeViewCommon(eViewID viewId) {
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_CHANGE_VIEW_MSG);
    event.number = viewId;
    manager->setState(CFlitManager::eStopped);
    postMainFrameWindowEvent(event, false);
    return true;
}

bool CFlitViewThread::handleEmailItem(wxCDataInfoListNode* node) {
    const CDITEmailItem* item = static_cast<const CDITEmailItem*>(node->GetData());
    for (const SFlashedWord& flashed : CFlashedWords::emailItemWords(item->getValue())) {
        wxString word = wxString::FromUTF8(flashed.text);
        postWordToFlitView(word, flashed.separator, node);
    }
    return true;
}

bool CFlitViewThread::handleEmailItemAttachmentAnnounce(wxCDataInfoListNode* node) {
    for (const SFlashedWord& flashed : CFlashedWords::attachmentAnnouncementWords()) {
        wxString word = wxString::FromUTF8(flashed.text);
        postWordToFlitView(word, flashed.separator, node);
    }
    return true;
}

bool CFlitViewThread::handleEmailItemAttachmentSkip(wxCDataInfoListNode* node) {
    manager->moveCursorWhileReading(CFlashedWords::nextReadNode(node));
    return true;
}

bool CFlitViewThread::handleEmailItemAttachmentInfoRef(wxCDataInfoListNode*) {
    return true;
}

bool CFlitViewThread::handleChangeView(wxCDataInfoListNode* node) {
    const CDITChangeView* item = static_cast<const CDITChangeView*>(node->GetData());
    switch (item->getViewType()) {
    case CDITChangeView::eViewReading:
        return handleChangeViewCommon(eViewReading);
    case CDITChangeView::eViewStop:
        postStopMessage();
        return true;
    case CDITChangeView::eViewOverview:
        return handleChangeViewCommon(eViewOverview);
    case CDITChangeView::eViewAssessment:
        return handleChangeViewCommon(eViewAssessment);
    default:
        return true;
    }
}

bool CFlitViewThread::handleFlitCommand(wxCDataInfoListNode* node) {
    const CDITFlitCommand* item = static_cast<const CDITFlitCommand*>(node->GetData());
    if (item->getType() == CDITFlitCommand::eFlitCommandStop) {
        postStopMessage();
    }
    return true;
}

// --- Links, graphics and media ---

bool CFlitViewThread::handleLinkInfoRef(wxCDataInfoListNode* node) {
    const CDITLinkInfoRef* ref = static_cast<const CDITLinkInfoRef*>(node->GetData());
    CLinkInfo* link = dataManager->getLinkAt(ref->getLinkInfoListNode());
    if (link == nullptr) {
        return false;
    }
    switch (link->linkType) {
    case eLinkLGraphic:
        return handleLGraphic(link);
    case eLinkBGraphic:
        return handleBGraphic(link);
    case eLinkSound:
        return handleSound(link);
    case eLinkBackground:
        return handleBackground(link);
    case eLinkSpeed:
        return handleSpeed(link);
    case eLinkAssessment:
        return handleAssessment(link);
    case eLinkVideo:
        return handleVideo(link);
    case eLinkWeb:
        return handleHyperlink(node, link);
    case eLinkMailto:
        return handleMailtoLink(node, link);
    default:
        return false;
    }
}

bool CFlitViewThread::handleLGraphic(CLinkInfo* link) {
    if (!handleBackgroundCommon(link)) {
        return false;
    }
    // The next word puts its own background back in place of the graphic.
    backgroundPending = true;
    return true;
}

bool CFlitViewThread::handleBGraphic(CLinkInfo* link) {
    wxString path;
    if (!linkFilePath(link, &path)) {
        return false;
    }
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_BGRAPHIC_MSG);
    event.text = path;
    long seconds = 0;
    if (!link->linkParam.empty()) {
        const wxUniChar first = link->linkParam[0];
        if (isAsciiDigit(first)) {
            seconds = holdSecondsFrom(link->linkParam);
        } else if (isAsciiLetter(first)) {
            // Pauses without the host's pause command, so the reading metrics keep running.
            event.number = 1;
            manager->setState(CFlitManager::ePaused);
        }
    }
    postFlitViewWindowEvent(event, true);
    sleepAfterPost(seconds * kMillisecondsPerSecond);
    backgroundPending = true;
    return true;
}

bool CFlitViewThread::handleSound(CLinkInfo* link) {
    wxString path;
    if (!linkFilePath(link, &path)) {
        return false;
    }
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_SOUND_MSG);
    event.text = path;
    postFlitViewWindowEvent(event, false);
    return true;
}

bool CFlitViewThread::handleSpeed(CLinkInfo* link) {
    const wchar_t* start = link->linkData.wc_str();
    wchar_t* end = nullptr;
    long speed = std::wcstol(start, &end, 10);
    if (end == start) {
        speed = 0;
    }
    // The target is clamped into the manager's range; a negative speed counts as the slowest.
    manager->setTargetSpeed(speed < 0 ? 0 : static_cast<unsigned int>(wxMin(speed, long(INT_MAX))));
    // The view is told the speed as the document gave it.
    return displaySpeed(static_cast<unsigned int>(speed));
}

bool CFlitViewThread::handleAssessment(CLinkInfo* link) {
    manager->setState(CFlitManager::eStopped);
    CFlitCommandEvent event = makeCurrentNodeEvent(EVT_FLIT_COMMAND_ASSESSMENT_MSG);
    event.text = link->linkData;
    postAssessmentViewWindowEvent(event, true);
    return handleChangeViewCommon(eViewAssessment);
}

bool CFlitViewThread::handleVideo(CLinkInfo*) {
    return true;
}

bool CFlitViewThread::handleHyperlink(wxCDataInfoListNode* node, CLinkInfo*) {
    const SFlashedWord link = CFlashedWords::linkWord();
    wxString word = wxString::FromUTF8(link.text);
    postWordToFlitView(word, link.separator, node);
    return true;
}

bool CFlitViewThread::handleMailtoLink(wxCDataInfoListNode* node, CLinkInfo* link) {
    return handleHyperlink(node, link);
}
