#include "timing/FlitWordCalcsSerializer.h"
#include "timing/FlitWordCalcs.h"
#include "timing/TimingTableDataSerializer.h"

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/sstream.h>
#include <wx/utils.h>
#include <wx/xml/xml.h>

#include <memory>
#include <vector>

namespace {

std::vector<int> table() {
    std::vector<int> out;
    for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        for (int CTimingTableData::*field : CTimingTableData::kFields) {
            out.push_back(row.*field);
        }
    }
    return out;
}

const char* const kFieldNames[] = {"speed",
                                   "wd_base_value_adj_percentage",
                                   "wd_longer_word_adj_percentage",
                                   "wd_all_caps_adj_percentage",
                                   "wd_all_nums_adj_percentage",
                                   "iwd_base_value_adj_percentage",
                                   "iwd_comma_adj_percentage",
                                   "iwd_period_adj_percentage",
                                   "iwd_newline_adj_percentage",
                                   "rest_delay_adj_percentage",
                                   "sustain_delay_adj_percentage"};

class FlitWordCalcsSerializerTest : public testing::Test {
protected:
    void TearDown() override {
        CFlitWordCalcs::restoreDefaultTimingTable();
        if (wxFileExists(path)) {
            wxRemoveFile(path);
        }
    }

    // Writes the text to the test's file and loads it into the table.
    bool loadText(const wxString& text) {
        wxFFile(path, "wb").Write(text);
        CFlitWordCalcsSerializer loader(&calcs, path.utf8_str());
        return loader.load();
    }

    // A settings document whose rows hold the given speeds and, in every other field, pct.
    static wxString document(const std::vector<int>& speeds, int pct,
                             const char* root = "flit_word_calcs", const char* skip = nullptr) {
        wxString text =
            wxString::Format("<?xml version=\"1.0\"?><%s><version>02.07</version>", root);
        for (int speed : speeds) {
            text += "<timing_table_data><next_num>3</next_num>";
            for (const char* name : kFieldNames) {
                if (skip == nullptr || wxString(name) != skip) {
                    text += wxString::Format("<%s>%d</%s>", name,
                                             wxString(name) == "speed" ? speed : pct, name);
                }
            }
            text += "</timing_table_data><!-- comment -->";
        }
        return text + wxString::Format("</%s>", root);
    }

    CFlitWordCalcs calcs;
    wxString path = wxFileName(wxFileName::GetTempDir(),
                               wxString::Format("flit-settings-%lu.xml", wxGetProcessId()))
                        .GetFullPath();
};

} // namespace

TEST_F(FlitWordCalcsSerializerTest, DefaultTableIsWrittenElementForElement) {
    CFlitWordCalcsSerializer saver(&calcs, path.utf8_str());
    ASSERT_TRUE(saver.store());
    wxXmlDocument doc;
    ASSERT_TRUE(doc.Load(path));
    const wxXmlNode* root = doc.GetRoot();
    ASSERT_EQ("flit_word_calcs", root->GetName());
    const wxXmlNode* child = root->GetChildren();
    ASSERT_EQ("version", child->GetName());
    EXPECT_EQ("01.00", child->GetNodeContent());
    const int speeds[] = {25, 100, 250, 400, 550, 950};
    for (int speed : speeds) {
        child = child->GetNext();
        ASSERT_NE(nullptr, child);
        ASSERT_EQ("timing_table_data", child->GetName());
        const wxXmlNode* field = child->GetChildren();
        ASSERT_EQ("version", field->GetName());
        EXPECT_EQ("01.00", field->GetNodeContent());
        for (const char* name : kFieldNames) {
            field = field->GetNext();
            ASSERT_NE(nullptr, field);
            EXPECT_EQ(name, field->GetName());
        }
        EXPECT_EQ(nullptr, field->GetNext());
        EXPECT_EQ(wxString::Format("%d", speed), child->GetChildren()->GetNext()->GetNodeContent());
    }
    EXPECT_EQ(nullptr, child->GetNext());
}

TEST_F(FlitWordCalcsSerializerTest, SaveThenLoadReproducesTheTable) {
    CFlitWordCalcs::kTimingTable[3].iwdPeriodAdjPercentage = -17;
    CFlitWordCalcs::kTimingTable[5].speed = 1200;
    const std::vector<int> edited = table();
    CFlitWordCalcsSerializer saver(&calcs, path.utf8_str());
    ASSERT_TRUE(saver.store());
    CFlitWordCalcs::restoreDefaultTimingTable();
    CFlitWordCalcsSerializer loader(&calcs, path.utf8_str());
    ASSERT_TRUE(loader.load());
    EXPECT_EQ(edited, table());
}

TEST_F(FlitWordCalcsSerializerTest, PartialFilesChangeOnlyWhatTheyHold) {
    // Rows without the comma element keep it; other versions and unknown elements are fine.
    ASSERT_TRUE(loadText(document({30, 110, 260, 410, 560, 960}, 77, "flit_word_calcs",
                                  "iwd_comma_adj_percentage")));
    EXPECT_EQ(70, CFlitWordCalcs::kTimingTable[1].iwdCommaAdjPercentage);
    EXPECT_EQ(77, CFlitWordCalcs::kTimingTable[1].iwdPeriodAdjPercentage);
    EXPECT_EQ(960, CFlitWordCalcs::kTimingTable[5].speed);

    // Three rows replace rows 0 to 2 only.
    CFlitWordCalcs::restoreDefaultTimingTable();
    ASSERT_TRUE(loadText(document({20, 90, 240}, 55)));
    EXPECT_EQ(240, CFlitWordCalcs::kTimingTable[2].speed);
    EXPECT_EQ(55, CFlitWordCalcs::kTimingTable[2].restDelayAdjPercentage);
    EXPECT_EQ(400, CFlitWordCalcs::kTimingTable[3].speed);
    EXPECT_EQ(43, CFlitWordCalcs::kTimingTable[3].iwdCommaAdjPercentage);

    // A field that holds no number keeps its value.
    CFlitWordCalcs::restoreDefaultTimingTable();
    ASSERT_TRUE(loadText("<flit_word_calcs><timing_table_data><speed>25</speed>"
                         "<wd_base_value_adj_percentage>lots</wd_base_value_adj_percentage>"
                         "</timing_table_data></flit_word_calcs>"));
    EXPECT_EQ(140, CFlitWordCalcs::kTimingTable[0].wdBaseValueAdjPercentage);
}

TEST_F(FlitWordCalcsSerializerTest, RefusedFilesLeaveTheTableUnchanged) {
    const std::vector<int> defaults = table();
    const wxString refused[] = {
        document({25, 100, 250, 400, 550, 950}, 50, "flit_word_calc"), // wrong root
        document({25, 100, 250, 400, 550, 950, 1000}, 50),             // seven rows
        document({25, 100, 90}, 50),                                   // not ascending
        document({25, 100, 250, 400, 550, 550}, 50),                   // equal speeds
        "<flit_word_calcs><timing_table_data>",                        // malformed
        "",                                                            // empty
        wxString::FromAscii("\x7f\x45\x4c\x46\x02\x01"),               // binary
    };
    for (const wxString& text : refused) {
        EXPECT_FALSE(loadText(text)) << text;
        EXPECT_EQ(defaults, table()) << text;
    }
    CFlitWordCalcsSerializer missing(&calcs, (path + ".missing").utf8_str());
    EXPECT_FALSE(missing.load());
    CFlitWordCalcsSerializer folder(&calcs, wxFileName::GetTempDir().utf8_str());
    EXPECT_FALSE(folder.load());
    EXPECT_EQ(defaults, table());
}

TEST_F(FlitWordCalcsSerializerTest, CopiedRowSerializerWritesTheSameRow) {
    CTimingTableData row(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
    CTimingTableDataSerializer original(&row, nullptr);
    CTimingTableDataSerializer copy(original);
    row.speed = 99;
    std::unique_ptr<wxXmlNode> element(copy.createDataAsXML());
    EXPECT_EQ("99", element->GetChildren()->GetNext()->GetNodeContent());
}
