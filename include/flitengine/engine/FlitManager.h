#ifndef FLIT_ENGINE_FLITMANAGER_H
#define FLIT_ENGINE_FLITMANAGER_H

#include <flitengine/FlitExport.h>
#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitMetricsData.h>
#include <flitengine/engine/WordPacer.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <wx/event.h>
#include <wx/thread.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>

class CDataManager;
class CPacedRuns;
class CFlitViewThread;
class CHyphenation;
class wxWindow;

// The object through which a host drives the engine. The host creates it, hands it the document
// and three of its windows with initialize, then sends it command events (start, pause,
// continue, stop, move the reading position) and calls its speed operations. The manager holds
// what the host and the presentation thread share: the reading state, the speeds, the word
// display length and the cursor (the node of the item to present next). It owns the
// presentation thread and provides the handshake by which that thread waits until the GUI
// thread has shown what was posted to it.
//
// Calling order expected of the host: construct; initialize once; any number of setter, speed
// and command calls; signalGuiThreadRendered after showing each event whose waitsForRender() is
// true; destroy. Destruction never hangs, even while reading runs or the thread waits for a
// render signal that will not come; the host windows must outlive the manager.
class FLIT_EXPORT CFlitManager : public wxEvtHandler {
public:
    enum eStateType {
        eRunning = 0,
        ePaused = 1,
        eStopped = 2,
        eListPtrModified = 3,
    };

    static const unsigned int kDefaultWpmSpeed;
    static const unsigned int kTimerID;
    static const unsigned int kTimerDelayInMilliseconds;
    static const unsigned int kMinWpmSpeed;
    static const unsigned int kMaxWpmSpeed;
    static const unsigned int kDefaultSpeedIncrement;
    static const unsigned int kRampStartSpeed;
    static const unsigned int kRampIncrement;

    CFlitManager();
    ~CFlitManager() override;
    CFlitManager(const CFlitManager&) = delete;
    CFlitManager& operator=(const CFlitManager&) = delete;

    // Stores the document and the windows (any window may be null: nothing is posted to it),
    // creates and runs the presentation thread and returns once its loop has begun. Returns
    // false, after logging "Failed to create FlitViewThread.", when the thread cannot be created
    // or run, and after logging why, for a null document or a second call. Commands sent before
    // a successful initialize are ignored.
    bool initialize(CDataManager* dataManager, wxWindow* mainFrame, wxWindow* flitView,
                    wxWindow* assessmentView);

    CDataManager* getDataManager() { return dataManager; }
    CFlitWordCalcs* getFlitWordCalcs() { return &wordCalcs; }
    CFlitWordCalcs* getWordCalculator() { return &wordCalcs; }
    CFlitMetricsData* getFlitMetricsData() { return &metricsData; }
    unsigned int getWordDisplayLength() { return wordDisplayLength; }
    eStateType getState() { return state; }
    wxCDataInfoListNode* getDataInfoListNode() { return dataInfoListNode; }
    int getCurrentSpeed() { return static_cast<int>(currentSpeed.load()); }
    int getTargetSpeed() { return static_cast<int>(targetSpeed.load()); }
    wxWindow* getMainFrameWindow() { return mainFrameWindow; }
    wxWindow* getFlitViewWindow() { return flitViewWindow; }
    wxWindow* getAssessmentViewWindow() { return assessmentViewWindow; }

    // Plain setters, without bounds.
    void setDataInfoListNode(wxCDataInfoListNode* node) { dataInfoListNode = node; }
    // Under the command mutex, so that it never lands half-way through a command or through the
    // presentation thread's test of the state.
    void setState(eStateType newState);
    void setCurrentSpeed(unsigned int speed) { currentSpeed = speed; }
    void setWordDisplayLength(unsigned int length) { wordDisplayLength = length; }
    // How the timing rules measure a word (bytes by default), for the words presented next.
    void setLengthUnit(CFlitWordCalcs::eLengthUnit unit) { wordCalcs.setLengthUnit(unit); }
    // Long words cut at the syllable breaks of this dictionary (CHyphenation::forLanguage, which
    // keeps it for the life of the process); null, the default, cuts them at the display
    // length.
    void setHyphenation(const CHyphenation* dictionary) { hyphenation = dictionary; }
    const CHyphenation* getHyphenation() const { return hyphenation; }

    // Speed operations, kept within kMinWpmSpeed..kMaxWpmSpeed: setting and halving or doubling
    // clamp; an increase or decrease that would leave the range is refused.
    void setTargetSpeed(unsigned int speed);
    void increaseTargetSpeed(unsigned int amount);
    void decreaseTargetSpeed(unsigned int amount);
    void halfTargetSpeed();
    void doubleTargetSpeed();
    void increaseCurrentSpeed(unsigned int amount);
    void decreaseCurrentSpeed(unsigned int amount);

    // Cursor operations; they move the cursor in place.
    void getNextDataInfoNode(int count);
    void getPrevDataInfoNode(int count);
    // After each item: advance while running; in eListPtrModified return to eRunning without
    // advancing; otherwise do nothing.
    void getNextDataInfoNodeIfApplicable(int count);
    // The word at the cursor (counted in the metrics unless empty) and the next word, space or
    // newline node after it (null when there is none). False, outputs untouched, unless running
    // with a word at the cursor.
    bool getNextWord(wxString& word, wxCDataInfoListNode** nextNode);

    // The rendered handshake. The presentation thread prepares (locks, clears the rendered flag
    // and draws the next render ticket), posts the event marked with that ticket, then waits
    // until the GUI thread signals; a spurious wake-up does not release it. Once the manager is
    // being destroyed the wait returns at once.
    void prepareGuiThreadRenderedMutex();
    void waitUntilGuiThreadRendered();
    // The ticket of the post being prepared or awaited; read by the presentation thread between
    // prepare and wait, while it holds the rendered mutex.
    long getAwaitedRenderTicket() const { return awaitedRenderTicket; }
    // Called by the host once it has shown an event whose waitsForRender() is true, with that
    // event's getRenderTicket(): only the post now awaited is released, so a second signal for
    // the same event, or a signal for an event nothing waits for, changes nothing.
    void signalGuiThreadRendered(long ticket);
    // The same without a ticket, for a host that signals exactly once per marked event: releases
    // whatever post is awaited.
    void signalGuiThreadRendered();
    // When the GUI thread signalled the render that the last wait returned for (or when that
    // wait returned, if shutdown released it): the moment the event went on screen, from which
    // the presentation thread times what follows; for a queued event, the moment it is to go
    // on screen, which may be still to come. Read by the presentation thread only.
    std::chrono::steady_clock::time_point getLastRenderedAt() const { return lastRenderedAt; }

    // Scheduled presentation, for a host that can hold an event it has drawn and show it at a
    // given moment (a compositor's queue of frames, a display that flips on time). With the
    // thread's scheduled pacing, each waited post goes out before it is due and says when: the
    // host draws it, shows it no sooner than getPresentAt (at once when that has passed), then
    // signals with the moment it had it ready, so that the thread learns how early to post.
    //
    // Set by the presentation thread between prepare and wait: when the post is to be shown.
    void setAwaitedPresentAt(std::chrono::steady_clock::time_point at) { awaitedPresentAt = at; }
    // When the event with this ticket is to be shown: the epoch (at once) for an event that
    // carries no time or is not the one awaited.
    std::chrono::steady_clock::time_point getPresentAt(long ticket);
    void signalGuiThreadRendered(long ticket, std::chrono::steady_clock::time_point readyAt);
    // For a host that queues what it has drawn (a compositor's queue of frames): the event with
    // this ticket is ready now and will be shown at getPresentAt, or at once when that has
    // passed. The next post may then go out while this one waits for its time, so that a host
    // slower than a short blank still has the word after it ready when it is due. Events are
    // to be shown in the order they came.
    void signalGuiThreadQueued(long ticket);
    // When the host had the last awaited event ready to show; the render signal's own moment
    // from a host that does not say. Read by the presentation thread only.
    std::chrono::steady_clock::time_point getLastReadyAt() const { return lastReadyAt; }
    // Whether the last awaited event was queued rather than shown when the wait returned.
    // Read by the presentation thread only.
    bool wasLastRenderQueued() const { return lastQueued; }

    // True from the moment destruction begins: the presentation thread then posts nothing and
    // waits for no render.
    bool isShuttingDown() const { return shuttingDown; }

    // Serialises every change of the state and cursor, by the host's commands and by the
    // presentation thread, with the thread's tests of them: each check-then-set (the advance
    // after an item, the return from a move to reading) is one step no command can split. Held
    // only for a few assignments by either side; recursive, so that the thread's compound steps
    // can call the locked setters.
    wxMutex& getCommandMutex() { return commandMutex; }

    // Whether the cursor moves since reading last ran or stopped arrived while reading ran. A
    // move while paused or stopped must not resume reading, even when it lands while the thread
    // completes its last item, and a second move does not change that. Read under the command
    // mutex.
    bool wasReadingWhenMoved() const { return readingWhenMoved; }

    // A cursor move made by the presentation thread itself while it reads (an attachment skip):
    // reading goes on from node without advancing past it. A pause or stop the host sent during
    // the item stands; only the cursor moves then.
    void moveCursorWhileReading(wxCDataInfoListNode* node);

    // The presentation thread object (null before initialize), for hosts that send it events.
    CFlitViewThread* getFlitViewThread() { return flitViewThread; }

    // Several words per flash (phrases; see CPhrases). At most this many words a flash, kept
    // within CPhrases::kMinWords..kMaxWords; 1, the default, flashes every word alone.
    void setWordsPerFlash(unsigned int words);
    unsigned int getWordsPerFlash() const { return wordsPerFlash; }
    // The longest phrase in characters; 0, the default, means the word display length when it
    // limits words, else CPhrases::kDefaultCharacters.
    void setPhraseLength(unsigned int characters) { phraseLength = characters; }
    unsigned int getPhraseLength() const { return phraseLength; }
    // Chunks a person can read: how words longer than the word display length are cut, for the
    // words presented next. eCutAtLength, the default, cuts them at the display length (or at
    // the syllables of setHyphenation's dictionary); eCutForReading at their own marks,
    // syllables or into near-equal parts (CFlashedWords::chunksOf).
    void setChunkCut(eChunkCut cut) { chunkCut = cut; }
    eChunkCut getChunkCut() const { return chunkCut; }

    // Pacing by the host (see CWordPacer). The host owns the pacer; null, the default, leaves
    // every word to the timing rules. Settable at any time, from any thread but the pacer's
    // own callback thread: a change cancels the run in hand (with the pacer that had it) and
    // takes effect at the next word. Once this returns the old pacer is never called again, so
    // the host may destroy it then (or after destroying the manager), never before.
    void setWordPacer(CWordPacer* pacer);
    CWordPacer* getWordPacer() const;
    // From any thread: word index of run is being spoken now. Every word of the run up to index
    // is then due (a pacer may merge words; indices never go back). Ignored unless run is the
    // current run.
    void wordDue(long run, std::size_t index);
    // From any thread: the pacer has said all of run (complete) or cannot go on with it. Either
    // way every word of the run not yet reported is timed by the rules. Ignored unless run is
    // the current run.
    void runEnded(long run, bool complete);
    // The presentation thread's side of pacing: the pacer, the current run and its reports.
    CPacedRuns& getPacedRuns() { return *pacedRuns; }

protected:
    // Creates the presentation thread's system thread. Tests override it to make creation fail;
    // the engine itself never replaces it.
    virtual wxThreadError createThread(CFlitViewThread& thread);

    void onFlitCommandStart(CFlitCommandEvent& event);
    void onFlitCommandPause(CFlitCommandEvent& event);
    void onFlitCommandContinue(CFlitCommandEvent& event);
    void onFlitCommandStop(CFlitCommandEvent& event);
    void onFlitCommandModifyDataInfoListPtr(CFlitCommandEvent& event);

    // The presentation thread waits on renderedCondition after each waited-for post; the GUI
    // thread signals it from signalGuiThreadRendered, and the destructor broadcasts it. The
    // wait tests a flag, so a wake-up without a signal releases nothing.
    wxMutex renderedMutex;
    wxCondition renderedCondition;

private:
    // Releases a thread blocked in the rendered handshake and stops any later wait.
    void releaseRenderWait();
    // After a command, with no lock held: the run in hand is cancelled and a thread waiting
    // for one of its words wakes to see the command.
    void cancelPacedRun();
    // Under renderedMutex: the awaited post is on screen (or queued to be, at its time), and
    // was ready at readyAt (the clock's last moment, taken as now, when the host does not say).
    void markRendered(std::chrono::steady_clock::time_point readyAt, bool queued);
    void shutDownThread();

    CFlitMetricsData metricsData;
    CFlitWordCalcs wordCalcs;
    CFlitViewThread* flitViewThread;
    // Set by initialize before the thread exists; read-only afterwards.
    CDataManager* dataManager;
    // Shared with the presentation thread; each read sees a whole, recent value.
    std::atomic<eStateType> state;
    std::atomic<unsigned int> currentSpeed;
    std::atomic<unsigned int> targetSpeed;
    std::atomic<unsigned int> wordDisplayLength;
    std::atomic<const CHyphenation*> hyphenation{nullptr};
    std::atomic<wxCDataInfoListNode*> dataInfoListNode;
    wxWindow* mainFrameWindow;
    wxWindow* flitViewWindow;
    wxWindow* assessmentViewWindow;
    // Guarded by renderedMutex: set by signalGuiThreadRendered, cleared by the prepare step.
    bool rendered;
    // Guarded by renderedMutex: the ticket of the post awaited, and the last ticket drawn.
    long awaitedRenderTicket;
    long lastRenderTicket;
    std::chrono::steady_clock::time_point renderedAt;
    std::chrono::steady_clock::time_point readyAt;
    // Guarded by renderedMutex: when the awaited post is to be shown.
    std::chrono::steady_clock::time_point awaitedPresentAt;
    // Copied from renderedAt and readyAt by the presentation thread as its wait returns.
    std::chrono::steady_clock::time_point lastRenderedAt;
    std::chrono::steady_clock::time_point lastReadyAt;
    // Guarded by renderedMutex: the awaited post was queued; copied as the wait returns.
    bool queued = false;
    bool lastQueued = false;
    std::atomic<bool> shuttingDown;
    // The thread ran its loop (initialize succeeded), so destruction must wait for it to end.
    bool threadRunning;
    wxMutex commandMutex;
    std::atomic<bool> readingWhenMoved;
    // Read by the presentation thread at each word.
    std::atomic<unsigned int> wordsPerFlash{1};
    std::atomic<unsigned int> phraseLength{0};
    std::atomic<eChunkCut> chunkCut{eCutAtLength};
    // Created with the manager, destroyed after the thread has ended.
    std::unique_ptr<CPacedRuns> pacedRuns;

    wxDECLARE_EVENT_TABLE();
};

#endif
