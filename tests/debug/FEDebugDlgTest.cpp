#include "DebugTestSupport.h"

#include "debug/FEDebugNotebook.h"

#include <wx/windowid.h>

namespace {

TEST_F(DebugDialogTest, DefaultDialogHasItsTitleStyleAndTwoPages) {
    EXPECT_EQ("FlitEngine Debug", dialog->GetTitle());
    EXPECT_EQ("dialogBox", dialog->GetName());
    for (long flag : {wxCAPTION, wxCLOSE_BOX, wxSYSTEM_MENU, wxRESIZE_BORDER}) {
        EXPECT_TRUE(dialog->HasFlag(flag)) << std::hex << flag;
    }
    EXPECT_EQ(nullptr, dialog->GetParent());
    // Created with -1 (wxID_ANY), for which the toolkit assigns an id of its own range.
    EXPECT_GE(dialog->GetId(), wxID_AUTO_LOWEST);
    EXPECT_LE(dialog->GetId(), wxID_AUTO_HIGHEST);

    wxNotebook* tabs = notebook();
    EXPECT_EQ("notebook", tabs->GetName());
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
    EXPECT_TRUE(timingPage()->HasFlag(wxTAB_TRAVERSAL));
}

// The notebook has a 10-pixel border and takes any extra height; Cancel then OK stand at the
// right-hand end of the row below it.
TEST_F(DebugDialogTest, ButtonsSitRightBelowTheNotebookCancelFirst) {
    wxButton* ok = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_OK));
    wxButton* cancel = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_CANCEL));
    ASSERT_NE(nullptr, ok);
    ASSERT_NE(nullptr, cancel);
    EXPECT_EQ("&OK", ok->GetLabel());
    EXPECT_EQ("&Cancel", cancel->GetLabel());

    dialog->Show();
    const wxSize fitted = dialog->GetSize();
    dialog->SetSize(fitted + wxSize(120, 150));
    pumpGui();
    dialog->Layout();

    const wxRect tabs = notebook()->GetRect();
    const wxSize client = dialog->GetClientSize();
    EXPECT_EQ(wxPoint(10, 10), tabs.GetPosition());
    EXPECT_LT(cancel->GetRect().GetRight(), ok->GetRect().GetLeft());
    EXPECT_EQ(client.x - 10, ok->GetRect().GetRight() + 1);
    EXPECT_EQ(client.y - 10, ok->GetRect().GetBottom() + 1);
    EXPECT_EQ(ok->GetPosition().y, cancel->GetPosition().y);
    EXPECT_EQ(tabs.GetBottom() + 1 + 10 + 10, ok->GetPosition().y);
    EXPECT_GE(tabs.height, notebook()->GetBestSize().y + 150);
}

// OK runs the standard dialog handling, which commits the timing row on screen; Cancel closes
// without committing. Each showing refreshes the pages from the table.
TEST_F(DebugDialogTest, OkCommitsTheEditedRowAndCancelDoesNot) {
    dialog->Show();
    pumpGui();
    spinCtrls()[3]->SetValue(321);
    click(buttonLabelled(dialog, "&Cancel"));
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(100, CFlitWordCalcs::kTimingTable[0].wdAllNumsAdjPercentage);

    dialog->Show();
    pumpGui();
    EXPECT_EQ(100, spinCtrls()[3]->GetValue()) << "showing again shows the table";
    spinCtrls()[3]->SetValue(321);
    click(buttonLabelled(dialog, "&OK"));
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_EQ(321, CFlitWordCalcs::kTimingTable[0].wdAllNumsAdjPercentage);
}

// "Next>>" commits row 2 before moving; nothing commits row 3, so a new dialog reopens at 2.
TEST_F(DebugDialogTest, ANewDialogReopensAtTheLastCommittedRow) {
    click(pageButton("Next>>"));
    click(pageButton("Next>>"));
    EXPECT_EQ(1, CFETimingConstantsPanel::kLastTimingTableDataIndex);
    click(pageButton("Next>>"));
    click(buttonLabelled(dialog, "&Cancel"));
    EXPECT_EQ(2, CFETimingConstantsPanel::kLastTimingTableDataIndex);

    CFEDebugDlg again;
    again.initialize(&manager);
    CFETimingConstantsPanel* page =
        dynamic_cast<CFETimingConstantsPanel*>(childrenOf<wxNotebook>(&again).at(0)->GetPage(0));
    EXPECT_EQ("250", childrenOf<wxStaticText>(page).at(1)->GetLabel()) << "row 2";
    EXPECT_TRUE(buttonLabelled(page, "<<Prev")->IsEnabled());
}

// A notebook whose pages do not exist still binds (nothing to bind) and reports the failure
// from both transfers.
TEST_F(DebugDialogTest, MissingPagesAreSkippedAndFailTheTransfers) {
    CFEDebugNotebook* tabs = dynamic_cast<CFEDebugNotebook*>(notebook());
    ASSERT_NE(nullptr, tabs);
    EXPECT_TRUE(tabs->TransferDataToWindow());
    EXPECT_TRUE(dialog->TransferDataFromWindow());
    tabs->zeroInit();
    EXPECT_TRUE(dialog->initialize(&manager));
    EXPECT_FALSE(dialog->TransferDataToWindow());
    EXPECT_FALSE(dialog->TransferDataFromWindow());
}

} // namespace
