// The places jumps left: Back and Forward through them as a web browser goes.

#include "reading/PositionHistory.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(PositionHistoryTest, GoesBackAndForwardAsABrowser) {
    // "j5>9": a jump from word 5 to word 9; "b9>5": back from word 9 to word 5 ("f": forward;
    // "-": nowhere to go). Three places are kept at most.
    const char* const cases[] = {
        "j10>0 j0>50 b50>0 b0>10 b10>- f10>0 f0>50 f50>-", // back and forward
        "j10>0 b0>10 j10>70 f70>- b70>10 b10>-",           // a jump forgets the way forward
        "j5>5 b5>- f5>-",                                  // a jump to where it is is none
        "j5>0 j5>9 b9>5 b5>-",                             // a place left twice is kept once
        "j5>0 j0>9 b0>5 f5>0 f9>-",                        // a place come back to is passed
        "j1>2 j2>3 j3>4 j4>5 b5>4 b4>3 b3>2 b2>- f2>3",    // the oldest places go
    };
    for (const char* steps : cases) {
        SCOPED_TRACE(steps);
        CPositionHistory history(3);
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            const size_t at = std::stoul(step.substr(1));
            const std::string to = step.substr(step.find('>') + 1);
            size_t went = 0;
            if (step[0] == 'j') {
                history.jumped(at, std::stoul(to));
            } else if (step[0] == 'b' ? history.back(at, &went) : history.forward(at, &went)) {
                EXPECT_EQ(to, std::to_string(went)) << step;
            } else {
                EXPECT_EQ(to, "-") << step;
            }
        }
    }
}

} // namespace
