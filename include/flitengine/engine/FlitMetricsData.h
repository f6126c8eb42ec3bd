#ifndef FLIT_ENGINE_FLITMETRICSDATA_H
#define FLIT_ENGINE_FLITMETRICSDATA_H

#include <flitengine/FlitExport.h>

#include <atomic>
#include <functional>

// The measurements of one reading: words shown, how long the reading lasted (paused time left
// out) and the speed achieved. The manager drives it from the host's commands on the GUI thread;
// the presentation thread counts words; the debug dialog reads it on the GUI thread.
//
// Pauses and resumes stay balanced whatever order the commands come in: the stopwatch is paused
// at most once at a time and resumed only if this object paused it, so a second pause, a
// continue after a pause the presentation thread made by itself, or a continue after a stop
// taken while paused never leaves the stopwatch frozen or counting paused time.
class FLIT_EXPORT CFlitMetricsData {
public:
    enum eStopwatchState {
        eStopwatchStopped = 0,
        eStopwatchPaused = 1,
        eStopwatchRunning = 2,
    };

    // Milliseconds on a clock that never goes back. The metrics read the steady clock unless a
    // test gives them one it drives itself.
    typedef std::function<long long()> Clock;
    static long long steadyMilliseconds();

    explicit CFlitMetricsData(Clock clock = steadyMilliseconds);
    CFlitMetricsData(const CFlitMetricsData& other);
    CFlitMetricsData& operator=(const CFlitMetricsData& other);
    ~CFlitMetricsData();

    // Zero words, zero duration, stopped. The stopwatch itself is not touched.
    void zeroInit();

    // A new reading: counters cleared, stopwatch restarted from zero.
    bool start();
    bool pause();
    // Resumes the stopwatch if this object paused it; the state is left as it is.
    bool resume();
    // Stores the stopwatch reading (the reading at the pause when paused) as the duration.
    bool stop();

    void incrementWordCount() { ++numWordsDisplayed; }

    unsigned int getNumWordsDisplayed() const { return numWordsDisplayed; }
    unsigned int getDurationInMillisecs() const { return durationInMillisecs; }
    int getStopwatchState() const { return stopwatchState; }

    // Words per minute of the last completed reading: words x 60000 / duration, in 32-bit
    // unsigned arithmetic, rounded down; 0 while no duration is stored.
    unsigned int calcWpmSpeed() const;

private:
    std::atomic<unsigned int> numWordsDisplayed;
    std::atomic<unsigned int> durationInMillisecs;
    std::atomic<int> stopwatchState;
    // The stopwatch: the clock reading it counts from, moved on by the time spent paused, and
    // the reading at which it was paused.
    Clock clock;
    long long stopWatchFrom;
    long long pausedAt = 0;
    // The stopwatch is paused by this object and owes one resume.
    bool stopWatchPaused = false;
};

#endif
