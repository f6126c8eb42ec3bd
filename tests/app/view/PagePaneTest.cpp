// The page under the flash in a real reader window: it follows every move, keeps the word
// read marked and in view, and a click on a word reads on from there.

#include "view/PagePane.h"
#include "frame/ReaderFrame.h"
#include "frame/ReaderFrameIds.h"
#include "reading/ReadingNavigator.h"
#include "view/FlitView.h"

#include "support/ReaderWindowTest.h"

#include <gtest/gtest.h>
#include <wx/menu.h>

#include <functional>

namespace {

class PagePaneTest : public ReaderWindowTest {};

TEST_F(PagePaneTest, FollowsMovesAndMovesWhereClicked) {
    openFrame({}, FLIT_SAMPLES_DIR "/lighthouse.txt");
    CPagePane* pane = frame->getPagePane();
    CReadingNavigator* navigator = frame->getNavigator();
    // Both off by default.
    EXPECT_FALSE(pane->IsShown());
    EXPECT_FALSE(frame->getFlitView()->getNeighboursShown());
    EXPECT_FALSE(frame->GetMenuBar()->IsChecked(ID_PAGE_PANE));
    wxCommandEvent choose(wxEVT_MENU, ID_PAGE_PANE);
    choose.SetInt(1);
    frame->ProcessWindowEvent(choose);
    ASSERT_TRUE(pane->IsShown());
    EXPECT_TRUE(frame->getPreferences().pagePane);

    wxCDataInfoListNode* clicked = nullptr;
    const struct {
        const char* move;
        std::function<void()> act;
    } moves[] = {
        {"the strip, far in", [&] { frame->seekTo(700); }},
        {"a sentence on", [&] { frame->moveBySentence(1); }},
        {"a paragraph back", [&] { frame->moveByParagraph(-1); }},
        {"a click on a word further down",
         [&] {
             clicked = navigator->itemOfWord(navigator->wordsBefore(frame->getPlace()) + 20);
             const wxRect word = pane->wordRect(clicked);
             ASSERT_FALSE(word.IsEmpty());
             wxMouseEvent click(wxEVT_LEFT_DOWN);
             click.m_x = word.x + word.width / 2;
             click.m_y = word.y + word.height / 2;
             pane->ProcessWindowEvent(click);
             EXPECT_EQ(clicked, frame->getPlace());
             EXPECT_TRUE(frame->canGoBack());
         }},
        {"the start", [&] { frame->seekTo(0); }},
    };
    for (const auto& move : moves) {
        SCOPED_TRACE(move.move);
        move.act();
        EXPECT_TRUE(pumpUntil([&] { return pane->getMarked() == frame->getPlace(); }));
        const wxRect marked = pane->wordRect(pane->getMarked());
        EXPECT_FALSE(marked.IsEmpty());
        EXPECT_TRUE(wxRect(pane->GetClientSize()).Contains(marked));
    }

    // While reading it keeps up, a few times a second.
    frame->togglePause();
    wxCDataInfoListNode* first = pane->getMarked();
    EXPECT_TRUE(pumpUntil([&] {
        return pane->getMarked() != first && !pane->wordRect(pane->getMarked()).IsEmpty();
    }));
}

} // namespace
