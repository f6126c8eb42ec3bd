#include <flitengine/engine/FlitMetricsData.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

namespace {

// Each row: the commands, as letters (s start, p pause, r resume, x stop, and a digit that moves
// the clock on by that many tens of milliseconds), then the duration and the state they leave.
TEST(FlitMetricsDataTest, DurationLeavesOutPausedTimeAndSpeedIsRoundedDownIn32Bits) {
    const struct {
        const char* commands;
        unsigned int duration;
        int state;
    } cases[] = {
        {"s2x", 20, CFlitMetricsData::eStopwatchStopped},
        {"s3p9r2x", 50, CFlitMetricsData::eStopwatchStopped},
        {"s3p9x", 30, CFlitMetricsData::eStopwatchStopped},
        // A second pause, or a second resume, never leaves the stopwatch frozen or counting
        // paused time.
        {"sp2p3r4x", 40, CFlitMetricsData::eStopwatchStopped},
        {"s1p2rr4x", 50, CFlitMetricsData::eStopwatchStopped},
        {"s1p2xr4x", 50, CFlitMetricsData::eStopwatchStopped},
        {"s1r4x", 50, CFlitMetricsData::eStopwatchStopped},
        {"s1r4", 0, CFlitMetricsData::eStopwatchRunning},
        {"s1p2r", 0, CFlitMetricsData::eStopwatchPaused},
        // A new start forgets the last reading.
        {"s5xs", 0, CFlitMetricsData::eStopwatchRunning},
        {"s5xs2x", 20, CFlitMetricsData::eStopwatchStopped},
    };
    bool (CFlitMetricsData::*const commands[])() = {
        &CFlitMetricsData::start, &CFlitMetricsData::pause, &CFlitMetricsData::resume,
        &CFlitMetricsData::stop};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands);
        long long now = 1000;
        CFlitMetricsData metrics([&now] { return now; });
        for (const char* command = c.commands; *command != '\0'; ++command) {
            if (std::isdigit(static_cast<unsigned char>(*command))) {
                now += 10 * (*command - '0');
                continue;
            }
            if (*command == 's') {
                metrics.incrementWordCount();
            }
            (metrics.*commands[std::string("sprx").find(*command)])();
        }
        EXPECT_EQ(c.duration, metrics.getDurationInMillisecs());
        EXPECT_EQ(c.state, metrics.getStopwatchState());
        EXPECT_EQ(0u, metrics.getNumWordsDisplayed()) << "a start clears the count";
    }

    // The speed is rounded down, and formed in 32 bits.
    long long now = 1000;
    CFlitMetricsData metrics([&now] { return now; });
    EXPECT_EQ(0u, metrics.calcWpmSpeed()) << "no duration yet";
    // 7 words in 1600 ms, then one past the last count whose product with the minute fits.
    for (const uint32_t words : {7u, 71583u}) {
        metrics.start();
        for (uint32_t i = 0; i < words; ++i) {
            metrics.incrementWordCount();
        }
        now += words == 7 ? 1600 : 30;
        metrics.stop();
        EXPECT_EQ(words, metrics.getNumWordsDisplayed());
        EXPECT_EQ(words == 7 ? 262u : 423u, metrics.calcWpmSpeed())
            << "262.5 rounded down; the product wraps round to 12704 in 30 ms";
    }
}

} // namespace
