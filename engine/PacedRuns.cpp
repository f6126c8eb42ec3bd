#include "engine/PacedRuns.h"

void CPacedRuns::setPacer(CWordPacer* newPacer) {
    std::lock_guard<std::mutex> call(callMutex);
    CWordPacer* const old = pacer.exchange(newPacer);
    if (old == newPacer) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(reportMutex);
        currentRun = 0;
    }
    reportCondition.notify_all();
    if (old != nullptr) {
        old->cancelRun();
    }
}

long CPacedRuns::begin(const std::vector<CWordPacer::SWord>& words, unsigned int wpm) {
    std::lock_guard<std::mutex> call(callMutex);
    CWordPacer* const current = pacer;
    if (current == nullptr || words.empty()) {
        return 0;
    }
    long run = 0;
    {
        // Current before the pacer hears of it: its first report may come before beginRun
        // returns.
        std::lock_guard<std::mutex> lock(reportMutex);
        run = ++lastRun;
        currentRun = run;
        wordsDue = 0;
        ended = false;
    }
    if (current->beginRun(run, words, wpm)) {
        return run;
    }
    std::lock_guard<std::mutex> lock(reportMutex);
    if (currentRun == run) {
        currentRun = 0;
    }
    return 0;
}

void CPacedRuns::cancel() {
    {
        std::lock_guard<std::mutex> lock(reportMutex);
        currentRun = 0;
    }
    reportCondition.notify_all();
    std::lock_guard<std::mutex> call(callMutex);
    if (CWordPacer* const current = pacer) {
        current->cancelRun();
    }
}

void CPacedRuns::wake() {
    {
        // Taken so that a waiter between its test and its wait cannot miss the wake.
        std::lock_guard<std::mutex> lock(reportMutex);
    }
    reportCondition.notify_all();
}

void CPacedRuns::wordDue(long run, std::size_t index) {
    {
        std::lock_guard<std::mutex> lock(reportMutex);
        if (run == 0 || run != currentRun || index + 1 <= wordsDue) {
            return;
        }
        // A report of a word makes every word before it due too: a pacer may merge words.
        wordsDue = index + 1;
    }
    reportCondition.notify_all();
}

void CPacedRuns::runEnded(long run) {
    {
        std::lock_guard<std::mutex> lock(reportMutex);
        if (run == 0 || run != currentRun) {
            return;
        }
        ended = true;
    }
    reportCondition.notify_all();
}

bool CPacedRuns::isDue(long run, std::size_t index) const {
    return run == currentRun && index < wordsDue;
}

CPacedRuns::eWait CPacedRuns::waitForWord(long run, std::size_t index,
                                          std::chrono::steady_clock::time_point deadline,
                                          const std::function<bool()>& stop) {
    std::unique_lock<std::mutex> lock(reportMutex);
    bool timedOut = false;
    for (;;) {
        if (stop()) {
            return eWaitStopped;
        }
        if (run != currentRun) {
            return eWaitDropped;
        }
        // A word reported before the run ended is shown as reported.
        if (isDue(run, index)) {
            return eWaitDue;
        }
        if (ended) {
            return eWaitEnded;
        }
        if (timedOut) {
            return eWaitTimedOut;
        }
        timedOut = reportCondition.wait_until(lock, deadline) == std::cv_status::timeout;
    }
}

bool CPacedRuns::waitWhileShown(long run, std::size_t index,
                                std::chrono::steady_clock::time_point deadline,
                                const std::function<bool()>& stop) {
    std::unique_lock<std::mutex> lock(reportMutex);
    reportCondition.wait_until(lock, deadline, [&] { return stop() || isDue(run, index); });
    return isDue(run, index);
}
