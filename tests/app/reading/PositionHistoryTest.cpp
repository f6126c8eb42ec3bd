// The places jumps left: Back and Forward through them as a web browser goes.

#include "reading/PositionHistory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PositionHistoryTest, GoesBackAndForwardAsABrowser) {
    // A step: 'j' a jump from word at to word to; 'b' or 'f' back or forward from word at, to
    // the word to (-1: nowhere to go). Three places are kept at most.
    struct SStep {
        char kind;
        size_t at;
        long long to;
    };
    const struct {
        const char* name;
        std::vector<SStep> steps;
    } cases[] = {
        {"back and forward",
         {{'j', 10, 0},
          {'j', 0, 50},
          {'b', 50, 0},
          {'b', 0, 10},
          {'b', 10, -1},
          {'f', 10, 0},
          {'f', 0, 50},
          {'f', 50, -1}}},
        {"a jump forgets the way forward",
         {{'j', 10, 0}, {'b', 0, 10}, {'j', 10, 70}, {'f', 70, -1}, {'b', 70, 10}, {'b', 10, -1}}},
        {"a jump to where it is is none", {{'j', 5, 5}, {'b', 5, -1}, {'f', 5, -1}}},
        {"a place left twice is kept once", {{'j', 5, 0}, {'j', 5, 9}, {'b', 9, 5}, {'b', 5, -1}}},
        {"a place come back to is passed",
         {{'j', 5, 0}, {'j', 0, 9}, {'b', 0, 5}, {'f', 5, 0}, {'f', 9, -1}}},
        {"the oldest places go",
         {{'j', 1, 2},
          {'j', 2, 3},
          {'j', 3, 4},
          {'j', 4, 5},
          {'b', 5, 4},
          {'b', 4, 3},
          {'b', 3, 2},
          {'b', 2, -1},
          {'f', 2, 3}}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        CPositionHistory history(3);
        for (const SStep& step : entry.steps) {
            SCOPED_TRACE(testing::Message() << step.kind << " from " << step.at);
            size_t to = 0;
            if (step.kind == 'j') {
                history.jumped(step.at, static_cast<size_t>(step.to));
                EXPECT_EQ(step.at != static_cast<size_t>(step.to), history.canGoBack());
                continue;
            }
            const bool went =
                step.kind == 'b' ? history.back(step.at, &to) : history.forward(step.at, &to);
            EXPECT_EQ(step.to >= 0, went);
            EXPECT_EQ(went ? static_cast<size_t>(step.to) : 0u, to);
        }
    }
}

} // namespace
