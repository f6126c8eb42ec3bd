#ifndef FLIT_APP_VIEWCOMFORT_H
#define FLIT_APP_VIEWCOMFORT_H

#include <wx/timer.h>

#include <functional>

class CKeysOverlay;
class wxFrame;
class wxWindow;

// The comforts over the reader's view: the pointer, hidden over the view while reading once it
// rests; the list of every key, shown over the view until the next key or click; and full
// screen, which keeps the status bar.
class CViewComfort {
public:
    // view, assessment: the two views, one shown at a time; reading: whether words are being
    // read now.
    CViewComfort(wxFrame* frame, wxWindow* view, wxWindow* assessment,
                 std::function<bool()> reading);

    // Hides the pointer over the view while reading and it rests; shows it otherwise.
    void updatePointer();

    // Over the view shown; it follows the window's size.
    void showKeys();
    bool keysShown() const;
    void closeKeys();

    void toggleFullScreen();

private:
    wxFrame* frame;
    wxWindow* view;
    wxWindow* assessment;
    std::function<bool()> reading;
    CKeysOverlay* keysOverlay;
    // Runs while the pointer, moved while reading, is shown over the view.
    wxTimer pointerTimer;
    bool pointerHidden = false;
};

#endif
