// The figures the status bar shows.

#include "frame/ReaderStatus.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Time left and reading times read as h:mm:ss, rounded to the second.
TEST(ReaderFiguresTest, DurationsReadAsHoursMinutesSeconds) {
    const std::pair<unsigned long long, const char*> durations[] = {{0, "0:00:00"},
                                                                    {59499, "0:00:59"},
                                                                    {59500, "0:01:00"},
                                                                    {3600000, "1:00:00"},
                                                                    {36061000, "10:01:01"}};
    for (const auto& [milliseconds, shown] : durations) {
        EXPECT_EQ(shown, formatDuration(milliseconds)) << milliseconds;
    }
}

} // namespace
