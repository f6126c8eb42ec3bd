#ifndef FLIT_APP_PROGRESSSTRIP_H
#define FLIT_APP_PROGRESSSTRIP_H

#include <wx/window.h>

// The thin bar under the view that shows how far reading has come. The reader draws it itself
// from one value: it changes together with the status bar's word position, and a screenshot
// draws it the same way. (The toolkit's progress bar did not redraw its fill when its value
// changed, so after a move it went on showing an older position.)
class CProgressStrip : public wxWindow {
public:
    static const int kRange = 1000;

    explicit CProgressStrip(wxWindow* parent);

    // Parts of kRange; values outside 0 to kRange are held at the nearest end.
    void setValue(int value);
    int getValue() const { return value; }
    // Draws the strip into rect; nothing when the rect is empty.
    void draw(wxDC& dc, const wxRect& rect) const;

private:
    void onPaint(wxPaintEvent& event);

    int value = 0;
};

#endif
