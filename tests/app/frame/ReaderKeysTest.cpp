// The reader's key table: which command each key, with its modifiers and what the window
// shows, asks for.

#include "frame/ReaderKeys.h"

#include <wx/defs.h>

#include <gtest/gtest.h>

namespace {

TEST(ReaderKeysTest, KeysMapToCommands) {
    using K = CReaderKeys;
    const struct {
        const char* key;
        int keyCode;
        wxChar unicode;
        int modifiers;
        bool keysShown, fullScreen, assessmentShown;
        K::eCommand command;
    } cases[] = {
        {"any key closes the list", WXK_SPACE, ' ', wxMOD_NONE, true, false, true, K::eCloseKeys},
        {"?", '/', '?', wxMOD_SHIFT, false, false, false, K::eShowKeys},
        {"F1", WXK_F1, 0, wxMOD_NONE, false, false, false, K::eShowKeys},
        {"Ctrl+F1", WXK_F1, 0, wxMOD_CONTROL, false, false, false, K::eNone},
        {"F11", WXK_F11, 0, wxMOD_NONE, false, false, false, K::eFullScreen},
        {"Shift+L", 'L', 'L', wxMOD_SHIFT, false, false, false, K::eOpenLink},
        {"Ctrl+L is the menu's", 'L', 'L', wxMOD_CONTROL, false, false, false, K::eNone},
        {"A over an assessment", 'A', 'a', wxMOD_NONE, false, false, true, K::eReadAttachment},
        {"Space over an assessment", WXK_SPACE, ' ', wxMOD_NONE, false, false, true, K::eContinue},
        {"Return over an assessment", WXK_RETURN, 0, wxMOD_NONE, false, false, true, K::eContinue},
        {"Return", WXK_RETURN, 0, wxMOD_NONE, false, false, false, K::eNone},
        {"Space", WXK_SPACE, ' ', wxMOD_NONE, false, false, false, K::ePause},
        {"Shift+Space", WXK_SPACE, ' ', wxMOD_SHIFT, false, false, false, K::eNone},
        {"Home", WXK_HOME, 0, wxMOD_NONE, false, false, false, K::eStart},
        {"Esc", WXK_ESCAPE, 0, wxMOD_NONE, false, false, false, K::eStop},
        {"Esc in full screen", WXK_ESCAPE, 0, wxMOD_NONE, false, true, false,
         K::eStopLeavingFullScreen},
        {"Ctrl+Esc in full screen", WXK_ESCAPE, 0, wxMOD_CONTROL, false, true, false, K::eNone},
        {"Left", WXK_LEFT, 0, wxMOD_NONE, false, false, false, K::eSentenceBack},
        {"Ctrl+Right", WXK_RIGHT, 0, wxMOD_CONTROL, false, false, false, K::eParagraphForward},
        {"Shift+Left", WXK_LEFT, 0, wxMOD_SHIFT, false, false, false, K::eNone},
        {"Alt+Left", WXK_LEFT, 0, wxMOD_ALT, false, false, false, K::eGoBack},
        {"Alt+Right", WXK_RIGHT, 0, wxMOD_ALT, false, false, false, K::eGoForward},
        {"Ctrl+B", 'B', 2, wxMOD_CONTROL, false, false, false, K::eAddBookmark},
        {"Ctrl+Shift+B", 'B', 2, wxMOD_CONTROL | wxMOD_SHIFT, false, false, false,
         K::eShowBookmarks},
        {"Down", WXK_DOWN, 0, wxMOD_NONE, false, false, false, K::eSlower},
        {"Ctrl+Up", WXK_UP, 0, wxMOD_CONTROL, false, false, false, K::eNone},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.key);
        K::SPress press;
        press.keyCode = entry.keyCode;
        press.unicode = entry.unicode;
        press.modifiers = entry.modifiers;
        press.keysShown = entry.keysShown;
        press.fullScreen = entry.fullScreen;
        press.assessmentShown = entry.assessmentShown;
        EXPECT_EQ(entry.command, K::commandFor(press));
    }
}

TEST(ReaderKeysTest, EscCancelsAnOpenFirst) {
    CReaderKeys::SPress press;
    press.keyCode = WXK_ESCAPE;
    press.opening = press.fullScreen = true;
    EXPECT_EQ(CReaderKeys::eCancelOpen, CReaderKeys::commandFor(press));
}

} // namespace
