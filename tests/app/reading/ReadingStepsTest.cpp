// The reader's speed steps and the speeds Set Speed takes.

#include "reading/ReadingSteps.h"

#include <gtest/gtest.h>

namespace {

// Up and Down from each speed: by 10 below 200, by 25 from 200, ending on 200 and on the bounds
// rather than passing them.
TEST(ReadingStepsTest, SpeedStepsLandOnTheBounds) {
    const struct {
        unsigned int from, up, down;
    } steps[] = {
        {100, 110, 100}, {190, 200, 180}, {195, 200, 185}, {200, 225, 190},
        {925, 950, 900}, {940, 950, 915}, {950, 950, 925},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.from);
        EXPECT_EQ(step.up, CReadingSteps::speedAfterStep(step.from, 1));
        EXPECT_EQ(step.down, CReadingSteps::speedAfterStep(step.from, -1));
    }
}

TEST(ReadingStepsTest, SetSpeedTakesAWholeNumberInRange) {
    const struct {
        const char* typed;
        unsigned int speed; // 0: refused with the problem
        const char* problem;
    } cases[] = {
        {"100", 100, ""},
        {" 950 ", 950, ""},
        {"437 WPM", 437, ""},
        {"99", 0,
         "99 words per minute is out of range: type a speed from 100 to 950 words per "
         "minute."},
        {"951", 0, "951 words per minute is out of range*"},
        {"-300", 0, "-300 words per minute is out of range*"},
        {"99999999999999999999999", 0, "99999999999999999999999 words per minute is out*"},
        {"", 0, "Type a speed from 100 to 950 words per minute."},
        {"wpm", 0, "Type a speed*"},
        {"fast", 0, "\"fast\" is not a number: type a speed from 100 to 950 words per minute."},
        {"3 00", 0, "\"3 00\" is not a number*"},
        {"250.5", 0, "250.5 is not a whole number*"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.typed);
        unsigned int speed = 0;
        wxString problem;
        EXPECT_EQ(entry.speed != 0, CReadingSteps::parseSpeed(entry.typed, &speed, &problem));
        EXPECT_EQ(entry.speed, speed);
        EXPECT_TRUE(problem.Matches(entry.problem)) << problem;
    }
}

} // namespace
