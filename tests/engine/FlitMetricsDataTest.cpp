#include "engine/FlitMetricsData.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <string>

namespace {

// Metrics on a clock the test moves by hand.
class FlitMetricsDataTest : public testing::Test {
protected:
    long long now = 1000;
    CFlitMetricsData metrics{[this] { return now; }};
};

// Each row: the commands, as letters (s start, p pause, r resume, x stop, and a digit that moves
// the clock on by that many tens of milliseconds), then the duration and the state they leave.
TEST_F(FlitMetricsDataTest, TheDurationLeavesOutPausedTimeWhateverTheOrderOfCommands) {
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
    const std::map<char, bool (CFlitMetricsData::*)()> commands = {{'s', &CFlitMetricsData::start},
                                                                   {'p', &CFlitMetricsData::pause},
                                                                   {'r', &CFlitMetricsData::resume},
                                                                   {'x', &CFlitMetricsData::stop}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commands);
        CFlitMetricsData fresh([this] { return now; });
        for (const char* command = c.commands; *command != '\0'; ++command) {
            if (std::isdigit(static_cast<unsigned char>(*command))) {
                now += 10 * (*command - '0');
                continue;
            }
            if (*command == 's') {
                fresh.incrementWordCount();
            }
            (fresh.*commands.at(*command))();
        }
        EXPECT_EQ(c.duration, fresh.getDurationInMillisecs());
        EXPECT_EQ(c.state, fresh.getStopwatchState());
        EXPECT_EQ(0u, fresh.getNumWordsDisplayed()) << "a start clears the count";
    }
}

TEST_F(FlitMetricsDataTest, SpeedIsRoundedDownAndFormedInThirtyTwoBits) {
    EXPECT_EQ(0u, metrics.calcWpmSpeed()) << "no duration yet";
    metrics.start();
    for (int i = 0; i < 7; ++i) {
        metrics.incrementWordCount();
    }
    now += 1600;
    metrics.stop();
    EXPECT_EQ(7u, metrics.getNumWordsDisplayed());
    EXPECT_EQ(262u, metrics.calcWpmSpeed()) << "262.5 rounded down";

    metrics.start();
    const uint32_t words = 71583; // one past the last count whose product fits
    for (uint32_t i = 0; i < words; ++i) {
        metrics.incrementWordCount();
    }
    now += 30;
    metrics.stop();
    EXPECT_EQ(423u, metrics.calcWpmSpeed()) << "the product wraps round to 12704";
}

} // namespace
