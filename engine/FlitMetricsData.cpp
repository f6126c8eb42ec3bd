#include <flitengine/engine/FlitMetricsData.h>

#include <chrono>

namespace {

const unsigned int kMillisecondsPerMinute = 60000;

} // namespace

long long CFlitMetricsData::steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The stopwatch runs from construction, as it does before the first start.
CFlitMetricsData::CFlitMetricsData(Clock readClock)
    : clock(std::move(readClock)), stopWatchFrom(clock()) {
    zeroInit();
}

CFlitMetricsData::CFlitMetricsData(const CFlitMetricsData& other) {
    *this = other;
}

CFlitMetricsData& CFlitMetricsData::operator=(const CFlitMetricsData& other) {
    numWordsDisplayed = other.numWordsDisplayed.load();
    durationInMillisecs = other.durationInMillisecs.load();
    stopwatchState = other.stopwatchState.load();
    clock = other.clock;
    stopWatchFrom = other.stopWatchFrom;
    pausedAt = other.pausedAt;
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
    stopWatchFrom = clock(); // also clears any pause
    stopWatchPaused = false;
    return true;
}

bool CFlitMetricsData::pause() {
    if (!stopWatchPaused) {
        pausedAt = clock();
        stopWatchPaused = true;
    }
    stopwatchState = eStopwatchPaused;
    return true;
}

bool CFlitMetricsData::resume() {
    // Keyed on our own pause rather than on the state alone, so that a continue after a stop
    // taken while paused still releases the stopwatch.
    if (stopWatchPaused) {
        stopWatchFrom += clock() - pausedAt;
        stopWatchPaused = false;
    }
    return true;
}

bool CFlitMetricsData::stop() {
    const long long until = stopWatchPaused ? pausedAt : clock();
    durationInMillisecs = static_cast<unsigned int>(until - stopWatchFrom);
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
