#ifndef FLIT_APP_READERKEYS_H
#define FLIT_APP_READERKEYS_H

#include <wx/chartype.h>

#include <set>

class CReaderFrame;
class CViewComfort;
class wxKeyEvent;
class wxMenu;
class wxWindow;

// The reader's keys: maps each key the frame sees first to one of its commands, the way the
// menus map their items. The reading keys are plain keys that GTK will not take as menu
// accelerators, and the comfort keys must work in full screen, which hides the menus. While a
// menu is open, or a text field or a dialog has the focus, every key goes on to it.
class CReaderKeys {
public:
    // What a key asks for.
    enum eCommand {
        eNone, // not a reader key: it goes on to the focused window
        eCloseKeys,
        eShowKeys,
        eFullScreen,
        eOpenLink,
        eReadAttachment,
        eShowNote,
        eContinue,
        eStart,
        ePause,
        eStop,
        eStopLeavingFullScreen,
        eSentenceBack,
        eSentenceForward,
        eParagraphBack,
        eParagraphForward,
        eFaster,
        eSlower,
        eGoBack,
        eGoForward,
        eAddBookmark,
        eShowBookmarks,
        eCancelOpen,
        // Word steps, while paused or stopped.
        eWordBack,
        eWordForward,
        // The reading modes of the View menu: 1 to 5 words per flash (the digit typed), the
        // neighbouring words and the page pane on or off.
        eWordsPerFlash,
        eNeighbourWords,
        ePagePane,
    };
    // A key pressed (its code, its character and the wxMOD_ modifiers held) and what the
    // window shows at the time.
    struct SPress {
        int keyCode = 0;
        wxChar unicode = 0;
        int modifiers = 0;
        bool keysShown = false;
        bool fullScreen = false;
        bool assessmentShown = false;
        // The keyboard is the user's elsewhere: a menu is open, a text field or another
        // window (a dialog) has the focus. The keys then go there.
        bool elsewhere = false;
        bool opening = false; // a document opens in the background
    };

    // The command a key press asks for. Needs no window.
    static eCommand commandFor(const SPress& press);

    // Takes the frame's keys before its windows do.
    CReaderKeys(CReaderFrame* frame, CViewComfort& comfort);

    // Whether the window with the focus takes keys of its own away from the frame: a text
    // field (a find bar's), or a window of another top-level window (a dialog). Needs no focus.
    static bool focusElsewhere(wxWindow* focus, const wxWindow* frame);

private:
    void onCharHook(wxKeyEvent& event);
    // A menu is open, or the focus is elsewhere.
    bool keyboardElsewhere() const;

    CReaderFrame* frame;
    CViewComfort& comfort;
    // The menus open now (a submenu opens inside its menu).
    std::set<const wxMenu*> menusOpen;
};

#endif
