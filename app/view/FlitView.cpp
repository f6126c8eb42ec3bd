#include "view/FlitView.h"

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/log.h>

namespace {

const wxColour kDefaultBackground(24, 28, 36);
const wxColour kDefaultWord(236, 236, 228);
const wxColour kDefaultDim(150, 160, 175);
const wxColour kDefaultFixation(255, 96, 80);
const wxColour kDefaultFaint(104, 112, 126);
const int kWordPointSize = 44;
const int kMarkerMilliseconds = 1200;

} // namespace

CFlitView::CFlitView(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(720, 360), wxWANTS_CHARS, "flitView"),
      fixationColour(kDefaultFixation), backgroundColour(kDefaultBackground),
      wordColour(kDefaultWord), dimColour(kDefaultDim), faintColour(kDefaultFaint),
      markerTimer(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    setWordFont(wxFont(wxFontInfo(kWordPointSize).Family(wxFONTFAMILY_SWISS)));
    showHint();
    Bind(wxEVT_PAINT, &CFlitView::onPaint, this);
    Bind(wxEVT_SIZE, &CFlitView::onSize, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        marker.clear();
        Refresh();
    });
}

void CFlitView::showChunk(const wxString& text) {
    if (text.empty() && chunk.empty()) {
        return;
    }
    chunk = text;
    chunkPending = true;
    if (canPresentChunk()) {
        // Copied to the window by the render that follows, without a paint, or shortly after
        // when none does. Not invalidated, which would wake the toolkit's frame clock for a
        // paint that is not needed.
        if (!presentQueued) {
            presentQueued = true;
            CallAfter([this] {
                presentQueued = false;
                if (chunkPending) {
                    renderNow();
                }
            });
        }
        return;
    }
    refreshBand();
}

void CFlitView::refreshBand() {
    // Only the band the chunks are drawn in is repainted: a flash then costs a fraction of a
    // whole window's repaint, which keeps the time on screen close to the engine's. Only the
    // part inside the window: the toolkit refuses an area of no or negative size.
    const wxRect changed = chunkBand().Intersect(wxRect(GetClientSize()));
    if (changed.width > 0 && changed.height > 0) {
        // Not this view's Refresh: a new chunk leaves the bands drawn ahead as they are.
        wxWindow::Refresh(false, &changed);
    }
}

void CFlitView::setTextColour(const wxColour& colour) {
    documentColour = colour;
    Refresh();
}

void CFlitView::resetTextColour() {
    setTextColour(wxColour());
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
    if (page == pageNumber) {
        return;
    }
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

void CFlitView::showContext(const std::vector<wxString>& words, int marked, bool cutBefore,
                            bool cutAfter) {
    contextWords = words;
    contextMarked = marked;
    contextCut = {cutBefore, cutAfter};
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

void CFlitView::showHint() {
    showMessage("Open a text to read",
                "File > Open (Ctrl+O), paste one (Ctrl+V)\nor drop a file here");
}

void CFlitView::showHold(const wxString& reason) {
    showMessage(reason, "Press Space to continue");
}

void CFlitView::clearOverlay() {
    contextWords.clear();
    messageTitle.clear();
    messageDetail.clear();
    Refresh();
}

void CFlitView::setFixationEnabled(bool on) {
    fixationEnabled = on;
    Refresh();
}

void CFlitView::setFixationColour(const wxColour& colour) {
    fixationColour = colour.IsOk() ? colour : kDefaultFixation;
    Refresh();
}

void CFlitView::setColours(const wxColour& background, const wxColour& word, const wxColour& dim) {
    backgroundColour = background.IsOk() ? background : kDefaultBackground;
    wordColour = word.IsOk() ? word : kDefaultWord;
    dimColour = dim.IsOk() ? dim : kDefaultDim;
    Refresh();
}

void CFlitView::setFaintColour(const wxColour& colour) {
    faintColour = colour.IsOk() ? colour : kDefaultFaint;
    Refresh();
}

void CFlitView::setWordFont(const wxFont& font) {
    wordFont = font.IsOk() ? font : wxFont(wxFontInfo(kWordPointSize).Family(wxFONTFAMILY_SWISS));
    wordPointSize = wxMax(kMinPointSize, wordFont.GetPointSize());
    fonts.clear();
    GetTextExtent("Ag", nullptr, &wordHeight, nullptr, nullptr, &fontAt(wordPointSize, false));
    GetTextExtent("Ag", nullptr, &cornerLineHeight, nullptr, nullptr,
                  &fontAt(kCornerPointSize, false));
    Refresh();
}

const wxFont& CFlitView::fontAt(int pointSize, bool isBold) {
    const std::pair<int, bool> key(pointSize, isBold);
    auto found = fonts.find(key);
    if (found == fonts.end()) {
        wxFont font(wordFont);
        font.SetPointSize(pointSize);
        if (isBold) {
            font.MakeBold();
        }
        found = fonts.emplace(key, font).first;
    }
    return found->second;
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
    draw(dc, GetUpdateRegion().GetBox());
}
