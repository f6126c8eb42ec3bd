#include <flitengine/timing/FlitWordCalcs.h>
#include <flitengine/timing/FlitWordCalcsSerializer.h>
#include <flitengine/timing/SentenceEnd.h>
#include <flitengine/timing/TimingTableDataSerializer.h>

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The fields of the rows, row after row: by default the whole table.
std::vector<int> fields(const CTimingTableData* rows = CFlitWordCalcs::kTimingTable,
                        std::size_t count = std::size(CFlitWordCalcs::kTimingTable)) {
    std::vector<int> out;
    for (const CTimingTableData* row = rows; row != rows + count; ++row) {
        for (int CTimingTableData::*field : CTimingTableData::kFields) {
            out.push_back(row->*field);
        }
    }
    return out;
}

const wxArrayString kFieldNames =
    wxSplit("speed wd_base_value_adj_percentage wd_longer_word_adj_percentage "
            "wd_all_caps_adj_percentage wd_all_nums_adj_percentage iwd_base_value_adj_percentage "
            "iwd_comma_adj_percentage iwd_period_adj_percentage iwd_newline_adj_percentage "
            "rest_delay_adj_percentage sustain_delay_adj_percentage",
            ' ');

// Opens the protected lookup and classification for the tests.
class CCalcsProbe : public CFlitWordCalcs {
public:
    using CFlitWordCalcs::getTimingData;
    using CFlitWordCalcs::isAllCaps;
    using CFlitWordCalcs::isAllNums;
};

// Every test starts and ends with the default table; the settings tests use the file at path.
class FlitWordCalcsTest : public testing::Test {
protected:
    void TearDown() override {
        CFlitWordCalcs::restoreDefaultTimingTable();
        wxRemoveFile(path);
    }

    // Writes the text to the test's file and loads it into the table: the load's error, empty
    // when it loaded.
    std::string load(const wxString& text) {
        wxFFile(path, "wb").Write(text);
        CFlitWordCalcsSerializer loader(&calcs, path.utf8_str());
        return loader.load() ? "" : loader.getLoadError().utf8_string();
    }

    // A settings document whose rows hold the given speeds and, in every other field, pct.
    static wxString document(const std::vector<int>& speeds, int pct) {
        wxString text = "<?xml version=\"1.0\"?><flit_word_calcs><version>02.07</version>";
        for (int speed : speeds) {
            text += "<timing_table_data><next_num>3</next_num>";
            for (const wxString& name : kFieldNames) {
                text += wxString::Format("<%s>%d</%s>", name, name == "speed" ? speed : pct, name);
            }
            text += "</timing_table_data><!-- comment -->";
        }
        return text + "</flit_word_calcs>";
    }
    // The text with every from replaced by to.
    static wxString edit(wxString text, const char* from, const char* to) {
        text.Replace(from, to);
        return text;
    }

    CCalcsProbe calcs;
    wxString path = wxFileName::CreateTempFileName("flit-settings");
};
using FlitWordCalcsSerializerTest = FlitWordCalcsTest;

} // namespace

TEST(TimingTableData, InterpolatedRowsMatchTheReferenceValues) {
    const CTimingTableData* t = CFlitWordCalcs::kTimingTable;
    const std::tuple<int, int, std::vector<int>> cases[] = {
        {60, 0, {60, 122, 95, 100, 109, 104, 86, 90, 104, 100, 100}},
        {175, 1, {175, 105, 100, 94, 110, 48, 57, 81, 115, 100, 100}},
        {300, 2, {300, 109, 112, 88, 100, 35, 43, 82, 119, 100, 100}},
        {700, 4, {700, 121, 119, 110, 100, 36, 51, 79, 128, 100, 100}},
        {250, 2, fields(&t[2], 1)}, // at either end: that row
        {400, 2, fields(&t[3], 1)},
    };
    for (const auto& [speed, lower, expected] : cases) {
        CTimingTableData row(9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9); // old contents must not leak in
        row.interpolateMemberVars(speed, &t[lower], &t[lower + 1]);
        EXPECT_EQ(expected, fields(&row, 1)) << speed;
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

// In characters, a word of any script is timed as an ASCII word of as many letters of the same
// kinds is in bytes: its twin here, read in the same order so that both remember the same
// word before.
TEST_F(FlitWordCalcsTest, CharactersTimeEveryScriptAsItsAsciiTwin) {
    const std::tuple<const char*, const char*, char> cases[] = {
        {"французских", "abcdefghijk", ' '},
        {"ÉMILE", "EMILE", ' '},
        {"МОСКВА", "MOSKVA", ' '},
        {"Москва.", "Moskva.", ' '},
        {"Др.", "Dr.", ' '},
        {"١٢٣", "123", ' '},
        {"終わり。", "abc.", ' '},
        {"好，", "a,", ' '},
        {"¿Qué?", "'Que?", '\n'},
        {"שלום", "abcd", ' '},
        {"cafe\u0301", "cafe", ' '},
        {"\U0001F44D\U0001F3FD", "a", ' '},
        {"Ende.“", "Ende.'", ' '},
        {"（注）", "(a)", ' '},
    };
    CFlitWordCalcs twins;
    calcs.setLengthUnit(CFlitWordCalcs::eLengthCharacters);
    for (const auto& [word, twin, separator] : cases) {
        SCOPED_TRACE(word);
        EXPECT_EQ(twins.calcWordDisplayTime(twin, 250), calcs.calcWordDisplayTime(word, 250));
        EXPECT_EQ(twins.calcInterWordDelayTime(twin, separator, 250),
                  calcs.calcInterWordDelayTime(word, separator, 250));
    }
    EXPECT_EQ(CFlitWordCalcs::eLengthCharacters, CFlitWordCalcs(calcs).getLengthUnit());
    calcs.zeroInit();
    EXPECT_EQ(CFlitWordCalcs::eLengthCharacters, calcs.getLengthUnit());
}

// A sentence ends at a stop of any script, looking through closing quotes and brackets.
TEST(SentenceEnd, StopsOfEveryScriptEndSentences) {
    const std::pair<const char*, bool> cases[] = {
        {"終わり。", true}, {"fin.»", true}, {"Ende.“", true},    {"word!)", true},
        {"「終」", false},  {"Др.", false},  {"Mr.", false},      {"baie :", false},
        {"لماذا؟", true},   {"end…", true},  {"\xE2\x80", false}, {"", false},
    };
    for (const auto& [word, ends] : cases) {
        EXPECT_EQ(ends, CSentenceEnd::endsSentence(word)) << word;
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
    // 4000 bytes: (925 L + 28125) / 250 = 14912 at 110 %, (L - 6) L 175 / 250 = 11183200 at 112 %.
    EXPECT_EQ(16403 + 12525184, calcs.calcWordDisplayTime(std::string(4000, 'a').c_str(), 250));
    const std::string huge(100000, 'a');
    EXPECT_EQ(2147483647, calcs.calcWordDisplayTime(huge.c_str(), 250));
    EXPECT_EQ(2147483647, calcs.calcWordDisplayTime(huge.c_str(), 1));
    EXPECT_EQ(9, calcs.calcInterWordDelayTime(huge.c_str(), ' ', 250));
    EXPECT_EQ(2147483647, calcs.calcRestDelay(2147483647, 1));
    EXPECT_EQ(-2147483647 - 1, calcs.calcSustainDelay(-2147483647 - 1, 1));
}

// A calculator that has looked up speed after speed, through edits of the table, times as a new
// one does: what it remembers of a speed never outlives the speed or the table rows it came from.
TEST_F(FlitWordCalcsTest, RememberedSpeedsFollowEveryEditOfTheTable) {
    // Edits: row, field (in kFields), value; of 300's upper and lower rows, then a row moved onto
    // it, the last row and the first. Each is followed by the speeds, which begin where they end.
    const int edits[][3] = {{3, 7, 60}, {2, 6, 20}, {2, 0, 300}, {5, 0, 700}, {0, 0, 400}};
    const int speeds[] = {300, 10, 25, 60, 100, 175, 250, 301, 320, 700, 950, 2000, 250, 300};
    const auto times = [](CCalcsProbe& probe, int speed) { // the row, delays, rest, sustain
        CTimingTableData row;
        probe.getTimingData(&row, speed);
        std::vector<int> out = fields(&row, 1);
        out.insert(out.end(), {probe.calcInterWordDelayTime("end.", ' ', speed),
                               probe.calcInterWordDelayTime("(aside)", '\n', speed),
                               probe.calcRestDelay(3, speed), probe.calcSustainDelay(2, speed)});
        return out;
    };
    times(calcs, speeds[0]); // remembered before the first edit
    for (const auto& edit : edits) {
        CFlitWordCalcs::kTimingTable[edit[0]].*CTimingTableData::kFields[edit[1]] = edit[2];
        for (int speed : speeds) {
            CCalcsProbe fresh;
            EXPECT_EQ(times(fresh, speed), times(calcs, speed)) << edit[0] << " " << speed;
        }
    }
}

// Every field of every row is written under its name, after the versions, and loads back.
TEST_F(FlitWordCalcsSerializerTest, TableIsWrittenElementForElementAndLoadsBack) {
    wxString expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><flit_word_calcs><version>01.00</version>";
    int value = 100; // a value of its own in every field, speeds ascending
    for (CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        expected += "<timing_table_data><version>01.00</version>";
        for (int f = 0; f < CTimingTableData::kFieldCount; ++f, ++value) {
            row.*CTimingTableData::kFields[f] = value;
            expected += wxString::Format("<%s>%d</%s>", kFieldNames[f], value, kFieldNames[f]);
        }
        expected += "</timing_table_data>";
    }
    const std::vector<int> edited = fields();
    ASSERT_TRUE(CFlitWordCalcsSerializer(&calcs, path.utf8_str()).store());
    wxString written;
    ASSERT_TRUE(wxFFile(path).ReadAll(&written));
    EXPECT_EQ(expected + "</flit_word_calcs>",
              std::regex_replace(written.utf8_string(), std::regex("\n *"), ""));
    CFlitWordCalcs::restoreDefaultTimingTable();
    ASSERT_TRUE(CFlitWordCalcsSerializer(&calcs, path.utf8_str()).load());
    EXPECT_EQ(edited, fields());
}

TEST_F(FlitWordCalcsSerializerTest, CopiedRowSerializerWritesTheSameRow) {
    CTimingTableData row(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
    CTimingTableDataSerializer original(&row, nullptr);
    CTimingTableDataSerializer copy(original);
    row.speed = 99;
    std::unique_ptr<wxXmlNode> element(copy.createDataAsXML());
    EXPECT_EQ("99", element->GetChildren()->GetNext()->GetNodeContent());
}

// Any whole number an int holds is stored as it is, in every field: the huge percentages found by
// fuzzing the settings loader (tests/fuzz, target timing_settings) made the timings computed
// from them overflow; the timing rules below stay defined for them. A field left out, or with
// no whole number in it, keeps its value; other versions and unknown elements are fine; three
// rows replace rows 0 to 2 only.
TEST_F(FlitWordCalcsSerializerTest, PartialFilesChangeOnlyWhatTheyHold) {
    const std::vector<int> speeds = {30, 110, 260, 410, 560, 960};
    for (int pct : {77, 1000000, 2147483647, -5}) {
        ASSERT_EQ("", load(document(speeds, pct))) << pct;
        const std::vector<int> loaded = fields();
        EXPECT_EQ(60, std::count(loaded.begin(), loaded.end(), pct)) << pct; // all but the speeds
        EXPECT_EQ(960, CFlitWordCalcs::kTimingTable[5].speed);
    }
    CFlitWordCalcs::restoreDefaultTimingTable();
    // The comma element renamed into an unknown one, or with no whole number in it (which
    // numbers an int holds is the XML utilities' tests').
    const std::pair<const char*, const char*> edits[] = {
        {"iwd_comma", "no_comma"},
        {">77</iwd_comma", ">lots</iwd_comma"},
    };
    for (const auto& [from, to] : edits) {
        ASSERT_EQ("", load(edit(document(speeds, 77), from, to))) << to;
        EXPECT_EQ(70, CFlitWordCalcs::kTimingTable[1].iwdCommaAdjPercentage);
        EXPECT_EQ(77, CFlitWordCalcs::kTimingTable[1].iwdPeriodAdjPercentage);
    }
    CFlitWordCalcs::restoreDefaultTimingTable();
    ASSERT_EQ("", load(document({20, 90, 240}, 55)));
    EXPECT_EQ(240, CFlitWordCalcs::kTimingTable[2].speed);
    EXPECT_EQ(55, CFlitWordCalcs::kTimingTable[2].restDelayAdjPercentage);
    EXPECT_EQ(400, CFlitWordCalcs::kTimingTable[3].speed);
    EXPECT_EQ(43, CFlitWordCalcs::kTimingTable[3].iwdCommaAdjPercentage);
}

// Each file is refused with a message that names it and the problem, and the table is left
// exactly as it was. (Files that the XML parser refuses, or cannot read, are the XML serializer's
// tests in tests/outside; flit-timing's tests show the wiring.) Row 1's speed in the last holds
// no number and keeps 25, which row 2's speed must exceed.
TEST_F(FlitWordCalcsSerializerTest, RefusedFilesLeaveTheTableUnchanged) {
    const std::vector<int> defaults = fields();
    const std::pair<wxString, const char*> cases[] = {
        {edit(document({25, 100, 250, 400, 550, 950}, 50), "flit_word_calcs>", "flit_word_calc>"),
         "its root element is <flit_word_calc>, not <flit_word_calcs>"},
        {document({25, 100, 250, 400, 550, 950, 1000}, 50),
         "it has more than 6 <timing_table_data> rows"},
        {document({25, 100, 250, 400, 550, 550}, 50),
         "row 6's speed 550 is not above row 5's speed 550"},
        {"<flit_word_calcs><timing_table_data><speed>fast</speed></timing_table_data>"
         "<timing_table_data><speed>20</speed></timing_table_data></flit_word_calcs>",
         "row 2's speed 20 is not above row 1's speed 25"},
    };
    for (const auto& [text, message] : cases) {
        EXPECT_EQ(("'" + path + "': " + message).utf8_string(), load(text));
        EXPECT_EQ(defaults, fields()) << message;
    }
}

// --- Inputs found by fuzzing the settings loader (tests/fuzz, target timing_settings) ---

// Any accepted file, down to one that changes nothing, leaves a table that times any word at any
// speed an int holds without overflow: times keep the sign of the table's percentages, and a
// rest, a percentage of a percentage, is never below zero. Scaling a speed past 21 million by
// 100 in an int made the blank after a word a negative time; at the top speed it is 0.
TEST_F(FlitWordCalcsSerializerTest, FuzzFoundAcceptedTablesTimeEverySpeedWithoutOverflow) {
    const int top = 2147483647;
    const wxString accepted[] = {
        "<flit_word_calcs/>",
        "<flit_word_calcs><timing_table_data><speed>10</speed></timing_table_data>"
        "</flit_word_calcs>",
        document({1, 2, 3, 4, 5, 100000}, 1500),
        document({1, 50, 99997, 99998, 99999, 100000}, 0),
        document({-top - 1, top - 4, top - 3, top - 2, top - 1, top}, top),
        document({-5, 0, 1, 2, 3, 4}, -top - 1),
    };
    const std::string longWord(4000, 'W');
    for (const wxString& text : accepted) {
        ASSERT_EQ("", load(text));
        const bool negative = CFlitWordCalcs::kTimingTable[0].wdBaseValueAdjPercentage < 0;
        const auto ok = [negative](int time) { return negative ? time <= 0 : time >= 0; };
        for (int speed : {1, 2, 5, 10, 250, 99999, 100000, 100001, 21474837, top}) {
            for (const char* word : {"a", "Smith,", "NASA.", "1999", "Dr.", longWord.c_str()}) {
                const std::string shown = std::string(word).substr(0, 8);
                EXPECT_TRUE(ok(calcs.calcWordDisplayTime(word, speed))) << speed << shown;
                EXPECT_TRUE(ok(calcs.calcInterWordDelayTime(word, ' ', speed))) << speed << shown;
                EXPECT_TRUE(ok(calcs.calcInterWordDelayTime(word, '\n', speed))) << speed << shown;
            }
            EXPECT_GE(calcs.calcRestDelay(3, speed), 0) << speed;
            EXPECT_GE(calcs.calcSustainDelay(3, speed), 0) << speed;
        }
        EXPECT_EQ(0, calcs.calcInterWordDelayTime("a", '\n', top)) << text;
        EXPECT_EQ(0, calcs.calcRestDelay(3, top)) << text;
        CFlitWordCalcs::restoreDefaultTimingTable();
    }
}
