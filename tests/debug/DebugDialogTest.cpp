// The debug dialog and its two pages, as real windows bound to a real engine and driven with
// button events; the file chooser is answered through CCommonGuiUtils' test hook, so no modal
// dialog opens.

#include "support/TestHost.h"
#include <flitengine/debug/FEDebugDlg.h>
#include <flitengine/debug/FEDebugNotebook.h>
#include <flitengine/debug/FEMetricsPanel.h>
#include <flitengine/debug/FETimingConstantsPanel.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/CommonGuiUtils.h>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <fstream>
#include <vector>

namespace {

// The children of a window that are of type T, in creation order.
template <class T> std::vector<T*> childrenOf(wxWindow* parent) {
    std::vector<T*> found;
    for (wxWindow* child : parent->GetChildren()) {
        if (T* typed = dynamic_cast<T*>(child)) {
            found.push_back(typed);
        }
    }
    return found;
}

// Clicks the button the way the toolkit does: a button event handled by the button and then by its
// parents.
void click(wxWindow* parent, const wxString& label) {
    wxButton* button = wxDynamicCast(wxWindow::FindWindowByLabel(label, parent), wxButton);
    ASSERT_NE(nullptr, button) << label;
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    button->Command(event);
}

wxString chooserOf(long style, const wxString& wildcard = "XML Files (*.xml)|*.xml") {
    return wxString::Format("%ld %s", style, wildcard);
}

// Answers the file choosers while it lives, in turn, as the user would: with the next path, or
// with a cancel when that path is empty. Records the style and the wildcard of each chooser.
struct CFileChooserAnswer {
    explicit CFileChooserAnswer(std::vector<wxString> paths) {
        CCommonGuiUtils::setFileChooserForTesting(
            [this, paths](const wxFileDialog& dialog, wxString& chosen) {
                chosen = paths.at(asked.size());
                asked.push_back(chooserOf(dialog.GetWindowStyle(), dialog.GetWildcard()));
                return !chosen.empty();
            });
    }
    ~CFileChooserAnswer() { CCommonGuiUtils::setFileChooserForTesting(nullptr); }

    std::vector<wxString> asked;
};

// Collects what is logged while it lives; a message logged elsewhere than on the status line
// is marked with its level.
struct CLogged : wxLog {
    ~CLogged() override { wxLog::SetActiveTarget(previous); }
    void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
        messages.push_back(level == wxLOG_Status ? text
                                                 : wxString::Format("%d %s", int(level), text));
    }
    wxLog* previous = wxLog::SetActiveTarget(this);
    std::vector<wxString> messages;
};

// The values of the page's text fields, each marked when it can be edited.
std::vector<wxString> valuesOf(wxWindow* page) {
    std::vector<wxString> values;
    for (wxTextCtrl* field : childrenOf<wxTextCtrl>(page)) {
        values.push_back(field->GetValue() + (field->IsEditable() ? " (editable)" : ""));
    }
    return values;
}

// A real dialog bound to a real manager, not shown. The table and the remembered row start from
// their defaults and are put back afterwards.
class DebugDialogTest : public testing::Test {
protected:
    void SetUp() override { dialog->initialize(&manager); }

    void TearDown() override {
        delete dialog;
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFETimingConstantsPanel::kLastTimingTableDataIndex = 0;
        wxRemoveFile(saved);
        wxRemoveFile(refused);
    }

    static wxNotebook* notebookOf(wxWindow* dialog) { return childrenOf<wxNotebook>(dialog).at(0); }
    wxWindow* timingPage() const { return notebookOf(dialog)->GetPage(0); }
    wxWindow* metricsPage() const { return notebookOf(dialog)->GetPage(1); }
    wxSpinCtrl* spinCtrl(int index) const { return childrenOf<wxSpinCtrl>(timingPage()).at(index); }
    // The page's static texts are "Speed:", the speed, "WPM", then the groups' labels.
    static wxString speedOf(wxWindow* p) { return childrenOf<wxStaticText>(p).at(1)->GetLabel(); }
    // The timing row on screen: its speed, after "<" when <<Prev is enabled and before ">" when
    // Next>> is.
    wxString rowOnScreen() const {
        const auto mark = [this](const char* label, const char* sign) {
            return wxWindow::FindWindowByLabel(label, timingPage())->IsEnabled() ? sign : "";
        };
        return mark("<<Prev", "<") + speedOf(timingPage()) + mark("Next>>", ">");
    }

    CFlitManager manager;
    CFEDebugDlg* dialog = new CFEDebugDlg;
    // Settings files, for the tests that save and load.
    const wxString saved = wxFileName::CreateTempFileName("flit-debug");
    const wxString refused = wxFileName::CreateTempFileName("flit-debug");
};

// The notebook, with a 10-pixel border, takes any extra height; Cancel then OK stand at the
// right-hand end of the row below it.
TEST_F(DebugDialogTest, ShowsItsTwoPagesAboveTheButtonRowAndSkipsMissingOrUnboundOnes) {
    wxNotebook* tabs = notebookOf(dialog);
    EXPECT_EQ("FlitEngine Debug", dialog->GetTitle());
    ASSERT_EQ(2u, tabs->GetPageCount());
    EXPECT_EQ("Timing Calcs Info|Metrics Info", tabs->GetPageText(0) + "|" + tabs->GetPageText(1));
    EXPECT_EQ(0, tabs->GetSelection());

    dialog->Show();
    dialog->SetSize(dialog->GetSize() + wxSize(120, 150));
    dialog->Layout();
    const wxRect ok = dialog->FindWindow(wxID_OK)->GetRect();
    const wxRect cancel = dialog->FindWindow(wxID_CANCEL)->GetRect();
    EXPECT_EQ(wxPoint(10, 10), tabs->GetPosition());
    EXPECT_GE(tabs->GetSize().y, tabs->GetBestSize().y + 150);
    EXPECT_LT(cancel.GetRight(), ok.GetLeft());
    EXPECT_EQ(cancel.y, ok.y);
    EXPECT_EQ(dialog->GetClientSize() - wxSize(10, 10),
              wxSize(ok.GetRight() + 1, ok.GetBottom() + 1));

    // With its pages gone the notebook still binds (to nothing) and both transfers fail. A
    // metrics page bound to nothing leaves its fields empty.
    dynamic_cast<CFEDebugNotebook*>(tabs)->zeroInit();
    dialog->initialize(&manager);
    EXPECT_FALSE(dialog->TransferDataToWindow());
    EXPECT_FALSE(dialog->TransferDataFromWindow());
    auto* page =
        new CFEMetricsPanel(dialog, 1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    EXPECT_TRUE(page->TransferDataToWindow());
    EXPECT_EQ((std::vector<wxString>{"", "", ""}), valuesOf(page));
}

// OK runs the standard dialog handling, which commits the timing row on screen; Cancel closes
// without committing. Each showing refreshes the pages from the table, so the value typed before
// Cancel is gone when the dialog shows again.
TEST_F(DebugDialogTest, OkCommitsTheRowOnScreenAndCancelDoesNot) {
    for (const char* button : {"&Cancel", "&OK"}) {
        dialog->Show();
        EXPECT_EQ(100, spinCtrl(3)->GetValue()) << button;
        spinCtrl(3)->SetValue(321);
        click(dialog, button);
        EXPECT_FALSE(dialog->IsShown());
    }
    EXPECT_EQ(321, CFlitWordCalcs::kTimingTable[0].wdAllNumsAdjPercentage);
}

// Zeros before any reading, in fields that cannot be edited; after a reading through a real
// engine, once the dialog transfers again, what the metrics report in place of the zeros. A value
// typed into a field does not reach the metrics.
TEST_F(DebugDialogTest, MetricsPageShowsTheFiguresOfTheLastReading) {
    CZeroTimingTable zeroTiming;
    CTestHost host;
    const std::unique_ptr<CDataManager> document = CDocumentImporter().importText(
        "Gulls over the grey harbour", CDocumentImporter::ePlainText, "");
    CFlitManager engine;
    host.attach(&engine);
    ASSERT_TRUE(engine.initialize(document.get(), host.mainFrame(), host.flitView(),
                                  host.assessmentView()));
    dialog->initialize(&engine);
    EXPECT_EQ((std::vector<wxString>{"0", "0", "0"}), valuesOf(metricsPage()));

    host.send(engine, EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) == 1; }));
    host.send(engine, EVT_FLIT_COMMAND_STOP_MSG);
    const CFlitMetricsData& metrics = *engine.getFlitMetricsData();
    EXPECT_TRUE(dialog->TransferDataToWindow());
    EXPECT_EQ((std::vector<wxString>{"5", wxString::Format("%u", metrics.getDurationInMillisecs()),
                                     wxString::Format("%u", metrics.calcWpmSpeed())}),
              valuesOf(metricsPage()));
    childrenOf<wxTextCtrl>(metricsPage()).at(0)->ChangeValue("9");
    EXPECT_TRUE(metricsPage()->TransferDataFromWindow());
    EXPECT_EQ(5u, metrics.getNumWordsDisplayed());

    dialog->initialize(&manager); // away from the engine before it goes
    host.attach(nullptr);
}

// The page opens at row 0 and steps through the rows. A move commits the row on screen, each
// control into its own field, all but the speed, which the page never writes; coming back shows
// each field of the table in its own control. A new dialog reopens at the row committed last.
TEST_F(DebugDialogTest, TimingPageStepsThroughTheRowsCommittingEachField) {
    for (int k = 0; k < CTimingTableData::kFieldCount - 1; ++k) {
        spinCtrl(k)->SetValue(1000 + k);
    }
    // Out and back. The table's own edit of row 0 is overwritten by the first move, which
    // commits row 0, and is shown when row 0 comes back.
    std::vector<wxString> rows = {rowOnScreen()};
    for (int i = 0; i < 10; ++i) {
        click(timingPage(), i < 5 ? "Next>>" : "<<Prev");
        rows.push_back(rowOnScreen());
        CFlitWordCalcs::kTimingTable[0].iwdCommaAdjPercentage = 1;
    }
    EXPECT_EQ((std::vector<wxString>{"25>", "<100>", "<250>", "<400>", "<550>", "<950", "<550>",
                                     "<400>", "<250>", "<100>", "25>"}),
              rows);
    const CTimingTableData& row = CFlitWordCalcs::kTimingTable[0];
    EXPECT_EQ(25, row.speed);
    for (int k = 0; k < CTimingTableData::kFieldCount - 1; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(k == 5 ? 1 : 1000 + k, row.*CTimingTableData::kFields[k + 1]);
        EXPECT_EQ(k == 5 ? 1 : 1000 + k, spinCtrl(k)->GetValue());
    }
    CFEDebugDlg again;
    again.initialize(&manager);
    EXPECT_EQ("100", speedOf(notebookOf(&again)->GetPage(0)));
}

// Saving commits the row on screen first, even when the chooser is cancelled, and writes the
// settings file. Loading commits nothing: an uncommitted edit survives a cancelled chooser and
// is replaced by the table's value after a load, whether the file was taken or refused. A
// refused load or a failed save says why on the status line (a higher level would open a message
// box) and changes nothing.
TEST_F(DebugDialogTest, TimingPageSavesAndLoadsThroughTheChooserAndRealFiles) {
    const wxString unwritable = saved + "/inside.xml";
    CFileChooserAnswer answers({"", saved, "", saved, refused, unwritable});
    spinCtrl(1)->SetValue(555);
    click(timingPage(), "Save Settings");
    EXPECT_EQ(555, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    click(timingPage(), "Save Settings");

    CFlitWordCalcs::restoreDefaultTimingTable();
    spinCtrl(1)->SetValue(77);
    click(timingPage(), "Load Settings");
    EXPECT_EQ(77, spinCtrl(1)->GetValue());
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    click(timingPage(), "Load Settings");
    EXPECT_EQ(555, spinCtrl(1)->GetValue());

    std::ofstream(refused.ToStdString()) << "<?xml version=\"1.0\"?>\n<something_else/>\n";
    spinCtrl(1)->SetValue(66);
    CLogged logged;
    click(timingPage(), "Load Settings");
    EXPECT_EQ(555, spinCtrl(1)->GetValue());
    click(timingPage(), "Save Settings");
    EXPECT_EQ((std::vector<wxString>{"Settings not loaded: '" + refused +
                                         "': its root element is <something_else>, not "
                                         "<flit_word_calcs>",
                                     "Settings not saved: cannot write '" + unwritable +
                                         "': Not a directory"}),
              logged.messages);
    const wxString save = chooserOf(wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    const wxString load = chooserOf(wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    EXPECT_EQ((std::vector<wxString>{save, save, load, load, load, save}), answers.asked);
}

// The chooser gets the filters joined and the style for its direction; a cancel keeps the path.
TEST(CommonGuiUtilsTest, BrowseForFileJoinsTheFiltersAndKeepsThePathOnCancel) {
    wxArrayString filters = wxSplit("XML Files (*.xml)|*.xml\nAll files (*)|*", '\n');
    wxString path = "unchanged";
    CFileChooserAnswer answers({"", "/tmp/chosen.xml"});
    EXPECT_FALSE(CCommonGuiUtils::BrowseForFile(false, filters, path, "", "", 1, 6));
    EXPECT_EQ("unchanged", path);
    EXPECT_TRUE(CCommonGuiUtils::BrowseForFile(true, filters, path, "", "", 1, 6));
    EXPECT_EQ("/tmp/chosen.xml", path);
    EXPECT_EQ(
        chooserOf(wxFD_OPEN | wxFD_FILE_MUST_EXIST, "XML Files (*.xml)|*.xml|All files (*)|*"),
        answers.asked.back());
}

} // namespace
