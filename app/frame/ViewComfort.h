#ifndef FLIT_APP_VIEWCOMFORT_H
#define FLIT_APP_VIEWCOMFORT_H

#include <wx/timer.h>

#include <functional>

class CKeysOverlay;
class wxRect;
class wxWindow;

// The comforts over the reader's view: the pointer, hidden over the view while reading once it
// rests, and the list of every key, shown over the view until the next key or click.
class CViewComfort {
public:
    // reading: whether words are being read now.
    CViewComfort(wxWindow* frame, wxWindow* view, std::function<bool()> reading);

    // Hides the pointer over the view while reading and it rests; shows it otherwise.
    void updatePointer();

    void showKeys(const wxRect& over);
    bool keysShown() const;
    void closeKeys();

private:
    wxWindow* view;
    std::function<bool()> reading;
    CKeysOverlay* keysOverlay;
    // Runs while the pointer, moved while reading, is shown over the view.
    wxTimer pointerTimer;
    bool pointerHidden = false;
};

#endif
