#include "DebugTestSupport.h"

#include <wx/log.h>
#include <wx/xml/xml.h>

namespace {

const char* const kXmlFilter = "XML Files (*.xml)|*.xml";

using TimingPageTest = DebugDialogTest;

// Collects what is logged while it lives, with the levels.
class CLoggedErrors : public wxLog {
public:
    CLoggedErrors() : previous(wxLog::SetActiveTarget(this)) {}
    ~CLoggedErrors() override { wxLog::SetActiveTarget(previous); }
    CLoggedErrors(const CLoggedErrors&) = delete;
    CLoggedErrors& operator=(const CLoggedErrors&) = delete;

    std::vector<wxString> errors;
    std::vector<wxLogLevel> levels;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
        errors.push_back(text);
        levels.push_back(level);
    }

private:
    wxLog* previous;
};

std::vector<int> valuesOf(const std::vector<wxSpinCtrl*>& spinCtrls) {
    std::vector<int> values;
    for (wxSpinCtrl* spinCtrl : spinCtrls) {
        values.push_back(spinCtrl->GetValue());
    }
    return values;
}

TEST_F(TimingPageTest, ShowsRowZeroUnclippedAndStepsThroughTheRows) {
    EXPECT_EQ("25", speedTextOf(timingPage()));
    EXPECT_EQ((std::vector<int>{140, 100, 100, 100, 140, 100, 100, 100, 100, 100}),
              valuesOf(spinCtrls()));
    EXPECT_FALSE(enabled("<<Prev"));
    EXPECT_TRUE(enabled("Next>>"));

    std::vector<wxString> speeds;
    for (int i = 0; i < 5; ++i) {
        click(timingPage(), "Next>>");
        speeds.push_back(speedTextOf(timingPage()));
    }
    EXPECT_EQ((std::vector<wxString>{"100", "250", "400", "550", "950"}), speeds);
    EXPECT_FALSE(enabled("Next>>"));
    EXPECT_TRUE(enabled("<<Prev"));
}

// A move commits the row on screen, all but its speed, which the page never writes.
TEST_F(TimingPageTest, AMoveCommitsTheEditedRow) {
    spinCtrls()[0]->SetValue(1500);
    spinCtrls()[9]->SetValue(7);
    click(timingPage(), "Next>>");
    click(timingPage(), "<<Prev");
    EXPECT_EQ(1500, spinCtrls()[0]->GetValue());
    EXPECT_EQ(7, spinCtrls()[9]->GetValue());
    const CTimingTableData& row = CFlitWordCalcs::kTimingTable[0];
    EXPECT_EQ(1500, row.wdBaseValueAdjPercentage);
    EXPECT_EQ(7, row.sustainDelayAdjPercentage);
    EXPECT_EQ(25, row.speed);
}

// Saving commits the row on screen first, even when the chooser is cancelled, and writes the
// settings file. Loading commits nothing: an uncommitted edit survives a cancelled chooser and
// is replaced by the table's value after a load, whether the file was taken or refused.
TEST_F(TimingPageTest, SaveAndLoadGoThroughTheChooserAndRealFiles) {
    const wxString saved = wxFileName(folder, "tuned.xml").GetFullPath();
    spinCtrls()[1]->SetValue(555);
    {
        CFileChooserAnswer cancel("");
        click(timingPage(), "Save Settings");
        EXPECT_EQ(std::vector<long>{wxFD_SAVE | wxFD_OVERWRITE_PROMPT}, cancel.styles);
        EXPECT_EQ(std::vector<wxString>{kXmlFilter}, cancel.wildcards);
    }
    EXPECT_EQ(555, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    {
        CFileChooserAnswer answer(saved);
        click(timingPage(), "Save Settings");
    }
    wxXmlDocument file;
    ASSERT_TRUE(file.Load(saved));
    EXPECT_EQ("flit_word_calcs", file.GetRoot()->GetName());
    EXPECT_EQ("version", file.GetRoot()->GetChildren()->GetName());
    EXPECT_EQ("timing_table_data", file.GetRoot()->GetChildren()->GetNext()->GetName());

    CFlitWordCalcs::restoreDefaultTimingTable();
    spinCtrls()[1]->SetValue(77);
    {
        CFileChooserAnswer cancel("");
        click(timingPage(), "Load Settings");
        EXPECT_EQ(std::vector<long>{wxFD_OPEN | wxFD_FILE_MUST_EXIST}, cancel.styles);
        EXPECT_EQ(std::vector<wxString>{kXmlFilter}, cancel.wildcards);
    }
    EXPECT_EQ(77, spinCtrls()[1]->GetValue());
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    {
        CFileChooserAnswer answer(saved);
        click(timingPage(), "Load Settings");
    }
    EXPECT_EQ(555, spinCtrls()[1]->GetValue());

    const wxString refused = wxFileName(folder, "refused.xml").GetFullPath();
    file.GetRoot()->SetName("something_else");
    ASSERT_TRUE(file.Save(refused));
    spinCtrls()[1]->SetValue(66);
    {
        CLoggedErrors logged;
        CFileChooserAnswer answer(refused);
        click(timingPage(), "Load Settings");
        // A status line: a higher level would open a message box.
        EXPECT_EQ(std::vector<wxLogLevel>{wxLOG_Status}, logged.levels);
        ASSERT_EQ(1u, logged.errors.size());
        EXPECT_EQ("Settings not loaded: '" + refused +
                      "': its root element is <something_else>, not <flit_word_calcs>",
                  logged.errors[0]);
    }
    EXPECT_EQ(555, spinCtrls()[1]->GetValue());
    EXPECT_EQ(555, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);

    // A save that fails says why and leaves the old file as it was.
    const wxString unwritable = saved + "/inside.xml";
    {
        CLoggedErrors logged;
        CFileChooserAnswer answer(unwritable);
        click(timingPage(), "Save Settings");
        EXPECT_EQ(std::vector<wxLogLevel>{wxLOG_Status}, logged.levels);
        ASSERT_EQ(1u, logged.errors.size());
        EXPECT_EQ("Settings not saved: cannot write '" + unwritable + "': Not a directory",
                  logged.errors[0]);
    }
    ASSERT_TRUE(file.Load(saved));
}

TEST(CommonGuiUtilsTest, BrowseForFileJoinsTheFiltersAndKeepsThePathOnCancel) {
    wxArrayString filters;
    filters.Add(kXmlFilter);
    filters.Add("All files (*)|*");
    wxString path = "unchanged";
    {
        CFileChooserAnswer cancel("");
        EXPECT_FALSE(CCommonGuiUtils::BrowseForFile(false, filters, path, "", "", 1, 6));
        EXPECT_EQ(std::vector<wxString>{"XML Files (*.xml)|*.xml|All files (*)|*"},
                  cancel.wildcards);
    }
    EXPECT_EQ("unchanged", path);
    CFileChooserAnswer answer("/tmp/chosen.xml");
    EXPECT_TRUE(CCommonGuiUtils::BrowseForFile(true, filters, path, "", "", 1, 6));
    EXPECT_EQ("/tmp/chosen.xml", path);
}

} // namespace
