#include "DebugTestSupport.h"

#include "timing/FlitWordCalcsSerializer.h"

#include <wx/xml/xml.h>

namespace {

const std::vector<int> kDefaultRow0 = {140, 100, 100, 100, 140, 100, 100, 100, 100, 100};
const long kOpenStyle = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
const long kSaveStyle = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
const char* const kXmlFilter = "XML Files (*.xml)|*.xml";

using TimingPageTest = DebugDialogTest;

TEST_F(TimingPageTest, InitializeShowsRowZeroUnclipped) {
    ASSERT_EQ(10u, spinCtrls().size());
    EXPECT_EQ("25", speedText());
    EXPECT_EQ(kDefaultRow0, spinValues());
    for (wxSpinCtrl* spinCtrl : spinCtrls()) {
        EXPECT_EQ(0, spinCtrl->GetMin());
        EXPECT_EQ(1500, spinCtrl->GetMax());
    }
    EXPECT_FALSE(pageButton("<<Prev")->IsEnabled());
    EXPECT_TRUE(pageButton("Next>>")->IsEnabled());
}

TEST_F(TimingPageTest, NextWalksTheRowsAndStopsAtTheLast) {
    std::vector<wxString> speeds;
    for (int i = 0; i < 5; ++i) {
        click(pageButton("Next>>"));
        speeds.push_back(speedText());
    }
    EXPECT_EQ((std::vector<wxString>{"100", "250", "400", "550", "950"}), speeds);
    EXPECT_FALSE(pageButton("Next>>")->IsEnabled());
    EXPECT_TRUE(pageButton("<<Prev")->IsEnabled());
    click(pageButton("<<Prev"));
    EXPECT_EQ("550", speedText());
    EXPECT_TRUE(pageButton("Next>>")->IsEnabled());
}

// A move commits the row on screen, all but its speed, which the page never writes.
TEST_F(TimingPageTest, AMoveCommitsTheEditedRow) {
    spinCtrls()[0]->SetValue(1500);
    spinCtrls()[9]->SetValue(7);
    click(pageButton("Next>>"));
    EXPECT_EQ("100", speedText());
    click(pageButton("<<Prev"));
    EXPECT_EQ(1500, spinCtrls()[0]->GetValue());
    EXPECT_EQ(7, spinCtrls()[9]->GetValue());
    const CTimingTableData& row = CFlitWordCalcs::kTimingTable[0];
    EXPECT_EQ(1500, row.wdBaseValueAdjPercentage);
    EXPECT_EQ(7, row.sustainDelayAdjPercentage);
    EXPECT_EQ(25, row.speed);
}

// Save commits the row on screen first, even when the chooser is cancelled, and writes the
// whole table as a settings file.
TEST_F(TimingPageTest, SaveCommitsTheRowAndWritesTheSettingsFile) {
    spinCtrls()[5]->SetValue(230);
    {
        CFileChooserAnswer cancel("");
        click(pageButton("Save Settings"));
        ASSERT_EQ(1u, cancel.requests.size());
        EXPECT_EQ(kSaveStyle, cancel.requests[0].style & (kSaveStyle | kOpenStyle));
        EXPECT_EQ(kXmlFilter, cancel.requests[0].wildcard);
    }
    EXPECT_EQ(230, CFlitWordCalcs::kTimingTable[0].iwdCommaAdjPercentage);

    spinCtrls()[6]->SetValue(240);
    const wxString path = pathOf("tuned.xml");
    {
        CFileChooserAnswer answer(path);
        click(pageButton("Save Settings"));
    }
    wxXmlDocument file;
    ASSERT_TRUE(file.Load(path));
    wxXmlNode* root = file.GetRoot();
    EXPECT_EQ("flit_word_calcs", root->GetName());
    std::vector<wxXmlNode*> rows;
    for (wxXmlNode* child = root->GetChildren(); child != nullptr; child = child->GetNext()) {
        if (child->GetName() == "timing_table_data") {
            rows.push_back(child);
        }
    }
    ASSERT_EQ(6u, rows.size());
    auto field = [](wxXmlNode* row, const char* name) {
        for (wxXmlNode* child = row->GetChildren(); child != nullptr; child = child->GetNext()) {
            if (child->GetName() == name) {
                return child->GetNodeContent();
            }
        }
        return wxString("missing");
    };
    EXPECT_EQ("25", field(rows[0], "speed"));
    EXPECT_EQ("230", field(rows[0], "iwd_comma_adj_percentage"));
    EXPECT_EQ("240", field(rows[0], "iwd_period_adj_percentage"));
    EXPECT_EQ("950", field(rows[5], "speed"));
}

// Loading never commits the screen first: an uncommitted edit is replaced by the table's value
// whether the file is taken or refused, and survives only a cancelled chooser.
TEST_F(TimingPageTest, LoadShowsTheTableAsTheFileLeftIt) {
    const wxString tuned = pathOf("tuned.xml");
    CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage = 555;
    CFlitWordCalcsSerializer(manager.getFlitWordCalcs(), tuned.utf8_str()).store();
    CFlitWordCalcs::restoreDefaultTimingTable();

    spinCtrls()[1]->SetValue(77);
    {
        CFileChooserAnswer cancel("");
        click(pageButton("Load Settings"));
        ASSERT_EQ(1u, cancel.requests.size());
        EXPECT_EQ(kOpenStyle, cancel.requests[0].style & (kSaveStyle | kOpenStyle));
        EXPECT_EQ(kXmlFilter, cancel.requests[0].wildcard);
    }
    EXPECT_EQ(77, spinCtrls()[1]->GetValue()) << "cancelled: the edit stays, uncommitted";
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);

    {
        CFileChooserAnswer answer(tuned);
        click(pageButton("Load Settings"));
    }
    EXPECT_EQ(555, spinCtrls()[1]->GetValue());
    EXPECT_EQ(555, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);

    const wxString refused = pathOf("refused.xml");
    wxXmlDocument wrongRoot;
    wrongRoot.SetRoot(new wxXmlNode(wxXML_ELEMENT_NODE, "something_else"));
    ASSERT_TRUE(wrongRoot.Save(refused));
    spinCtrls()[1]->SetValue(66);
    {
        CFileChooserAnswer answer(refused);
        click(pageButton("Load Settings"));
    }
    EXPECT_EQ(555, spinCtrls()[1]->GetValue());
    EXPECT_EQ(555, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    EXPECT_EQ("25", speedText());
}

// The chooser joins its filters into one wildcard and leaves the path alone on a cancel.
TEST(CommonGuiUtilsTest, BrowseForFileJoinsTheFiltersAndKeepsThePathOnCancel) {
    wxArrayString filters;
    filters.Add(kXmlFilter);
    filters.Add("All files (*)|*");
    wxString path = "unchanged";
    {
        CFileChooserAnswer cancel("");
        EXPECT_FALSE(CCommonGuiUtils::BrowseForFile(false, filters, path, "", "", 1, 6));
        EXPECT_EQ("XML Files (*.xml)|*.xml|All files (*)|*", cancel.requests.at(0).wildcard);
    }
    EXPECT_EQ("unchanged", path);
    CFileChooserAnswer answer("/tmp/chosen.xml");
    EXPECT_TRUE(CCommonGuiUtils::BrowseForFile(true, filters, path, "", "", 1, 6));
    EXPECT_EQ("/tmp/chosen.xml", path);
}

} // namespace
