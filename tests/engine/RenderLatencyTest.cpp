#include <flitengine/engine/RenderLatency.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using std::chrono::microseconds;

// The usual render (the lower middle) and the warning for a host that holds events (the longest,
// or the longest but one of eight or more, plus the spread over the count), in milliseconds.
TEST(RenderLatencyTest, TheUsualWaitAndTheWarningFollowTheLastWaits) {
    struct SCase {
        const char* name;
        std::vector<long> waits;
        double usual;
        double warning;
    } const cases[] = {
        {"nothing yet", {}, 0, 0},
        {"two waits", {3, 1}, 1, 3 + 2.0 / 2},
        {"a negative wait counts as none", {-5, 4}, 0, 4 + 4.0 / 2},
        {"one stray wait among eight is left out", {2, 3, 4, 5, 6, 7, 8, 100}, 5, 8 + 6.0 / 8},
        {"but not among seven", {2, 3, 4, 5, 6, 7, 100}, 5, 100 + 98.0 / 7},
        {"a wait older than the window is forgotten",
         {100, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4,
          4,   4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4},
         4,
         4},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        CRenderLatency latency;
        for (long wait : c.waits) {
            latency.add(microseconds(wait * 1000));
        }
        EXPECT_EQ(std::lround(c.usual * 1000), latency.estimate().count());
        EXPECT_EQ(std::lround(c.warning * 1000), latency.warning().count());
    }
}

} // namespace
