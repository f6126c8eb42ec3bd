// The reader's speed steps and the speeds Set Speed takes.

#include "reading/ReadingSteps.h"

#include <gtest/gtest.h>
#include <wx/string.h>

#include <utility>

namespace {

// Up and Down from each speed: by 10 below 200, by 25 from 200, ending on 200 and on the bounds
// rather than passing them.
TEST(ReadingStepsTest, SpeedStepsLandOnTheBounds) {
    const unsigned int steps[][3] = {{100, 110, 100}, {190, 200, 180}, {195, 200, 185},
                                     {200, 225, 190}, {925, 950, 900}, {940, 950, 915},
                                     {950, 950, 925}}; // from, up, down
    for (const auto& step : steps) {
        SCOPED_TRACE(step[0]);
        EXPECT_EQ(step[1], CReadingSteps::speedAfterStep(step[0], 1));
        EXPECT_EQ(step[2], CReadingSteps::speedAfterStep(step[0], -1));
    }
}

// The speed a text typed gives, or what is wrong with it (a pattern).
TEST(ReadingStepsTest, SetSpeedTakesAWholeNumberInRange) {
    const std::pair<const char*, const char*> cases[] = {
        {"100", "100"},
        {" 950 wpm ", "950"},
        {"99", "99 words per minute is out of range: type a speed from 100 to 950 words per min*"},
        {"-300", "-300 words per minute is out of range*"},
        {"99999999999999999999", "99999999999999999999 words per minute is out of range*"},
        {"", "Type a speed from 100 to 950 words per minute."},
        {"fast", "\"fast\" is not a number: type a speed*"},
        {"250.5", "250.5 is not a whole*"},
    };
    for (const auto& [typed, expected] : cases) {
        SCOPED_TRACE(typed);
        unsigned int speed = 0;
        wxString problem;
        const bool taken = CReadingSteps::parseSpeed(typed, &speed, &problem);
        EXPECT_TRUE(taken ? wxString::Format("%u", speed) == expected : problem.Matches(expected))
            << problem;
    }
}

} // namespace
