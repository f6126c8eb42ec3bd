#include "timing/FlitWordCalcs.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

// Opens the protected lookup and classification for the tests.
class CCalcsProbe : public CFlitWordCalcs {
public:
    using CFlitWordCalcs::getTimingData;
    using CFlitWordCalcs::isAllCaps;
    using CFlitWordCalcs::isAllNums;
};

class FlitWordCalcsTest : public testing::Test {
protected:
    void TearDown() override { CFlitWordCalcs::restoreDefaultTimingTable(); }

    CCalcsProbe calcs;
};

} // namespace

// Words timed in order with one calculator, as the engine times them, some after zeroInit. A
// capitalised word after no mark counts as caps. The abbreviations are exempt from the period
// before a space or the end (so the capitalised name after them still counts as caps), not before a
// newline, whose delay replaces the period's. Not exempt: a stop followed by a letter, long
// capitals, a comma inside, a comma kind first. The longer-word term starts at 7 bytes.
TEST_F(FlitWordCalcsTest, WorkedValues) {
    // The speed (negative: that speed after zeroInit), the word, the separator after it, the
    // word's display time and the delay after it.
    const std::tuple<int, const char*, char, int, int> cases[] = {
        {250, "Smith,", ' ', 226, 292},    {250, "the", ' ', 135, 9},
        {250, "reading", ' ', 155, 9},     {250, "NASA", ' ', 209, 9},
        {250, "end.", '\n', 139, 1017},    {250, "The", ' ', 135, 9},
        {250, "1999", ' ', 301, 9},        {250, "end.", ' ', 139, 576},
        {250, "Dr.", ' ', 135, 9},         {250, "(aside)", ' ', 155, 292},
        {250, "abcdef", ' ', 147, 9},      {-100, "the", ' ', 309, 43},
        {100, "however,", ' ', 379, 1198}, {-300, "the", ' ', 112, 8},
        {300, "end.", ' ', 115, 459},      {-250, "Mr.", ' ', 203, 9},
        {250, "Smith", ' ', 217, 9},       {250, "Mrs.", '\0', 209, 9},
        {250, "J.", ' ', 198, 9},          {250, "Mr.", '\n', 203, 1017},
        {-250, "U.S.", ' ', 209, 576},     {250, "ACME.", ' ', 217, 576},
        {250, "3.14", ' ', 301, 576},      {250, "a,b", ' ', 135, 292},
        {250, "(end.)", ' ', 147, 292},
    };
    for (auto [speed, word, separator, display, delay] : cases) {
        SCOPED_TRACE(std::string(word) + " at " + std::to_string(speed));
        if (speed < 0) {
            calcs.zeroInit();
            speed = -speed;
        }
        EXPECT_EQ(display, calcs.calcWordDisplayTime(word, speed));
        EXPECT_EQ(delay, calcs.calcInterWordDelayTime(word, separator, speed));
    }
    EXPECT_EQ(283, calcs.calcRestDelay(1, 250));
    EXPECT_EQ(566, calcs.calcRestDelay(2, 250));
    EXPECT_EQ(283, calcs.calcSustainDelay(1, 250));
    EXPECT_EQ(236, calcs.calcRestDelay(1, 300));
}

// Bytes above 0x7f are none of letter, digit or punctuation. (Whether a capitalised word counts
// as caps after a mark, and after zeroInit, shows in the worked values.)
TEST_F(FlitWordCalcsTest, Classification) {
    // The word, whether it is all capitals, whether all numbers.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"1999", false, true},      {"3.14", false, true},
        {"--", false, true},        {"", false, true},
        {"A1", true, false},        {"1a", false, false},
        {"\xC3\xA9", false, false}, {"\xC3\x89t\xC3\xA9", false, false},
    };
    for (const auto& [word, caps, nums] : cases) {
        EXPECT_EQ(caps, calcs.isAllCaps(word)) << word;
        EXPECT_EQ(nums, calcs.isAllNums(word)) << word;
    }
}

// Speeds outside the table take its end rows, and speeds of 0 or below time nothing. Edits of the
// table take effect at the next call. Long words and huge counts are computed without overflow:
// exactly while the result fits an int, held at INT_MAX beyond.
TEST_F(FlitWordCalcsTest, EdgesOfTheTableAndOfAnInt) {
    CTimingTableData row;
    calcs.getTimingData(&row, 10);
    EXPECT_EQ(25, row.speed);
    EXPECT_EQ(140, row.wdBaseValueAdjPercentage);
    calcs.getTimingData(&row, 5000);
    EXPECT_EQ(950, row.speed);
    EXPECT_EQ(0, calcs.calcWordDisplayTime("word", 0));
    EXPECT_EQ(0, calcs.calcInterWordDelayTime("word.", ' ', -5));
    EXPECT_EQ(0, calcs.calcRestDelay(3, 0));
    // A null word is the empty word: no mark, counted as all numbers.
    EXPECT_EQ(calcs.calcWordDisplayTime("", 250), calcs.calcWordDisplayTime(nullptr, 250));
    EXPECT_EQ(9, calcs.calcInterWordDelayTime(nullptr, ' ', 250));
    CFlitWordCalcs::kTimingTable[2].restDelayAdjPercentage = 200;
    EXPECT_EQ(2 * 283, calcs.calcRestDelay(1, 250));
    CFlitWordCalcs::restoreDefaultTimingTable();
    EXPECT_EQ(283, calcs.calcRestDelay(1, 250));
    // 4000 bytes: (925 L + 28125) / 250 = 14912 at 110 %, (L - 6) L 175 / 250 = 11183200 at 112 %.
    EXPECT_EQ(16403 + 12525184, calcs.calcWordDisplayTime(std::string(4000, 'a').c_str(), 250));
    const std::string huge(100000, 'a');
    EXPECT_EQ(2147483647, calcs.calcWordDisplayTime(huge.c_str(), 250));
    EXPECT_EQ(2147483647, calcs.calcWordDisplayTime(huge.c_str(), 1));
    EXPECT_EQ(9, calcs.calcInterWordDelayTime(huge.c_str(), ' ', 250));
    EXPECT_EQ(2147483647, calcs.calcRestDelay(2147483647, 1));
    EXPECT_EQ(-2147483647 - 1, calcs.calcSustainDelay(-2147483647 - 1, 1));
}
