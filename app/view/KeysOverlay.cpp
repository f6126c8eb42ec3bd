#include "view/KeysOverlay.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

namespace {

const wxColour kPanel(32, 36, 46);
const wxColour kBorder(110, 120, 140);
const wxColour kKeyText(255, 214, 120);
const wxColour kActionText(235, 235, 235);
const int kMargin = 16;
const int kColumnGap = 24;
const int kLineGap = 4;
const char* const kTitle = "Keys (any key or a click closes this)";

} // namespace

CKeysOverlay::CKeysOverlay(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE, "keysOverlay") {
    Hide();
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(font.GetPointSize() + 1);
    boldFont = font.Bold();
    Bind(wxEVT_PAINT, &CKeysOverlay::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) { close(); });
    Bind(wxEVT_RIGHT_DOWN, [this](wxMouseEvent&) { close(); });
}

const std::vector<std::pair<const char*, const char*>>& CKeysOverlay::keys() {
    static const std::vector<std::pair<const char*, const char*>> table = {
        {"Home", "start from the beginning"},
        {"Space", "pause / continue"},
        {"Esc", "cancel an open; else stop (and leave full screen)"},
        {"Left / Right", "back / forward one sentence"},
        {"Ctrl+Left / Ctrl+Right", "back / forward one paragraph"},
        {", / . or Shift+Left / Shift+Right", "paused or stopped: back / forward one word"},
        {"Up / Down", "faster / slower (by 10 wpm below 200, by 25 from 200)"},
        {"Click or drag the bar", "move the reading position"},
        {"Alt+Left / Alt+Right", "back / forward to where a jump left"},
        {"Ctrl+B / Ctrl+Shift+B", "add a bookmark / list the bookmarks"},
        {"L", "open the last link shown in the browser"},
        {"A", "read the attachment just announced"},
        {"N", "show the whole of the last note passed"},
        {"1 to 5", "words per flash"},
        {"W / P", "neighbouring words / the page under the flash"},
        {"F11", "full screen on / off"},
        {"F1 or ?", "this list of keys"},
        {"Ctrl+O / Ctrl+V", "open a document / paste one"},
        {"Ctrl+G", "choose a chapter from the table of contents"},
        {"Ctrl+F", "find text (Enter: go there, Esc: close)"},
        {"F3 / Shift+F3", "next / previous match"},
        {"Ctrl+R", "read aloud on / off"},
        {"Ctrl+D", "the debug dialog"},
        {"Ctrl+Q", "quit"},
    };
    return table;
}

wxSize CKeysOverlay::bestSize(wxDC& dc) const {
    dc.SetFont(boldFont);
    int keyWidth = 0;
    int lineHeight = dc.GetTextExtent(kTitle).y;
    int width = dc.GetTextExtent(kTitle).x;
    int actionWidth = 0;
    for (const auto& [key, action] : keys()) {
        dc.SetFont(boldFont);
        keyWidth = wxMax(keyWidth, dc.GetTextExtent(key).x);
        dc.SetFont(font);
        actionWidth = wxMax(actionWidth, dc.GetTextExtent(action).x);
        lineHeight = wxMax(lineHeight, dc.GetTextExtent(action).y);
    }
    width = wxMax(width, keyWidth + kColumnGap + actionWidth);
    const int lines = static_cast<int>(keys().size()) + 2; // the title and a blank line
    return wxSize(width + 2 * kMargin, lines * (lineHeight + kLineGap) + 2 * kMargin);
}

void CKeysOverlay::showOver(const wxRect& area) {
    wxClientDC measure(this);
    const wxSize wanted = bestSize(measure);
    const wxSize size(wxMin(wanted.x, area.width), wxMin(wanted.y, area.height));
    SetSize(wxRect(area.x + (area.width - size.x) / 2, area.y + (area.height - size.y) / 2, size.x,
                   size.y));
    Show();
    Raise();
    Refresh();
}

void CKeysOverlay::close() {
    Hide();
}

void CKeysOverlay::onPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetPen(wxPen(kBorder));
    dc.SetBrush(wxBrush(kPanel));
    dc.DrawRectangle(wxRect(size));

    dc.SetFont(boldFont);
    int keyWidth = 0;
    for (const auto& entry : keys()) {
        keyWidth = wxMax(keyWidth, dc.GetTextExtent(entry.first).x);
    }
    const int lineHeight = dc.GetTextExtent(kTitle).y + kLineGap;
    int y = kMargin;
    dc.SetTextForeground(kActionText);
    dc.DrawText(kTitle, kMargin, y);
    y += 2 * lineHeight;
    for (const auto& [key, action] : keys()) {
        dc.SetFont(boldFont);
        dc.SetTextForeground(kKeyText);
        dc.DrawText(key, kMargin, y);
        dc.SetFont(font);
        dc.SetTextForeground(kActionText);
        dc.DrawText(action, kMargin + keyWidth + kColumnGap, y);
        y += lineHeight;
    }
}
