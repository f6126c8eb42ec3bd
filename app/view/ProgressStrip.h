#ifndef FLIT_APP_PROGRESSSTRIP_H
#define FLIT_APP_PROGRESSSTRIP_H

#include <wx/window.h>

#include <functional>
#include <utility>

// The thin bar under the view that shows how far reading has come, and moves the reading
// position when clicked or dragged. The reader draws it itself from one value: it changes
// together with the status bar's word position, and a screenshot draws it the same way. (The
// toolkit's progress bar did not redraw its fill when its value changed, so after a move it
// went on showing an older position.)
class CProgressStrip : public wxWindow {
public:
    static const int kRange = 1000;

    explicit CProgressStrip(wxWindow* parent);

    // Parts of kRange; values outside 0 to kRange are held at the nearest end. While the user
    // drags, the strip shows where the pointer is rather than the value set.
    void setValue(int value);
    int getValue() const { return value; }
    // Called with the value under the pointer when the user presses on the strip (dragged
    // false), and again for each new value while dragging (dragged true: the same move).
    void setSeekHandler(std::function<void(int value, bool dragged)> handler) {
        seek = std::move(handler);
    }
    // Draws the strip into rect; nothing when the rect is empty.
    void draw(wxDC& dc, const wxRect& rect) const;

private:
    void onPaint(wxPaintEvent& event);
    void onMouse(wxMouseEvent& event);
    void endDrag();
    void show(int newValue);

    int value = 0;
    int shownValue = 0;
    bool dragging = false;
    std::function<void(int, bool)> seek;
};

#endif
