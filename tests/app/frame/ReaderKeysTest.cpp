// The reader's key table: which command each key, with its modifiers and what the window
// shows, asks for. Each key's plain use is seen through a real frame by the keys overlay's
// table (MenuCommandsTest); here, the modifiers and the states that change or refuse it.

#include "frame/ReaderKeys.h"

#include <wx/defs.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ReaderKeysTest, KeysMapToCommands) {
    using K = CReaderKeys;
    const struct {
        const char* key;
        int keyCode;
        wxChar unicode;
        int modifiers;
        // k: the keys list shows, f: full screen, a: an assessment shows, o: a document
        // opens, e: the keyboard is elsewhere (a menu, a text field, a dialog)
        const char* state;
        K::eCommand command;
    } cases[] = {
        {"any key closes the list", WXK_SPACE, ' ', wxMOD_NONE, "ka", K::eCloseKeys},
        {"?", '/', '?', wxMOD_SHIFT, "", K::eShowKeys},
        {"Ctrl+F1", WXK_F1, 0, wxMOD_CONTROL, "", K::eNone},
        {"Shift+L", 'L', 'L', wxMOD_SHIFT, "", K::eOpenLink},
        {"Ctrl+L is the menu's", 'L', 'L', wxMOD_CONTROL, "", K::eNone},
        {"A over an assessment", 'A', 'a', wxMOD_NONE, "a", K::eReadAttachment},
        {"Space over an assessment", WXK_SPACE, ' ', wxMOD_NONE, "a", K::eContinue},
        {"Return over an assessment", WXK_RETURN, 0, wxMOD_NONE, "a", K::eContinue},
        {"Return", WXK_RETURN, 0, wxMOD_NONE, "", K::eNone},
        {"Shift+Space", WXK_SPACE, ' ', wxMOD_SHIFT, "", K::eNone},
        {"Space elsewhere", WXK_SPACE, ' ', wxMOD_NONE, "e", K::eNone},
        {"Esc in full screen", WXK_ESCAPE, 0, wxMOD_NONE, "f", K::eStopLeavingFullScreen},
        {"Esc cancels an open first", WXK_ESCAPE, 0, wxMOD_NONE, "fo", K::eCancelOpen},
        {"Ctrl+Esc in full screen", WXK_ESCAPE, 0, wxMOD_CONTROL, "f", K::eNone},
        {"Shift+Left", WXK_LEFT, 0, wxMOD_SHIFT, "", K::eWordBack},
        {"Ctrl+, is the menu's", ',', ',', wxMOD_CONTROL, "", K::eNone},
        {"Ctrl+Up", WXK_UP, 0, wxMOD_CONTROL, "", K::eNone},
        {"5 on the keypad", WXK_NUMPAD5, '5', wxMOD_NONE, "", K::eWordsPerFlash},
        {"Shift+1 on a layout typing digits so", '&', '1', wxMOD_SHIFT, "", K::eWordsPerFlash},
        {"6 is past the most", '6', '6', wxMOD_NONE, "", K::eNone},
        {"Ctrl+1", '1', '1', wxMOD_CONTROL, "", K::eNone},
        {"Shift+W", 'W', 'W', wxMOD_SHIFT, "", K::eNone},
        {"P elsewhere", 'P', 'p', wxMOD_NONE, "e", K::eNone},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.key);
        K::SPress press;
        press.keyCode = entry.keyCode;
        press.unicode = entry.unicode;
        press.modifiers = entry.modifiers;
        press.keysShown = std::strchr(entry.state, 'k') != nullptr;
        press.fullScreen = std::strchr(entry.state, 'f') != nullptr;
        press.assessmentShown = std::strchr(entry.state, 'a') != nullptr;
        press.opening = std::strchr(entry.state, 'o') != nullptr;
        press.elsewhere = std::strchr(entry.state, 'e') != nullptr;
        EXPECT_EQ(entry.command, K::commandFor(press));
    }
}

} // namespace
