#include "engine/FlitMetricsData.h"

namespace {

const unsigned int kMillisecondsPerMinute = 60000;

} // namespace

CFlitMetricsData::CFlitMetricsData() {
    zeroInit();
}

CFlitMetricsData::CFlitMetricsData(const CFlitMetricsData& other) {
    *this = other;
}

CFlitMetricsData& CFlitMetricsData::operator=(const CFlitMetricsData& other) {
    numWordsDisplayed = other.numWordsDisplayed.load();
    durationInMillisecs = other.durationInMillisecs.load();
    stopwatchState = other.stopwatchState.load();
    stopWatch = other.stopWatch;
    stopWatchPaused = other.stopWatchPaused;
    return *this;
}

CFlitMetricsData::~CFlitMetricsData() {
    zeroInit();
}

void CFlitMetricsData::zeroInit() {
    numWordsDisplayed = 0;
    durationInMillisecs = 0;
    stopwatchState = eStopwatchStopped;
}

bool CFlitMetricsData::start() {
    zeroInit();
    stopwatchState = eStopwatchRunning;
    stopWatch.Start(0); // also clears any pause
    stopWatchPaused = false;
    return true;
}

bool CFlitMetricsData::pause() {
    if (!stopWatchPaused) {
        stopWatch.Pause();
        stopWatchPaused = true;
    }
    stopwatchState = eStopwatchPaused;
    return true;
}

bool CFlitMetricsData::resume() {
    // Keyed on our own pause rather than on the state alone, so that a continue after a stop
    // taken while paused still releases the stopwatch.
    if (stopWatchPaused) {
        stopWatch.Resume();
        stopWatchPaused = false;
    }
    return true;
}

bool CFlitMetricsData::stop() {
    durationInMillisecs = static_cast<unsigned int>(stopWatch.Time());
    stopwatchState = eStopwatchStopped;
    return true;
}

unsigned int CFlitMetricsData::calcWpmSpeed() const {
    const unsigned int duration = durationInMillisecs;
    if (duration == 0) {
        return 0;
    }
    // The product is formed in 32 bits on purpose: above 71582 words it wraps, as documented.
    return (numWordsDisplayed * kMillisecondsPerMinute) / duration;
}
