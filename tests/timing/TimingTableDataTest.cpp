#include "timing/TimingTableData.h"
#include "timing/FlitWordCalcs.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

namespace {

std::vector<int> fields(const CTimingTableData& row) {
    std::vector<int> out;
    for (int CTimingTableData::*field : CTimingTableData::kFields) {
        out.push_back(row.*field);
    }
    return out;
}

} // namespace

TEST(TimingTableData, InterpolatedRowsMatchTheReferenceValues) {
    const CTimingTableData* t = CFlitWordCalcs::kTimingTable;
    const std::tuple<int, int, std::vector<int>> cases[] = {
        {60, 0, {60, 122, 95, 100, 109, 104, 86, 90, 104, 100, 100}},
        {175, 1, {175, 105, 100, 94, 110, 48, 57, 81, 115, 100, 100}},
        {300, 2, {300, 109, 112, 88, 100, 35, 43, 82, 119, 100, 100}},
        {700, 4, {700, 121, 119, 110, 100, 36, 51, 79, 128, 100, 100}},
        {250, 2, fields(t[2])}, // at either end: that row
        {400, 2, fields(t[3])},
    };
    for (const auto& [speed, lower, expected] : cases) {
        CTimingTableData row(9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9); // old contents must not leak in
        row.interpolateMemberVars(speed, &t[lower], &t[lower + 1]);
        EXPECT_EQ(expected, fields(row)) << speed;
    }
}

// Rows anywhere in the range of int interpolate exactly, though their differences do not fit an
// int; far beyond the two rows a percentage is held at the end of the range.
TEST(TimingTableData, InterpolationBetweenExtremeRowsStaysExact) {
    const int top = 2147483647;
    // The low row's speed and percentage, the high row's, the speed, the percentage there.
    const std::array<int, 6> cases[] = {
        {-1000, -top - 1, 1000, top, 0, -1}, {-1000, top, 1000, -top - 1, 0, 0},
        {-top - 1, 0, top, -100, 0, -50},    {0, 0, 1, top, 3, top},
        {0, 0, 1, -top - 1, 3, -top - 1},
    };
    for (const auto& [lowSpeed, lowPct, highSpeed, highPct, speed, expected] : cases) {
        const CTimingTableData low(lowSpeed, lowPct, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        const CTimingTableData high(highSpeed, highPct, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        CTimingTableData row;
        row.interpolateMemberVars(speed, &low, &high);
        EXPECT_EQ(expected, row.wdBaseValueAdjPercentage) << lowPct << " " << speed;
    }
}
