#include "view/ProgressStrip.h"

#include <wx/dcclient.h>

namespace {

// Tall enough to hit with the pointer without aiming.
const int kHeight = 10;
const wxColour kTrough(210, 210, 210);
const wxColour kFill(70, 130, 220);

} // namespace

CProgressStrip::CProgressStrip(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(1, kHeight), wxBORDER_NONE,
               "progressStrip") {
    SetMinSize(wxSize(1, kHeight));
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetCursor(wxCursor(wxCURSOR_HAND));
    SetToolTip("Click or drag to move the reading position");
    Bind(wxEVT_PAINT, &CProgressStrip::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CProgressStrip::onMouse, this);
    Bind(wxEVT_MOTION, &CProgressStrip::onMouse, this);
    Bind(wxEVT_LEFT_UP, &CProgressStrip::onMouse, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { endDrag(); });
}

void CProgressStrip::setValue(int newValue) {
    value = wxMax(0, wxMin(newValue, kRange));
    if (!dragging) {
        show(value);
    }
}

void CProgressStrip::show(int newValue) {
    if (newValue != shownValue) {
        shownValue = newValue;
        Refresh();
    }
}

void CProgressStrip::onMouse(wxMouseEvent& event) {
    const int width = GetClientSize().x;
    if (width <= 0) {
        return;
    }
    const int x = wxMax(0, wxMin(event.GetX(), width));
    const int at = static_cast<int>(static_cast<long long>(x) * kRange / width);
    if (event.LeftDown()) {
        dragging = true;
        if (!HasCapture()) {
            CaptureMouse();
        }
    } else if (event.LeftUp()) {
        endDrag();
        return;
    } else if (!dragging || !event.LeftIsDown()) {
        return;
    }
    if (at != shownValue || event.LeftDown()) {
        show(at);
        if (seek) {
            seek(at, !event.LeftDown());
        }
    }
}

void CProgressStrip::endDrag() {
    if (HasCapture()) {
        ReleaseMouse();
    }
    dragging = false;
    show(value);
}

void CProgressStrip::draw(wxDC& dc, const wxRect& rect) const {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(kTrough));
    dc.DrawRectangle(rect);
    const int filled = static_cast<int>(static_cast<long long>(rect.width) * shownValue / kRange);
    if (filled > 0) {
        dc.SetBrush(wxBrush(kFill));
        dc.DrawRectangle(rect.x, rect.y, filled, rect.height);
    }
}

void CProgressStrip::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    draw(dc, wxRect(GetClientSize()));
}
