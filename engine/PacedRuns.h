#ifndef FLIT_ENGINE_PACEDRUNS_H
#define FLIT_ENGINE_PACEDRUNS_H

#include <flitengine/engine/WordPacer.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

// Where the host's pacer (CWordPacer) and the presentation thread meet: the pacer the host
// chose, the run it is on, and what it has reported of that run. The manager owns one; the
// presentation thread begins runs and waits on it for words; the pacer's callback thread
// reports into it; the GUI thread changes the pacer and cancels runs.
//
// Two locks, never held together by this class. callMutex is held around every call into the
// pacer (beginRun, cancelRun) and around the change of pacer, so that a pacer the host has
// replaced is never called again once setPacer returns. reportMutex guards the run's reports
// and is held only for a few assignments: the pacer's cancelRun may wait for its own callback
// thread, which may be about to take reportMutex in wordDue, so nothing calls into the pacer
// while holding it.
class CPacedRuns {
public:
    // How a wait for a word ended.
    enum eWait {
        // The pacer reported the word, or a later one.
        eWaitDue,
        // The pacer ended the run before reporting the word.
        eWaitEnded,
        // The run is no longer current: the pacer changed, or a command cancelled it.
        eWaitDropped,
        // The waiter's stop condition holds (a pause, a restart, shutdown).
        eWaitStopped,
        // Nothing came in time.
        eWaitTimedOut,
    };

    CPacedRuns() = default;
    CPacedRuns(const CPacedRuns&) = delete;
    CPacedRuns& operator=(const CPacedRuns&) = delete;

    // Any thread but the pacer's callback thread: replaces the pacer (null: none), dropping the
    // current run and cancelling it with the pacer that had it.
    void setPacer(CWordPacer* pacer);
    CWordPacer* getPacer() const { return pacer; }

    // Presentation thread: numbers a new run, makes it current and hands it to the pacer. The
    // run's number when the pacer took it; 0 when there is no pacer or it declined.
    long begin(const std::vector<CWordPacer::SWord>& words, unsigned int wpm);
    // Any thread but the pacer's callback thread: drops the current run, wakes the waiter and
    // tells the pacer to stop.
    void cancel();
    // Wakes the waiter so that it tests its stop condition again; for the commands that change
    // what that condition reads.
    void wake();

    // The pacer's reports, from any thread; those that name a run no longer current are
    // ignored.
    void wordDue(long run, std::size_t index);
    void runEnded(long run);

    // Presentation thread: waits until word index of run is due, the run ends or is dropped,
    // stop() holds, or deadline passes. stop is tested under reportMutex: whatever it reads must
    // be set before the wake or cancel that follows the change.
    eWait waitForWord(long run, std::size_t index, std::chrono::steady_clock::time_point deadline,
                      const std::function<bool()>& stop);
    // Presentation thread: waits until word index of run is due, stop() holds or deadline
    // passes; true for the word due.
    bool waitWhileShown(long run, std::size_t index, std::chrono::steady_clock::time_point deadline,
                        const std::function<bool()>& stop);

private:
    // Under reportMutex: whether word index of run has been reported.
    bool isDue(long run, std::size_t index) const;

    // See the class comment.
    std::mutex callMutex;
    // Written under callMutex; read anywhere.
    std::atomic<CWordPacer*> pacer{nullptr};

    // The presentation thread waits on reportCondition for its word; wordDue, runEnded, cancel,
    // wake and setPacer signal it after changing what it tests.
    std::mutex reportMutex;
    std::condition_variable reportCondition;
    // Guarded by reportMutex: the current run (0: none), the last number given, how many of the
    // run's words are due, and whether the pacer ended it.
    long currentRun = 0;
    long lastRun = 0;
    std::size_t wordsDue = 0;
    bool ended = false;
};

#endif
