#include "engine/FlitMetricsData.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long long elapsedMs(Clock::time_point since) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - since).count();
}

// The stopwatch and the steady clock tick separately; allow for rounding between them.
const long long kClockSlackMs = 5;

TEST(FlitMetricsDataTest, FreshAndRestartedReadingsReportNothing) {
    CFlitMetricsData metrics;
    EXPECT_EQ(0u, metrics.getNumWordsDisplayed());
    EXPECT_EQ(0u, metrics.getDurationInMillisecs());
    EXPECT_EQ(0u, metrics.calcWpmSpeed());

    metrics.start();
    metrics.incrementWordCount();
    std::this_thread::sleep_for(milliseconds(20));
    metrics.stop();
    EXPECT_GT(metrics.getDurationInMillisecs(), 0u);
    metrics.start();
    EXPECT_EQ(0u, metrics.getNumWordsDisplayed());
    EXPECT_EQ(0u, metrics.getDurationInMillisecs());
    EXPECT_EQ(0u, metrics.calcWpmSpeed());
    EXPECT_EQ(CFlitMetricsData::eStopwatchRunning, metrics.getStopwatchState());
}

TEST(FlitMetricsDataTest, SpeedIsRoundedDownAndFormedInThirtyTwoBits) {
    CFlitMetricsData metrics;
    metrics.start();
    const uint32_t words = 71583; // one past the last count whose product fits
    for (uint32_t i = 0; i < words; ++i) {
        metrics.incrementWordCount();
    }
    std::this_thread::sleep_for(milliseconds(30));
    metrics.stop();
    const uint32_t duration = metrics.getDurationInMillisecs();
    ASSERT_GT(duration, 0u);
    EXPECT_EQ(static_cast<uint32_t>(words * 60000u) / duration, metrics.calcWpmSpeed());
    EXPECT_NE(static_cast<uint32_t>(uint64_t{words} * 60000u / duration), metrics.calcWpmSpeed());
}

TEST(FlitMetricsDataTest, PausedTimeIsLeftOut) {
    CFlitMetricsData metrics;
    const Clock::time_point begin = Clock::now();
    metrics.start();
    metrics.pause();
    const Clock::time_point pausedAt = Clock::now();
    std::this_thread::sleep_for(milliseconds(200));
    const long long pausedFor = elapsedMs(pausedAt);
    metrics.resume();
    std::this_thread::sleep_for(milliseconds(20));
    metrics.stop();
    EXPECT_LE(metrics.getDurationInMillisecs(), elapsedMs(begin) - pausedFor + kClockSlackMs);
    EXPECT_GE(metrics.getDurationInMillisecs() + kClockSlackMs, 20);
}

TEST(FlitMetricsDataTest, StopWhilePausedStoresTheReadingAtThePause) {
    CFlitMetricsData metrics;
    const Clock::time_point begin = Clock::now();
    metrics.start();
    std::this_thread::sleep_for(milliseconds(30));
    metrics.pause();
    const long long atPause = elapsedMs(begin);
    std::this_thread::sleep_for(milliseconds(200));
    metrics.stop();
    EXPECT_LE(metrics.getDurationInMillisecs(), atPause + kClockSlackMs);
    EXPECT_EQ(CFlitMetricsData::eStopwatchStopped, metrics.getStopwatchState());
}

// Commands can reach the metrics in any order; the stopwatch must never stay frozen.
TEST(FlitMetricsDataTest, PausesAndResumesStayBalanced) {
    const auto runsAfterResume = [](CFlitMetricsData& metrics) {
        std::this_thread::sleep_for(milliseconds(40));
        metrics.stop();
        return metrics.getDurationInMillisecs() + kClockSlackMs >= 40;
    };

    CFlitMetricsData twicePaused;
    twicePaused.start();
    twicePaused.pause();
    twicePaused.pause();
    twicePaused.resume();
    EXPECT_TRUE(runsAfterResume(twicePaused));

    CFlitMetricsData resumedTwice;
    resumedTwice.start();
    resumedTwice.pause();
    resumedTwice.resume();
    resumedTwice.resume();
    EXPECT_TRUE(runsAfterResume(resumedTwice));
    EXPECT_EQ(CFlitMetricsData::eStopwatchStopped, resumedTwice.getStopwatchState());

    CFlitMetricsData stoppedWhilePaused;
    stoppedWhilePaused.start();
    stoppedWhilePaused.pause();
    stoppedWhilePaused.stop();
    stoppedWhilePaused.resume();
    EXPECT_TRUE(runsAfterResume(stoppedWhilePaused));

    // A resume without a pause changes nothing.
    CFlitMetricsData running;
    running.start();
    running.resume();
    EXPECT_EQ(CFlitMetricsData::eStopwatchRunning, running.getStopwatchState());
    EXPECT_TRUE(runsAfterResume(running));
}

} // namespace
