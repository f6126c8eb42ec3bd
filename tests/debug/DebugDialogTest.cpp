// The debug dialog and its two pages, as real windows bound to a real engine and driven with
// button events; the file chooser is answered through CCommonGuiUtils' test hook, so no modal
// dialog opens.

#include "debug/FEDebugDlg.h"
#include "debug/FEDebugNotebook.h"
#include "debug/FEMetricsPanel.h"
#include "debug/FETimingConstantsPanel.h"
#include "engine/FlitManager.h"
#include "outside/CommonGuiUtils.h"
#include "outside/DataManager.h"
#include "support/TestHost.h"
#include "timing/FlitWordCalcs.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/notebook.h>
#include <wx/scopedptr.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/xml/xml.h>

#include <vector>

namespace {

const char* const kXmlFilter = "XML Files (*.xml)|*.xml";

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

// Clicks the button the way the toolkit does: a button event from the button, handled by it and
// then by its parents.
void click(wxWindow* parent, const wxString& label) {
    wxButton* button = wxDynamicCast(wxWindow::FindWindowByLabel(label, parent), wxButton);
    ASSERT_NE(nullptr, button) << label;
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->Command(event);
}

// Answers every file chooser while it lives, as the user would: with the path, or with a cancel
// when the path is empty. Records the style and the wildcard of each chooser it answers.
struct CFileChooserAnswer {
    explicit CFileChooserAnswer(const wxString& path) {
        CCommonGuiUtils::setFileChooserForTesting(
            [this, path](const wxFileDialog& dialog, wxString& chosen) {
                asked.push_back(wxString::Format(
                    "%ld %s",
                    dialog.GetWindowStyle() &
                        (wxFD_OPEN | wxFD_SAVE | wxFD_FILE_MUST_EXIST | wxFD_OVERWRITE_PROMPT),
                    dialog.GetWildcard()));
                chosen = path;
                return !path.empty();
            });
    }
    ~CFileChooserAnswer() { CCommonGuiUtils::setFileChooserForTesting(nullptr); }

    std::vector<wxString> asked;
};

wxString chooserOf(long style, const wxString& wildcard = kXmlFilter) {
    return wxString::Format("%ld %s", style, wildcard);
}

// Collects what is logged while it lives, each message after its level.
struct CLogged : wxLog {
    ~CLogged() override { wxLog::SetActiveTarget(previous); }
    void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
        messages.push_back(wxString::Format("%d %s", int(level), text));
    }
    wxLog* previous = wxLog::SetActiveTarget(this);
    std::vector<wxString> messages;
};

std::vector<wxString> valuesOf(wxWindow* page) {
    std::vector<wxString> values;
    for (wxTextCtrl* field : childrenOf<wxTextCtrl>(page)) {
        values.push_back(field->GetValue());
    }
    return values;
}

// A real dialog bound to a real manager, not shown. The table and the remembered row start from
// their defaults and are put back afterwards.
class DebugDialogTest : public testing::Test {
protected:
    static void restoreDefaults() {
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFETimingConstantsPanel::kLastTimingTableDataIndex = 0;
    }
    void SetUp() override {
        restoreDefaults();
        wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        ASSERT_TRUE(dialog->initialize(&manager));
    }

    void TearDown() override {
        delete dialog;
        restoreDefaults();
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    }

    static wxNotebook* notebookOf(wxWindow* dialog) { return childrenOf<wxNotebook>(dialog).at(0); }
    wxWindow* timingPage() const { return notebookOf(dialog)->GetPage(0); }
    wxWindow* metricsPage() const { return notebookOf(dialog)->GetPage(1); }
    wxSpinCtrl* spinCtrl(int index) const { return childrenOf<wxSpinCtrl>(timingPage()).at(index); }
    // The page's static texts are "Speed:", the speed, "WPM", then the groups' labels.
    static wxString speedOf(wxWindow* page) {
        return childrenOf<wxStaticText>(page).at(1)->GetLabel();
    }
    bool enabled(const wxString& label) const {
        return wxWindow::FindWindowByLabel(label, timingPage())->IsEnabled();
    }
    // Clicks the page's button with the chooser answering path; what the chooser was asked.
    std::vector<wxString> clickWithChooser(const wxString& label, const wxString& path) {
        CFileChooserAnswer answer(path);
        click(timingPage(), label);
        return answer.asked;
    }

    CFlitManager manager;
    CFEDebugDlg* dialog = new CFEDebugDlg;
    const wxString folder =
        wxFileName(wxFileName::GetTempDir(), wxString::Format("flit-debug-%lu", wxGetProcessId()))
            .GetFullPath();
};

// The notebook, with a 10-pixel border, takes any extra height; Cancel then OK stand at the
// right-hand end of the row below it.
TEST_F(DebugDialogTest, ShowsItsTwoPagesAboveTheButtonRow) {
    wxNotebook* tabs = notebookOf(dialog);
    EXPECT_EQ("FlitEngine Debug", dialog->GetTitle());
    ASSERT_EQ(2u, tabs->GetPageCount());
    EXPECT_EQ("Timing Calcs Info", tabs->GetPageText(0));
    EXPECT_EQ("Metrics Info", tabs->GetPageText(1));
    EXPECT_EQ(0, tabs->GetSelection());

    dialog->Show();
    dialog->SetSize(dialog->GetSize() + wxSize(120, 150));
    for (int i = 0; i < 20; ++i) {
        wxTheApp->Yield(true);
    }
    dialog->Layout();
    const wxRect ok = dialog->FindWindow(wxID_OK)->GetRect();
    const wxRect cancel = dialog->FindWindow(wxID_CANCEL)->GetRect();
    EXPECT_EQ(wxPoint(10, 10), tabs->GetPosition());
    EXPECT_GE(tabs->GetSize().y, tabs->GetBestSize().y + 150);
    EXPECT_LT(cancel.GetRight(), ok.GetLeft());
    EXPECT_EQ(cancel.y, ok.y);
    EXPECT_EQ(dialog->GetClientSize() - wxSize(10, 10),
              wxSize(ok.GetRight() + 1, ok.GetBottom() + 1));
}

// OK runs the standard dialog handling, which commits the timing row on screen; Cancel closes
// without committing. Each showing refreshes the pages from the table. "Next>>" from row 2
// commits row 2 before moving; nothing commits row 3, so a new dialog reopens at row 2 (250).
TEST_F(DebugDialogTest, OkCommitsTheRowOnScreenAndCancelDoesNot) {
    dialog->Show();
    spinCtrl(3)->SetValue(321);
    click(dialog, "&Cancel");
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[0].wdAllNumsAdjPercentage);

    dialog->Show();
    EXPECT_EQ(100, spinCtrl(3)->GetValue());
    spinCtrl(3)->SetValue(321);
    click(dialog, "&OK");
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(321, CFlitWordCalcs::kTimingTable[0].wdAllNumsAdjPercentage);

    dialog->Show();
    for (int i = 0; i < 3; ++i) {
        click(timingPage(), "Next>>");
    }
    click(dialog, "&Cancel");
    EXPECT_EQ(2, CFETimingConstantsPanel::kLastTimingTableDataIndex);
    CFEDebugDlg again;
    again.initialize(&manager);
    EXPECT_EQ("250", speedOf(notebookOf(&again)->GetPage(0)));
}

// With its pages gone the notebook still binds (to nothing) and both transfers fail.
TEST_F(DebugDialogTest, MissingPagesAreSkippedAndFailTheTransfers) {
    EXPECT_TRUE(dialog->TransferDataToWindow());
    EXPECT_TRUE(dialog->TransferDataFromWindow());
    dynamic_cast<CFEDebugNotebook*>(notebookOf(dialog))->zeroInit();
    EXPECT_TRUE(dialog->initialize(&manager));
    EXPECT_FALSE(dialog->TransferDataToWindow());
    EXPECT_FALSE(dialog->TransferDataFromWindow());
}

TEST(MetricsPanelTest, AnUnboundPageLeavesItsFieldsEmpty) {
    wxScopedPtr<wxFrame> frame(new wxFrame(nullptr, wxID_ANY, "metrics"));
    CFEMetricsPanel* page = new CFEMetricsPanel(frame.get(), 1, wxDefaultPosition, wxDefaultSize,
                                                wxTAB_TRAVERSAL, "panel");
    EXPECT_TRUE(page->TransferDataToWindow());
    EXPECT_EQ((std::vector<wxString>{"", "", ""}), valuesOf(page));
}

// Zeros before any reading; after a reading through a real engine, once the dialog transfers
// again, what the metrics report. Nothing typed reaches the metrics.
TEST_F(DebugDialogTest, MetricsPageShowsTheFiguresOfTheLastReading) {
    CZeroTimingTable zeroTiming;
    CTestHost host;
    CDataManager document;
    wxCDataInfoListNode* first = document.appendWord("Gulls");
    for (const char* word : {"over", "the", "grey", "harbour"}) {
        document.appendSpace();
        document.appendWord(word);
    }
    CFlitManager engine;
    host.attach(&engine);
    ASSERT_TRUE(
        engine.initialize(&document, host.mainFrame(), host.flitView(), host.assessmentView()));
    ASSERT_TRUE(dialog->initialize(&engine));
    EXPECT_EQ((std::vector<wxString>{"0", "0", "0"}), valuesOf(metricsPage()));
    for (wxTextCtrl* field : childrenOf<wxTextCtrl>(metricsPage())) {
        EXPECT_FALSE(field->IsEditable());
    }

    host.send(engine, EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) == 1; }));
    host.send(engine, EVT_FLIT_COMMAND_STOP_MSG);
    const CFlitMetricsData& metrics = *engine.getFlitMetricsData();
    const std::vector<wxString> figures = {"5",
                                           wxString::Format("%u", metrics.getDurationInMillisecs()),
                                           wxString::Format("%u", metrics.calcWpmSpeed())};
    for (int transfer = 0; transfer < 2; ++transfer) {
        EXPECT_TRUE(dialog->TransferDataToWindow());
        EXPECT_EQ(figures, valuesOf(metricsPage()));
    }
    EXPECT_TRUE(metricsPage()->TransferDataFromWindow());
    EXPECT_EQ(5u, metrics.getNumWordsDisplayed());

    delete dialog; // before the engine it is bound to
    dialog = nullptr;
    host.attach(nullptr);
}

TEST_F(DebugDialogTest, TimingPageShowsRowZeroAndStepsThroughTheRows) {
    EXPECT_EQ("25", speedOf(timingPage()));
    EXPECT_FALSE(enabled("<<Prev"));
    std::vector<wxString> speeds;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(enabled("Next>>"));
        click(timingPage(), "Next>>");
        speeds.push_back(speedOf(timingPage()));
        EXPECT_TRUE(enabled("<<Prev"));
    }
    EXPECT_EQ((std::vector<wxString>{"100", "250", "400", "550", "950"}), speeds);
    EXPECT_FALSE(enabled("Next>>"));
}

// A move commits the row on screen, each control into its own field, all but the speed, which
// the page never writes; coming back shows each field in its own control.
TEST_F(DebugDialogTest, TimingPageMoveCommitsEachFieldOfTheRow) {
    for (int k = 0; k < CTimingTableData::kFieldCount - 1; ++k) {
        spinCtrl(k)->SetValue(1000 + k);
    }
    click(timingPage(), "Next>>");
    EXPECT_EQ("100", speedOf(timingPage()));
    CFlitWordCalcs::kTimingTable[0].iwdCommaAdjPercentage = 1;
    click(timingPage(), "<<Prev");
    const CTimingTableData& row = CFlitWordCalcs::kTimingTable[0];
    EXPECT_EQ(25, row.speed);
    for (int k = 0; k < CTimingTableData::kFieldCount - 1; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(k == 5 ? 1 : 1000 + k, row.*CTimingTableData::kFields[k + 1]);
        EXPECT_EQ(k == 5 ? 1 : 1000 + k, spinCtrl(k)->GetValue());
    }
}

// Saving commits the row on screen first, even when the chooser is cancelled, and writes the
// settings file. Loading commits nothing: an uncommitted edit survives a cancelled chooser and
// is replaced by the table's value after a load, whether the file was taken or refused. A
// refused load or a failed save says why on the status line (a higher level would open a message
// box) and changes nothing.
TEST_F(DebugDialogTest, TimingPageSavesAndLoadsThroughTheChooserAndRealFiles) {
    const wxString saved = wxFileName(folder, "tuned.xml").GetFullPath();
    spinCtrl(1)->SetValue(555);
    EXPECT_EQ(std::vector<wxString>{chooserOf(wxFD_SAVE | wxFD_OVERWRITE_PROMPT)},
              clickWithChooser("Save Settings", ""));
    EXPECT_EQ(555, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    clickWithChooser("Save Settings", saved);
    wxXmlDocument file;
    ASSERT_TRUE(file.Load(saved));
    EXPECT_EQ("flit_word_calcs", file.GetRoot()->GetName());

    CFlitWordCalcs::restoreDefaultTimingTable();
    spinCtrl(1)->SetValue(77);
    EXPECT_EQ(std::vector<wxString>{chooserOf(wxFD_OPEN | wxFD_FILE_MUST_EXIST)},
              clickWithChooser("Load Settings", ""));
    EXPECT_EQ(77, spinCtrl(1)->GetValue());
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    clickWithChooser("Load Settings", saved);
    EXPECT_EQ(555, spinCtrl(1)->GetValue());

    const wxString refused = wxFileName(folder, "refused.xml").GetFullPath();
    file.GetRoot()->SetName("something_else");
    ASSERT_TRUE(file.Save(refused));
    spinCtrl(1)->SetValue(66);
    const wxString unwritable = saved + "/inside.xml";
    CLogged logged;
    clickWithChooser("Load Settings", refused);
    EXPECT_EQ(555, spinCtrl(1)->GetValue());
    EXPECT_EQ(555, CFlitWordCalcs::kTimingTable[0].wdLongerWordAdjPercentage);
    clickWithChooser("Save Settings", unwritable);
    EXPECT_EQ((std::vector<wxString>{
                  wxString::Format("%d Settings not loaded: '%s': its root element is "
                                   "<something_else>, not <flit_word_calcs>",
                                   int(wxLOG_Status), refused),
                  wxString::Format("%d Settings not saved: cannot write '%s': Not a directory",
                                   int(wxLOG_Status), unwritable)}),
              logged.messages);
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
        EXPECT_EQ(std::vector<wxString>{chooserOf(wxFD_SAVE | wxFD_OVERWRITE_PROMPT,
                                                  "XML Files (*.xml)|*.xml|All files (*)|*")},
                  cancel.asked);
    }
    EXPECT_EQ("unchanged", path);
    CFileChooserAnswer answer("/tmp/chosen.xml");
    EXPECT_TRUE(CCommonGuiUtils::BrowseForFile(true, filters, path, "", "", 1, 6));
    EXPECT_EQ("/tmp/chosen.xml", path);
}

} // namespace
