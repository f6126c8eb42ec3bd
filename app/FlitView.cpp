#include "FlitView.h"

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/log.h>
#include <wx/settings.h>

namespace {

const wxColour kDefaultBackground(24, 28, 36);
const wxColour kDefaultText(236, 236, 228);
const wxColour kHighlightFill(250, 214, 64);
const wxColour kHighlightText(20, 20, 20);
const wxColour kCornerText(150, 160, 175);
const wxColour kContextText(200, 204, 210);
const wxColour kMarkedWord(255, 190, 90);
const int kWordPointSize = 44;
const int kContextPointSize = 17;
const int kCornerPointSize = 11;
const int kMargin = 12;
const int kMarkerMilliseconds = 1200;

wxFont fontOf(int pointSize, bool bold) {
    return wxFont(wxFontInfo(pointSize).Family(wxFONTFAMILY_SWISS).Bold(bold));
}

} // namespace

CFlitView::CFlitView(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(720, 360), wxWANTS_CHARS, "flitView"),
      wordFont(fontOf(kWordPointSize, false)), boldWordFont(fontOf(kWordPointSize, true)),
      contextFont(fontOf(kContextPointSize, false)),
      boldContextFont(fontOf(kContextPointSize, true)), cornerFont(fontOf(kCornerPointSize, false)),
      textColour(kDefaultText), markerTimer(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CFlitView::onPaint, this);
    Bind(wxEVT_SIZE, &CFlitView::onSize, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        marker.clear();
        Refresh();
    });
}

void CFlitView::showChunk(const wxString& text) {
    // Only the old and the new chunk's place is repainted: a flash then costs a fraction of a
    // whole window's repaint, which keeps the time on screen close to the engine's.
    // Only the part inside the window: the toolkit refuses an area of no or negative size.
    const wxRect changed =
        chunkRect(chunk).Union(chunkRect(text)).Intersect(wxRect(GetClientSize()));
    chunk = text;
    if (changed.width > 0 && changed.height > 0) {
        RefreshRect(changed, false);
    }
}

wxRect CFlitView::chunkRect(const wxString& text) const {
    if (text.empty()) {
        return wxRect();
    }
    int width = 0;
    int height = 0;
    const wxFont& font = bold ? boldWordFont : wordFont;
    GetTextExtent(text, &width, &height, nullptr, nullptr, &font);
    const wxSize size = GetClientSize();
    return wxRect((size.x - width) / 2, (size.y - height) / 2, width, height)
        .Inflate(kMargin + 2, kMargin / 2 + 2);
}

void CFlitView::setTextColour(const wxColour& colour) {
    textColour = colour.IsOk() ? colour : kDefaultText;
    Refresh();
}

void CFlitView::resetTextColour() {
    setTextColour(kDefaultText);
}

void CFlitView::setBold(bool on) {
    bold = on;
    Refresh();
}

void CFlitView::setHighlight(bool on) {
    highlight = on;
    Refresh();
}

void CFlitView::showDefaultBackground() {
    backgroundImage = wxImage();
    scaledBackground = wxBitmap();
    Refresh();
}

bool CFlitView::showBackgroundImage(const wxString& path) {
    wxImage image;
    {
        // A file that is not a picture is shown as the default background, without a dialog.
        wxLogNull quiet;
        image.LoadFile(path);
    }
    if (!image.IsOk()) {
        showDefaultBackground();
        return false;
    }
    backgroundImage = image;
    scaledBackground = wxBitmap();
    Refresh();
    return true;
}

void CFlitView::setPageNumber(int page) {
    pageNumber = page;
    Refresh();
}

void CFlitView::setSpeed(int wordsPerMinute) {
    speed = wordsPerMinute;
    Refresh();
}

void CFlitView::flashMarker(const wxString& text) {
    marker = text;
    markerTimer.StartOnce(kMarkerMilliseconds);
    Refresh();
}

void CFlitView::showContext(const std::vector<wxString>& words, int marked) {
    contextWords = words;
    contextMarked = marked;
    messageTitle.clear();
    messageDetail.clear();
    Refresh();
}

void CFlitView::showMessage(const wxString& title, const wxString& detail) {
    messageTitle = title;
    messageDetail = detail;
    contextWords.clear();
    Refresh();
}

void CFlitView::clearOverlay() {
    contextWords.clear();
    messageTitle.clear();
    messageDetail.clear();
    Refresh();
}

void CFlitView::renderNow() {
    // Paints what the changes so far invalidated.
    Update();
}

wxBitmap CFlitView::snapshot() {
    const wxSize size = GetClientSize();
    wxBitmap bitmap(wxMax(size.x, 1), wxMax(size.y, 1));
    wxMemoryDC dc(bitmap);
    draw(dc);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

void CFlitView::onSize(wxSizeEvent& event) {
    scaledBackground = wxBitmap();
    Refresh();
    event.Skip();
}

void CFlitView::onPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    draw(dc);
}

void CFlitView::draw(wxDC& dc) {
    const wxSize size = GetClientSize();
    drawBackground(dc, size);

    if (!messageTitle.empty()) {
        dc.SetFont(boldWordFont);
        dc.SetTextForeground(kDefaultText);
        const wxSize title = dc.GetTextExtent(messageTitle);
        dc.DrawText(messageTitle, (size.x - title.x) / 2, size.y / 2 - title.y);
        dc.SetFont(contextFont);
        const wxSize detail = dc.GetMultiLineTextExtent(messageDetail);
        dc.DrawLabel(messageDetail,
                     wxRect((size.x - detail.x) / 2, size.y / 2 + kMargin, detail.x, detail.y),
                     wxALIGN_CENTRE_HORIZONTAL);
    } else if (!contextWords.empty()) {
        drawContext(dc, size);
    } else if (!chunk.empty()) {
        dc.SetFont(bold ? boldWordFont : wordFont);
        const wxSize extent = dc.GetTextExtent(chunk);
        const wxPoint at((size.x - extent.x) / 2, (size.y - extent.y) / 2);
        if (highlight) {
            dc.SetBrush(wxBrush(kHighlightFill));
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.DrawRoundedRectangle(wxRect(at, extent).Inflate(kMargin, kMargin / 2), 6);
            dc.SetTextForeground(kHighlightText);
        } else {
            dc.SetTextForeground(textColour);
        }
        dc.DrawText(chunk, at);
    }
    drawCorners(dc, size);
}

void CFlitView::drawBackground(wxDC& dc, const wxSize& size) {
    dc.SetBackground(wxBrush(kDefaultBackground));
    dc.Clear();
    if (!backgroundImage.IsOk() || size.x <= 0 || size.y <= 0) {
        return;
    }
    if (!scaledBackground.IsOk()) {
        // Scaled to fit inside the window, keeping its proportions.
        const double scale = wxMin(double(size.x) / backgroundImage.GetWidth(),
                                   double(size.y) / backgroundImage.GetHeight());
        const int width = wxMax(1, int(backgroundImage.GetWidth() * scale));
        const int height = wxMax(1, int(backgroundImage.GetHeight() * scale));
        scaledBackground = wxBitmap(backgroundImage.Scale(width, height, wxIMAGE_QUALITY_HIGH));
    }
    dc.DrawBitmap(scaledBackground, (size.x - scaledBackground.GetWidth()) / 2,
                  (size.y - scaledBackground.GetHeight()) / 2);
}

void CFlitView::drawCorners(wxDC& dc, const wxSize& size) {
    dc.SetFont(cornerFont);
    dc.SetTextForeground(kCornerText);
    if (pageNumber > 0) {
        dc.DrawText(wxString::Format("Page %d", pageNumber), kMargin, kMargin);
    }
    if (speed > 0) {
        const wxString text = wxString::Format("%d wpm", speed);
        dc.DrawText(text, size.x - dc.GetTextExtent(text).x - kMargin, kMargin);
    }
    if (!marker.empty()) {
        dc.DrawText(marker, kMargin, size.y - dc.GetTextExtent(marker).y - kMargin);
    }
}

void CFlitView::drawContext(wxDC& dc, const wxSize& size) {
    // Words laid out in lines across the window, the current one marked in bold and colour.
    const wxFont& plain = contextFont;
    const wxFont& marked = boldContextFont;
    const int width = size.x - 4 * kMargin;
    dc.SetFont(plain);
    const int space = dc.GetTextExtent(" ").x;
    const int lineHeight = dc.GetCharHeight() * 3 / 2;

    std::vector<std::vector<size_t>> lines(1);
    int lineWidth = 0;
    for (size_t i = 0; i < contextWords.size(); ++i) {
        dc.SetFont(int(i) == contextMarked ? marked : plain);
        const int wordWidth = dc.GetTextExtent(contextWords[i]).x;
        if (lineWidth > 0 && lineWidth + space + wordWidth > width) {
            lines.emplace_back();
            lineWidth = 0;
        }
        lineWidth += (lineWidth > 0 ? space : 0) + wordWidth;
        lines.back().push_back(i);
    }

    int y = (size.y - int(lines.size()) * lineHeight) / 2;
    for (const std::vector<size_t>& line : lines) {
        int x = 2 * kMargin;
        for (size_t i : line) {
            const bool isMarked = int(i) == contextMarked;
            dc.SetFont(isMarked ? marked : plain);
            dc.SetTextForeground(isMarked ? kMarkedWord : kContextText);
            dc.DrawText(contextWords[i], x, y);
            const int wordWidth = dc.GetTextExtent(contextWords[i]).x;
            if (isMarked) {
                dc.SetPen(wxPen(kMarkedWord, 2));
                dc.DrawLine(x, y + dc.GetCharHeight() + 2, x + wordWidth,
                            y + dc.GetCharHeight() + 2);
            }
            x += wordWidth + space;
        }
        y += lineHeight;
    }
}
