#include "timing/FlitWordCalcs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Opens the protected lookup and classification for the tests.
class CCalcsProbe : public CFlitWordCalcs {
public:
    using CFlitWordCalcs::getTimingData;
    using CFlitWordCalcs::isAllCaps;
    using CFlitWordCalcs::isAllNums;
};

struct SWordCase {
    const char* word;
    char separator;
    int display;
    int delay;
};

const char kSp = ' ';
const char kNl = '\n';
const char kEnd = '\0';

class FlitWordCalcsTest : public testing::Test {
protected:
    void TearDown() override { CFlitWordCalcs::restoreDefaultTimingTable(); }

    // Times the words in order with one calculator, as the engine does.
    void expectSequence(int speed, std::initializer_list<SWordCase> words) {
        for (const SWordCase& w : words) {
            const int display = calcs.calcWordDisplayTime(w.word, speed);
            const int delay = calcs.calcInterWordDelayTime(w.word, w.separator, speed);
            EXPECT_EQ(w.display, display) << w.word << " at " << speed;
            EXPECT_EQ(w.delay, delay) << w.word << " at " << speed;
        }
    }

    CCalcsProbe calcs;
};

} // namespace

TEST_F(FlitWordCalcsTest, WorkedSequenceAt250) {
    expectSequence(250, {{"Smith,", kSp, 226, 292},
                         {"the", kSp, 135, 9},
                         {"reading", kSp, 155, 9},
                         {"NASA", kSp, 209, 9},
                         {"end.", kNl, 139, 1017},
                         {"The", kSp, 135, 9},
                         {"1999", kSp, 301, 9},
                         {"end.", kSp, 139, 576},
                         {"Dr.", kSp, 135, 9},
                         {"(aside)", kSp, 155, 292}});
    EXPECT_EQ(283, calcs.calcRestDelay(1, 250));
    EXPECT_EQ(566, calcs.calcRestDelay(2, 250));
    EXPECT_EQ(283, calcs.calcSustainDelay(1, 250));
}

TEST_F(FlitWordCalcsTest, WorkedValuesAt100And300) {
    expectSequence(100, {{"the", kSp, 309, 43}, {"however,", kSp, 379, 1198}});
    calcs.zeroInit();
    expectSequence(300, {{"the", kSp, 112, 8}, {"end.", kSp, 115, 459}});
    EXPECT_EQ(236, calcs.calcRestDelay(1, 300));
}

TEST_F(FlitWordCalcsTest, AbbreviationsAndMarks) {
    // Capitalised words after no mark count as caps. The abbreviations are exempt before a space
    // or the end, so the capitalised name after them still counts as caps.
    expectSequence(250, {{"Mr.", kSp, 203, 9}, {"Smith", kSp, 217, 9}});
    expectSequence(250, {{"Mrs.", kEnd, 209, 9}, {"J.", kSp, 198, 9}});
    // Before a newline the stop is kept, and the newline delay replaces it.
    expectSequence(250, {{"Mr.", kNl, 203, 1017}});
    // Not exempt: stop followed by a letter, long capitals, comma inside, comma kind first.
    calcs.zeroInit();
    const int period = 576;
    const int comma = 292;
    EXPECT_EQ(period, calcs.calcInterWordDelayTime("U.S.", kSp, 250));
    EXPECT_EQ(period, calcs.calcInterWordDelayTime("ACME.", kSp, 250));
    EXPECT_EQ(period, calcs.calcInterWordDelayTime("3.14", kSp, 250));
    EXPECT_EQ(comma, calcs.calcInterWordDelayTime("a,b", kSp, 250));
    EXPECT_EQ(comma, calcs.calcInterWordDelayTime("(end.)", kSp, 250));
}

TEST_F(FlitWordCalcsTest, Classification) {
    for (const char* word : {"1999", "3.14", "--", ""}) {
        EXPECT_TRUE(calcs.isAllNums(word)) << word;
        EXPECT_FALSE(calcs.isAllCaps(word)) << word;
    }
    EXPECT_TRUE(calcs.isAllCaps("A1"));
    EXPECT_FALSE(calcs.isAllCaps("1a"));
    EXPECT_FALSE(calcs.isAllNums("1a"));
    // Bytes above 0x7f are none of letter, digit or punctuation.
    EXPECT_FALSE(calcs.isAllNums("\xC3\xA9"));
    EXPECT_FALSE(calcs.isAllCaps("\xC3\x89t\xC3\xA9"));

    EXPECT_TRUE(calcs.isAllCaps("The"));
    calcs.calcInterWordDelayTime("end.", kSp, 250);
    EXPECT_FALSE(calcs.isAllCaps("The"));
    calcs.zeroInit();
    EXPECT_TRUE(calcs.isAllCaps("The"));
}

TEST_F(FlitWordCalcsTest, LongerWordTermStartsAtSevenBytes) {
    // "abcdef" (6) has no longer-word term; "abcdefg" (7) adds 112 * (1 * 7 * 175 / 250) / 100.
    EXPECT_EQ(110 * ((925 * 6 + 28125) / 250) / 100, calcs.calcWordDisplayTime("abcdef", 250));
    EXPECT_EQ(110 * ((925 * 7 + 28125) / 250) / 100 + 112 * (7 * 175 / 250) / 100,
              calcs.calcWordDisplayTime("abcdefg", 250));
}

TEST_F(FlitWordCalcsTest, RowLookupOutsideTheTable) {
    CTimingTableData row;
    calcs.getTimingData(&row, 10);
    EXPECT_EQ(25, row.speed);
    EXPECT_EQ(140, row.wdBaseValueAdjPercentage);
    calcs.getTimingData(&row, 5000);
    EXPECT_EQ(950, row.speed);
    EXPECT_EQ(0, calcs.calcWordDisplayTime("word", 0));
    EXPECT_EQ(0, calcs.calcInterWordDelayTime("word.", kSp, -5));
    EXPECT_EQ(0, calcs.calcRestDelay(3, 0));
    // A null word is the empty word: no mark, counted as all numbers.
    EXPECT_EQ(calcs.calcWordDisplayTime("", 250), calcs.calcWordDisplayTime(nullptr, 250));
    EXPECT_EQ(9, calcs.calcInterWordDelayTime(nullptr, kSp, 250));
}

TEST_F(FlitWordCalcsTest, TableEditsTakeEffectAtTheNextCall) {
    const int before = calcs.calcRestDelay(1, 250);
    CFlitWordCalcs::kTimingTable[2].restDelayAdjPercentage = 200;
    EXPECT_EQ(2 * before, calcs.calcRestDelay(1, 250));
    CFlitWordCalcs::restoreDefaultTimingTable();
    EXPECT_EQ(before, calcs.calcRestDelay(1, 250));
}

// Long words and huge counts are computed without overflow: exactly while the result fits an
// int, held at INT_MAX beyond.
TEST_F(FlitWordCalcsTest, LongWordsAndHugeCountsStayInRange) {
    // 4000 bytes: (925 L + 28125) / 250 = 14912 at 110 %, (L - 6) L 175 / 250 = 11183200 at 112 %.
    EXPECT_EQ(16403 + 12525184, calcs.calcWordDisplayTime(std::string(4000, 'a').c_str(), 250));
    const std::string huge(100000, 'a');
    EXPECT_EQ(2147483647, calcs.calcWordDisplayTime(huge.c_str(), 250));
    EXPECT_EQ(2147483647, calcs.calcWordDisplayTime(huge.c_str(), 1));
    EXPECT_EQ(9, calcs.calcInterWordDelayTime(huge.c_str(), kSp, 250));
    EXPECT_EQ(2147483647, calcs.calcRestDelay(2147483647, 1));
    EXPECT_EQ(-2147483647 - 1, calcs.calcSustainDelay(-2147483647 - 1, 1));
    EXPECT_EQ(0, calcs.calcInterWordDelayTime("a", kNl, 2147483647));
}
