#include "DebugTestSupport.h"

#include "debug/FEDebugNotebook.h"

#include <wx/app.h>
#include <wx/windowid.h>

namespace {

TEST_F(DebugDialogTest, DefaultDialogHasItsTitleStyleTabsAndButtonRow) {
    EXPECT_EQ("FlitEngine Debug", dialog->GetTitle());
    EXPECT_EQ("dialogBox", dialog->GetName());
    for (long flag : {wxCAPTION, wxCLOSE_BOX, wxSYSTEM_MENU, wxRESIZE_BORDER}) {
        EXPECT_TRUE(dialog->HasFlag(flag)) << flag;
    }
    EXPECT_EQ(nullptr, dialog->GetParent());
    // Created with -1 (wxID_ANY), for which the toolkit assigns an id of its own range.
    EXPECT_GE(dialog->GetId(), wxID_AUTO_LOWEST);
    EXPECT_LE(dialog->GetId(), wxID_AUTO_HIGHEST);

    wxNotebook* tabs = notebookOf(dialog);
    ASSERT_EQ(2u, tabs->GetPageCount());
    EXPECT_EQ("Timing Calcs Info", tabs->GetPageText(0));
    EXPECT_EQ("Metrics Info", tabs->GetPageText(1));
    EXPECT_EQ(0, tabs->GetSelection());
    ASSERT_NE(nullptr, timingPage());
    ASSERT_NE(nullptr, metricsPage());
    EXPECT_EQ(0, timingPage()->GetId());
    EXPECT_EQ(1, metricsPage()->GetId());
    EXPECT_EQ("panel", timingPage()->GetName());
    EXPECT_EQ("panel", metricsPage()->GetName());

    // Below the notebook, which has a 10-pixel border and takes any extra height, Cancel then
    // OK stand at the right-hand end of the row.
    dialog->Show();
    dialog->SetSize(dialog->GetSize() + wxSize(120, 150));
    for (int i = 0; i < 20; ++i) {
        wxTheApp->Yield(true);
    }
    dialog->Layout();
    const wxRect ok = dialog->FindWindow(wxID_OK)->GetRect();
    const wxRect cancel = dialog->FindWindow(wxID_CANCEL)->GetRect();
    const wxSize client = dialog->GetClientSize();
    EXPECT_EQ(wxPoint(10, 10), tabs->GetPosition());
    EXPECT_GE(tabs->GetSize().y, tabs->GetBestSize().y + 150);
    EXPECT_LT(cancel.GetRight(), ok.GetLeft());
    EXPECT_EQ(cancel.y, ok.y);
    EXPECT_EQ(client - wxSize(10, 10), wxSize(ok.GetRight() + 1, ok.GetBottom() + 1));
}

// OK runs the standard dialog handling, which commits the timing row on screen; Cancel closes
// without committing. Each showing refreshes the pages from the table.
TEST_F(DebugDialogTest, OkCommitsTheEditedRowAndCancelDoesNot) {
    dialog->Show();
    spinCtrls()[3]->SetValue(321);
    click(dialog, "&Cancel");
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[0].wdAllNumsAdjPercentage);

    dialog->Show();
    EXPECT_EQ(100, spinCtrls()[3]->GetValue());
    spinCtrls()[3]->SetValue(321);
    click(dialog, "&OK");
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(321, CFlitWordCalcs::kTimingTable[0].wdAllNumsAdjPercentage);
}

// "Next>>" from row 2 commits row 2 before moving; nothing commits row 3, so a new dialog
// reopens at row 2 (speed 250).
TEST_F(DebugDialogTest, ANewDialogReopensAtTheLastCommittedRow) {
    for (int i = 0; i < 3; ++i) {
        click(timingPage(), "Next>>");
    }
    click(dialog, "&Cancel");
    EXPECT_EQ(2, CFETimingConstantsPanel::kLastTimingTableDataIndex);

    CFEDebugDlg again;
    again.initialize(&manager);
    EXPECT_EQ("250", speedTextOf(notebookOf(&again)->GetPage(0)));
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

} // namespace
