// The find bar in a real frame: typing, Enter, F3 and Esc as the user meets them.

#include "view/FindBar.h"
#include "frame/ReaderFrame.h"
#include "frame/ReaderFrameIds.h"
#include "reading/ReadingNavigator.h"

#include "support/ReaderWindowTest.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/srchctrl.h>

#include <functional>
#include <string>

namespace {

class FindBarTest : public ReaderWindowTest {};

TEST_F(FindBarTest, FindsMovesReadingAndKeepsItsKeys) {
    openFrame();
    CDocumentImporter importer;
    // Café at words 8 and 14, harbour at 1, 12 and 21.
    frame->openImported(importer.importText("The harbour wakes. A gull cries over the café. "
                                            "Boats leave the harbour. The Café opens late. "
                                            "Night falls on the harbour.",
                                            CDocumentImporter::ePlainText, folder),
                        "harbour.txt");
    CFindBar* bar = frame->getFindBar();
    const auto menu = [&](int id) {
        wxCommandEvent command(wxEVT_MENU, id);
        frame->ProcessWindowEvent(command);
    };
    // Pressed in the bar's field: from there up to the frame.
    const auto key = [&](int code, bool shift = false) {
        wxKeyEvent press(wxEVT_CHAR_HOOK);
        press.m_keyCode = code;
        press.m_uniChar = static_cast<wxChar>(code < WXK_START ? code : 0);
        press.m_shiftDown = shift;
        press.SetEventObject(bar->getField());
        bar->getField()->ProcessWindowEvent(press);
    };
    // The word reading goes on from; the word count (22) before any move.
    const auto place = [&] { return frame->getNavigator()->wordsBefore(frame->getResumeNode()); };
    const struct {
        const char* step;
        std::function<void()> act;
        const char* status; // what the bar says after
        size_t place;
    } steps[] = {
        {"Ctrl+F", [&] { menu(ID_FIND); }, "", 22},
        {"typing shows the first match", [&] { bar->getField()->SetValue("cafe"); }, "1 of 2", 22},
        {"Space, arrows and Home stay in the bar",
         [&] {
             for (int code : {WXK_SPACE, WXK_LEFT, WXK_UP, WXK_HOME}) {
                 key(code);
             }
         },
         "1 of 2", 22},
        {"Enter moves there", [&] { key(WXK_RETURN); }, "1 of 2", 8},
        {"Enter again, to the next", [&] { key(WXK_RETURN); }, "2 of 2", 14},
        {"F3 goes round", [&] { menu(ID_FIND_NEXT); }, "1 of 2, wrapped to the start", 8},
        {"Shift+Enter back round", [&] { key(WXK_RETURN, true); }, "2 of 2, wrapped to the end",
         14},
        {"refined from the match", [&] { bar->getField()->SetValue("harbour"); }, "3 of 3", 14},
        {"nothing found", [&] { bar->getField()->SetValue("lighthouse"); }, "No matches", 14},
        {"Esc closes", [&] { key(WXK_ESCAPE); }, "No matches", 14},
    };
    // The words are made ready on a worker: a search typed before then says so and runs after.
    const wxString preparing = wxString::FromUTF8("Preparing the search…");
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        EXPECT_TRUE(pumpUntil([&] { return bar->getStatus() != preparing; }));
        EXPECT_EQ(step.status, bar->getStatus());
        EXPECT_EQ(step.place, place());
        EXPECT_NE(CReaderFrame::eReading, frame->getReading());
    }
    EXPECT_FALSE(bar->IsShown());
    // F3 with the bar closed repeats the last search from where reading is.
    bar->getField()->ChangeValue("Harbour");
    menu(ID_FIND_NEXT);
    EXPECT_EQ(21u, place());
    EXPECT_EQ(wxString::FromUTF8("…The Café opens late. Night falls on the harbour."),
              bar->getContext());
}

} // namespace
