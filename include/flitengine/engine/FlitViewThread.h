#ifndef FLIT_ENGINE_FLITVIEWTHREAD_H
#define FLIT_ENGINE_FLITVIEWTHREAD_H

#include <flitengine/FlitExport.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/RenderLatency.h>
#include <flitengine/engine/WordPacer.h>
#include <flitengine/outside/DataInfo.h>
#include <flitengine/outside/StyleInfo.h>

#include <wx/event.h>
#include <wx/thread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

class CDataManager;
class CFlitManager;
class CLinkInfo;
struct SWordTiming;

// The presentation thread. It sleeps until the host starts or continues reading; then, while
// the manager's state stays eRunning, it takes the item at the manager's cursor, hands it to the
// handler for its kind and advances the cursor. At the end of the document it stops, posts DONE
// to the view and sleeps again. Before the first item after every start, continue or cursor move
// it runs a restart that brings the view's background, text colour, speed and page number up to
// date and arms the speed ramp.
//
// With a pacer set on the manager (CWordPacer), the words of each sentence go to the pacer as a
// run, and each is shown when the pacer reports it due rather than after the timing rules'
// sleeps; see awaitPacedTurn.
//
// Everything it tells the host goes through the three posting operations, as queued events.
class FLIT_EXPORT CFlitViewThread : public wxEvtHandler, public wxThread {
public:
    // How the thread times its sleeps. With deadlines, each sleep ends at a moment on the
    // monotonic clock fixed from when its event went on screen (the GUI thread's render signal)
    // or was posted, so neither the thread's own wake-up nor a sleep's overshoot is added to the
    // next interval. Compensated deadlines (the default) end each sleep earlier by the host's
    // usual post-to-render time as well, so that the next event is on screen, not merely
    // posted, when its time has passed; plain deadlines add that time to every interval. The
    // relative sleeps start counting when the thread gets round to sleeping. The two older
    // modes are kept so that measurements can compare them. Scheduled deadlines are for a host
    // that shows each waited event at the moment the manager gives for it (see
    // CFlitManager::getPresentAt): each post goes out earlier by the longest the host recently
    // took to have an event ready, and the host holds it until its time, so that a host whose
    // render time varies from one event to the next still shows each on time.
    enum ePacing {
        ePacingCompensated,
        ePacingDeadlines,
        ePacingRelative,
        ePacingScheduled,
    };
    // With scheduled deadlines, how much sooner still than the host's longest recent render
    // each post goes out: this thread's own wake-up can come that late on a busy machine, and
    // an event sent early costs a host that holds it nothing.
    static constexpr std::chrono::microseconds kScheduledMargin{2000};

    // What a sleep counts from: the render signal of the last post that waited for one, the last
    // post (when it waited for none), or nothing (a relative sleep counts from when it begins).
    enum eSleepAnchor {
        eFromRender,
        eFromPost,
        eFromNothing,
    };
    // Told every sleep the thread is asked for, zero-length ones included, before it sleeps, with
    // how much earlier than the time asked for it is to end (never more than that time, so a
    // sleep never ends before what it counts from, or before a queued event it counts from was
    // ready); returning true skips the sleep. Tests install one through the manager's
    // createThread seam, before the thread runs, to see the timing exactly; the engine never
    // sets one.
    typedef std::function<bool(long milliseconds, eSleepAnchor from,
                               std::chrono::microseconds early)>
        SleepObserver;
    // Told each post-to-render time the thread measures (post to ready, with scheduled
    // deadlines); the estimate takes what it returns. Tests install one, as they do the sleep
    // observer, to feed the estimate exact times.
    typedef std::function<std::chrono::microseconds(std::chrono::microseconds measured)>
        LatencyObserver;

    CFlitViewThread(CFlitManager* manager, wxThreadKind kind);
    ~CFlitViewThread() override;

    void* Entry() override;
    void OnExit() override;

    // Start and continue (and the host's cursor move): mark a restart as pending and wake the
    // loop. A wake-up that arrives while the loop is busy is kept, never lost.
    void signalStart();
    void signalContinue();
    // Pause and stop work through the manager's state alone.
    void signalPaused() {}
    void signalStop() {}
    // Ends the loop and returns once it has ended. Sleeps of the item in hand are cut short.
    void signalShutdown();

    void setPacing(ePacing mode) { pacing = mode; }
    ePacing getPacing() const { return pacing; }
    void setSleepObserver(SleepObserver observer) { sleepObserver = std::move(observer); }
    void setLatencyObserver(LatencyObserver observer) { latencyObserver = std::move(observer); }

    // Tells initialize that the loop has begun; waits on startedCondition under startedMutex,
    // which the caller holds from before Run.
    void waitUntilStarted();
    wxMutex& getStartedMutex() { return startedMutex; }

protected:
    void OnFlitCommandDone(CFlitCommandEvent& event);

    void postMainFrameWindowEvent(CFlitCommandEvent& event, bool waitForRender);
    void postFlitViewWindowEvent(CFlitCommandEvent& event, bool waitForRender);
    void postAssessmentViewWindowEvent(CFlitCommandEvent& event, bool waitForRender);
    void postDoneMessage();
    void postStopMessage();

    // The restart, and the view's setting around the words.
    bool handleRestart(wxCDataInfoListNode* node);
    bool displayBkgndFor(wxCLinkInfoListNode* linkNode);
    bool handleDefaultBackground();
    bool handleBackground(CLinkInfo* link);
    bool handleBackgroundCommon(CLinkInfo* link);
    bool handleTagInfoRef(CDataInfo* item);
    bool handlePageInfoRef(CDataInfo* item);
    bool displayPageNum(unsigned int page);
    bool displaySpeed(unsigned int speed);

    // Words, rests, sustains and styles.
    bool handleWord(CDataInfo* item);
    // Flashes a word (in hyphenated chunks when it is longer than the word display length) and
    // blanks it, with the display time and inter-word delay of the timing rules. Does nothing
    // unless reading runs; once begun, every chunk is shown.
    void postWordToFlitView(wxString& word, char separator, wxCDataInfoListNode* node);
    // Flashes the words of a phrase (CPhrases) as one, with the separator after its last word,
    // and blanks it; the event carries the last word's node. Does nothing unless reading runs.
    void postPhraseToFlitView(const std::vector<wxCDataInfoListNode*>& phrase, char separator);
    bool handleStyleChange(CStyleInfo& style);
    bool handleRest(CDataInfo* item);
    bool handleSustain(CDataInfo* item);

    // Notes, dogears, assessment reviews, email items, view changes and embedded commands.
    bool handleGlossaryNoteRef(CDataInfo* item);
    bool handleCourseNoteRef(CDataInfo* item);
    bool handleRapidNoteRef(CDataInfo* item);
    bool handleUserNoteRef(CDataInfo* item);
    bool handleDogearRef(CDataInfo* item);
    bool handleAssessmentReview(CDataInfo* item);
    bool handleEmailItem(wxCDataInfoListNode* node);
    bool handleEmailItemAttachmentAnnounce(wxCDataInfoListNode* node);
    bool handleEmailItemAttachmentSkip(wxCDataInfoListNode* node);
    bool handleEmailItemAttachmentInfoRef(wxCDataInfoListNode* node);
    bool handleChangeView(wxCDataInfoListNode* node);
    bool handleFlitCommand(wxCDataInfoListNode* node);
    // Posts a change to the given view to the main frame and stops reading.
    bool handleChangeViewCommon(eViewID viewId);

    // Links, graphics and media.
    bool handleLinkInfoRef(wxCDataInfoListNode* node);
    bool handleLGraphic(CLinkInfo* link);
    bool handleBGraphic(CLinkInfo* link);
    bool handleSound(CLinkInfo* link);
    bool handleSpeed(CLinkInfo* link);
    bool handleAssessment(CLinkInfo* link);
    bool handleVideo(CLinkInfo* link);
    bool handleHyperlink(wxCDataInfoListNode* node, CLinkInfo* link);
    bool handleMailtoLink(wxCDataInfoListNode* node, CLinkInfo* link);

    // Before a word is fetched: with a pacer set, finds the run the word belongs to, or gathers
    // a new one from it and hands it to the pacer, then waits until the pacer reports the word
    // due. Sets *index to the word's place in its run when it is to be shown as paced, or to
    // kNotPaced when the timing rules time it (no pacer, the pacer declined the run, ended it,
    // or stalled). False when a pause, stop, move, restart or shutdown ended the wait: the word
    // is then not shown.
    bool awaitPacedTurn(std::size_t* index);
    // Holds what was just posted for the given time, or less: until the word that follows the
    // one on screen is due. Only shutdown cuts it shorter.
    void holdWhileShown(long milliseconds);

    // Sleeps for the given time; only shutdown cuts it short (pause and stop never do).
    void sleepMilliseconds(long milliseconds);
    // Sleeps until the deadline; only shutdown cuts it short.
    void sleepUntil(std::chrono::steady_clock::time_point deadline);
    // Sleeps for the given time counted from when the last event posted went on screen (or
    // was posted, when nothing waited for its render), as the pacing mode says; compensated,
    // less the estimated post-to-render time, down to no sleep at all. With compensated and
    // scheduled deadlines the next event is to be on screen advance sooner than that (later,
    // when negative); with scheduled deadlines it is posted lead sooner still, to be shown at
    // the same time. After an event a host queued, the sleep may end before that event is on
    // screen, never before the host had it ready.
    void sleepAfterPost(long milliseconds,
                        std::chrono::microseconds advance = std::chrono::microseconds::zero(),
                        std::chrono::microseconds lead = std::chrono::microseconds::zero());
    // How much later than its delay the word after a blank of blankMs would come on screen,
    // with a host whose usual render of a word (the longest, with scheduled deadlines) takes
    // longer than the blank: the chunk shown for shownMs before it gives up that much (at most
    // a quarter of its time) and the blank gets it, so that the blank shows for as long as the
    // host needs and the next word still comes on time. Zero in the modes without
    // compensation.
    std::chrono::microseconds blankOverrun(long blankMs, long shownMs) const;
    // How early a post goes out to a host that shows each event at its time: the host's longest
    // recent render of that kind, and the thread's own margin.
    static std::chrono::microseconds scheduledWarning(const CRenderLatency& latency);

    // An event of the given type about the item at the cursor.
    CFlitCommandEvent makeCurrentNodeEvent(int eventType);

    // Marks a word that is not paced.
    static constexpr std::size_t kNotPaced = static_cast<std::size_t>(-1);
    // The most words a run holds: a long sentence goes to the pacer in parts.
    static constexpr std::size_t kMaxRunWords = 64;
    // The least time the thread waits for a paced word before it takes the pacer for stalled,
    // and how many times the word's own time by the rules it waits when that is longer. A
    // synthesizer may take a couple of seconds to be heard again after it was stopped (eSpeak
    // NG through PulseAudio takes about two), so the least is well above that.
    static constexpr std::chrono::milliseconds kMinPacerWait{5000};
    static constexpr int kPacerWaitFactor = 4;

private:
    typedef bool (CFlitViewThread::*ItemHandler)(CDataInfo*);
    typedef bool (CFlitViewThread::*NodeHandler)(wxCDataInfoListNode*);
    // One row of the dispatch table: an item kind and the handler that takes its item or node.
    struct SDispatchEntry {
        eDataInfoType type;
        ItemHandler onItem;
        NodeHandler onNode;
    };
    static const SDispatchEntry kDispatchTable[];

    void postWindowEvent(wxWindow* window, CFlitCommandEvent& event, bool waitForRender);
    // Under the command mutex, with the host's words per flash above 1: the phrase that begins
    // with the word at first, just fetched and counted. A phrase of more than one word has its
    // other words counted, the cursor moved to its last and nextNode set after that.
    std::vector<wxCDataInfoListNode*> takePhrase(wxCDataInfoListNode* first,
                                                 wxCDataInfoListNode** nextNode);
    // The speed the next word is timed at: the target, or the ramp's, which moves on a step.
    int nextWordSpeed();
    // Posts text with the event and holds it for the display time (and any sustain), then posts
    // the blank and holds that for the delay.
    void flashThenBlank(CFlitCommandEvent& event, const wxString& text, const SWordTiming& times);
    // Posts a note or dogear reference's value to the view.
    bool postValueRef(CDataInfo* item, int eventType);
    // Writes a link's file data out; false when the document cannot.
    bool linkFilePath(const CLinkInfo* link, wxString* path);
    // The words from node to the end of its sentence or paragraph, at most kMaxRunWords: the run
    // that begins there.
    std::vector<CWordPacer::SWord> runFrom(wxCDataInfoListNode* node) const;
    // How long to wait for the pacer's report of the word at node before taking it for stalled.
    std::chrono::milliseconds pacerWaitFor(wxCDataInfoListNode* node) const;
    // Whether the thread is between two words of a run the pacer is saying.
    bool isPacingRun() const;
    // Forgets the run in hand, cancelling it with the pacer unless all its words were shown.
    void abandonPacedRun();
    // Whether a wait for the pacer is to end without its word: reading no longer runs as it did.
    bool pacedWaitStops() const;
    // Waits on continueCondition until a start, continue or shutdown is pending.
    void waitForCommand();
    // Presents items while the manager's state stays eRunning.
    void readWhileRunning();
    void dispatch(wxCDataInfoListNode* node);
    // The advance after an item; see readWhileRunning.
    void advanceAfterItem();

    CFlitManager* manager;
    CDataManager* dataManager;
    // The node of the item being handled.
    wxCDataInfoListNode* nodeInHand = nullptr;
    // The run of words handed to the pacer, as the thread follows it: its number (0 once the
    // rules time what is left of it: the pacer declined it, ended it or stalled), its words'
    // nodes, and the place of the next word to be shown.
    struct SPacedRun {
        long run = 0;
        std::vector<wxCDataInfoListNode*> nodes;
        std::size_t next = 0;
    };
    SPacedRun pacedRun;
    // While a paced word is shown: the place in the run of the word whose report ends its time
    // on screen; kNotPaced otherwise.
    std::size_t pacedNextWord = kNotPaced;
    int extraWordDelay;
    bool rampActive;
    // Set by the GUI thread under continueMutex (and the manager's command mutex); taken by the
    // loop before the item it applies to.
    std::atomic<bool> restartPending;
    bool backgroundPending;
    CStyleInfo lastStyleInfo;
    // The loop waits on continueCondition while reading is not running; signalStart,
    // signalContinue and signalShutdown signal it after setting wakePending or
    // shutdownRequested under continueMutex, so no signal is lost.
    wxMutex continueMutex;
    wxCondition continueCondition;
    bool wakePending;
    // Set by signalShutdown under continueMutex; read by the loop at any time.
    std::atomic<bool> shutdownRequested;
    // signalShutdown waits on exitCondition until the loop sets loopEnded and signals.
    wxMutex exitMutex;
    wxCondition exitCondition;
    bool loopEnded;
    // initialize waits on startedCondition until the loop sets loopStarted and signals.
    wxMutex startedMutex;
    wxCondition startedCondition;
    bool loopStarted;
    // Sleeps wait on sleepCondition until their deadline; signalShutdown wakes them.
    std::mutex sleepMutex;
    std::condition_variable sleepCondition;
    // Where the next sleep counts from, and which moment that is: set by every post.
    std::chrono::steady_clock::time_point lastPostAnchor;
    eSleepAnchor lastPostAnchorKind = eFromPost;
    SleepObserver sleepObserver;
    LatencyObserver latencyObserver;
    std::atomic<ePacing> pacing;
    // The host's post-to-render times since the last restart, for blanks and for everything
    // else apart: a host may draw a blank faster or slower than a word, and what follows a
    // chunk is always its blank. Each is timed from the moment the post was due (where a
    // compensated sleep ended, when it ended on time) rather than from the post itself, so that
    // the sleep's overshoot and the work between the sleep and the post are made up for too.
    enum eRenderKind { eRenderShown, eRenderBlank, eRenderKinds };
    CRenderLatency renderLatency[eRenderKinds];
    // The time lost to slow renders, made up bit by bit in later sleeps.
    CPacingDebt pacingDebt;
    // How much earlier the last compensated sleep ended than the time asked for, until the next
    // post takes it.
    std::optional<std::chrono::microseconds> pendingEarly;
    // Whether the last post was a WORD with text: the next post is then its blank.
    bool lastPostShowsWord = false;
    // Where the last compensated sleep was to end, until the next waited post takes it; the
    // epoch when none is pending.
    std::chrono::steady_clock::time_point nextPostDue;
    // With scheduled deadlines: when the next waited post is to be shown, until it takes it;
    // the epoch (at once) when no sleep came before it.
    std::chrono::steady_clock::time_point nextPresentAt;
    // How long after its sleep's end that post is to be shown.
    std::chrono::microseconds presentLead{0};
    // How long before the last event posted was to go on screen the host had it ready: more
    // than zero only for an event the host queued.
    std::chrono::microseconds anchorAhead{0};

    wxDECLARE_EVENT_TABLE();
};

#endif
