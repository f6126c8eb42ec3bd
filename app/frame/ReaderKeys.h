#ifndef FLIT_APP_READERKEYS_H
#define FLIT_APP_READERKEYS_H

#include <wx/chartype.h>

class CReaderFrame;
class CViewComfort;
class wxKeyEvent;

// The reader's keys: maps each key the frame sees first to one of its commands, the way the
// menus map their items. The reading keys are plain keys that GTK will not take as menu
// accelerators, and the comfort keys must work in full screen, which hides the menus.
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
        eCancelOpen,
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
        bool opening = false; // a document opens in the background
    };

    // The command a key press asks for. Needs no window.
    static eCommand commandFor(const SPress& press);

    // Takes the frame's keys before its windows do.
    CReaderKeys(CReaderFrame* frame, CViewComfort& comfort);

private:
    void onCharHook(wxKeyEvent& event);

    CReaderFrame* frame;
    CViewComfort& comfort;
};

#endif
