#include "timing/FlitWordCalcsSerializer.h"
#include "timing/FlitWordCalcs.h"
#include "timing/TimingTableDataSerializer.h"

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>
#include <wx/xml/xml.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

// The whole table, row after row.
std::vector<int> table() {
    std::vector<int> out;
    for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        for (int CTimingTableData::*field : CTimingTableData::kFields) {
            out.push_back(row.*field);
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

class FlitWordCalcsSerializerTest : public testing::Test {
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

    CFlitWordCalcs calcs;
    wxString path = wxFileName::CreateTempFileName("flit-settings");
};

} // namespace

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
    const std::vector<int> edited = table();
    ASSERT_TRUE(CFlitWordCalcsSerializer(&calcs, path.utf8_str()).store());
    wxString written;
    ASSERT_TRUE(wxFFile(path).ReadAll(&written));
    EXPECT_EQ(expected + "</flit_word_calcs>",
              std::regex_replace(written.utf8_string(), std::regex("\n *"), ""));
    CFlitWordCalcs::restoreDefaultTimingTable();
    ASSERT_TRUE(CFlitWordCalcsSerializer(&calcs, path.utf8_str()).load());
    EXPECT_EQ(edited, table());
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
        const std::vector<int> loaded = table();
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
    const std::vector<int> defaults = table();
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
        EXPECT_EQ(defaults, table()) << message;
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
