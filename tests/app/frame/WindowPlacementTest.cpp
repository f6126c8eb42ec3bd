// The window's saved place brought onto the displays there are now.

#include "frame/WindowPlacement.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowPlacementTest, FitsTheWindowToADisplay) {
    // A 1600x1000 laptop screen (its panel takes the top 30 pixels) left of a 1280x1024 one.
    const std::vector<wxRect> twoDisplays = {wxRect(0, 30, 1600, 970), wxRect(1600, 0, 1280, 1024)};
    const struct {
        const char* name;
        std::vector<wxRect> areas;
        std::size_t primary;
        wxRect saved, fitted;
    } cases[] = {
        {"inside a display", twoDisplays, 0, {100, 100, 820, 600}, {100, 100, 820, 600}},
        {"below the bottom", twoDisplays, 0, {100, 600, 820, 600}, {100, 400, 820, 600}},
        {"above the panel", twoDisplays, 0, {100, 0, 820, 600}, {100, 30, 820, 600}},
        {"taller than the display", twoDisplays, 0, {50, 0, 820, 1200}, {50, 30, 820, 970}},
        {"mostly on the second", twoDisplays, 0, {1500, 50, 820, 600}, {1600, 50, 820, 600}},
        {"off every display", twoDisplays, 1, {-3000, 5000, 820, 600}, {1600, 424, 820, 600}},
        {"no displays known", {}, 0, {-3000, 5000, 820, 600}, {-3000, 5000, 820, 600}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.fitted, fitToDisplays(row.saved, row.areas, row.primary));
    }
}

} // namespace
