#include <flitengine/engine/ReadingRules.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// From 100, a step of 75 a word, until the speed has passed the target; a step that would pass
// 950 is refused, so a ramp that cannot pass the target holds where it is and keeps running.
TEST(ReadingRules, TheRampClimbsByStepsAndEndsOrHolds) {
    const struct {
        unsigned int from;
        int target;
        std::vector<int> speeds;
        bool running;
    } cases[] = {
        {100, 250, {100, 175, 250, 250}, false},
        {100, 300, {100, 175, 250, 300, 300}, false},
        {100, 100, {100, 100}, false},
        {100, 950, {100, 175, 250, 325, 400, 475, 550, 625, 700, 775, 850, 925, 925}, true},
        {900, 950, {900, 900}, true},
        {500, 300, {500, 300}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.target));
        CStartupRamp ramp(c.from);
        std::vector<int> speeds;
        while (speeds.size() < c.speeds.size()) {
            speeds.push_back(ramp.nextWord(c.target));
        }
        EXPECT_EQ(c.speeds, speeds);
        EXPECT_EQ(c.running, ramp.isRunning());
        EXPECT_TRUE(ramp.isSteady(c.target));
        EXPECT_EQ(c.speeds.back(), ramp.steadySpeed(c.target));
    }
}
