#include "ProgressStrip.h"

#include <wx/dcclient.h>

namespace {

const int kHeight = 8;
const wxColour kTrough(210, 210, 210);
const wxColour kFill(70, 130, 220);

} // namespace

CProgressStrip::CProgressStrip(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(1, kHeight), wxBORDER_NONE,
               "progressStrip") {
    SetMinSize(wxSize(1, kHeight));
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CProgressStrip::onPaint, this);
}

void CProgressStrip::setValue(int newValue) {
    newValue = wxMax(0, wxMin(newValue, kRange));
    if (newValue != value) {
        value = newValue;
        Refresh();
    }
}

void CProgressStrip::draw(wxDC& dc, const wxRect& rect) const {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(kTrough));
    dc.DrawRectangle(rect);
    const int filled = static_cast<int>(static_cast<long long>(rect.width) * value / kRange);
    if (filled > 0) {
        dc.SetBrush(wxBrush(kFill));
        dc.DrawRectangle(rect.x, rect.y, filled, rect.height);
    }
}

void CProgressStrip::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    draw(dc, wxRect(GetClientSize()));
}
