#include "view/PagePane.h"

#include "reading/NeighbourWords.h"

#include <flitengine/outside/DataInfo.h>
#include <flitengine/outside/DataManager.h>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>

#include <algorithm>

namespace {

const int kPointSize = 12;
const int kMargin = 10;
const int kLinesShown = 7;
// The text laid out around the place: this many words before it (then back to the start of
// its paragraph, within kMaxItems items) and this many after. Once reading comes within
// kWordsNearEnd of either end, the text is laid out again around it.
const size_t kWordsBefore = 60;
const size_t kWordsAfter = 160;
const size_t kWordsNearEnd = 30;
const int kMaxItems = 4000;
// Items looked at from a place that is not a word (a chapter's page marker) for the word
// that follows it.
const int kReachToWord = 64;
const int kWheelLines = 3;

wxColour between(const wxColour& a, const wxColour& b) {
    return wxColour((a.Red() + b.Red()) / 2, (a.Green() + b.Green()) / 2,
                    (a.Blue() + b.Blue()) / 2);
}

} // namespace

CPagePane::CPagePane(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE, "pagePane"),
      timer(this), font(wxFontInfo(kPointSize).Family(wxFONTFAMILY_SWISS)),
      backgroundColour(24, 28, 36), textColour(236, 236, 228), accentColour(255, 112, 84) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    int height = 0;
    GetTextExtent("Ag", nullptr, &height, nullptr, nullptr, &font);
    lineHeight = wxMax(1, height * 3 / 2);
    SetMinSize(wxSize(1, 2 * kMargin + kLinesShown * lineHeight));
    SetToolTip("Click a word to read on from there");
    Bind(wxEVT_PAINT, &CPagePane::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CPagePane::onClick, this);
    Bind(wxEVT_MOUSEWHEEL, &CPagePane::onWheel, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        follow();
        event.Skip();
    });
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { follow(); });
}

void CPagePane::setDocument(wxCDataInfoListNode* first) {
    documentStart = first;
    followed = nullptr;
    words.clear();
    lines.clear();
    wordAt.clear();
    marked = 0;
    firstLine = 0;
    laidOutWidth = 0;
    // Followed at the next tick: the place may still be the old document's now.
    Refresh();
}

void CPagePane::setColours(const wxColour& background, const wxColour& text,
                           const wxColour& accent) {
    backgroundColour = background;
    textColour = text;
    accentColour = accent;
    Refresh();
}

bool CPagePane::Show(bool show) {
    const bool changed = wxWindow::Show(show);
    if (show) {
        timer.Start(kFollowMs);
        followed = nullptr;
        follow();
    } else {
        timer.Stop();
    }
    return changed;
}

void CPagePane::follow() {
    if (!IsShown() || documentStart == nullptr || !placeSource) {
        return;
    }
    wxCDataInfoListNode* place = placeSource();
    if (place == nullptr) {
        place = documentStart;
    }
    const int width = GetClientSize().x;
    if (place == followed && width == laidOutWidth) {
        return;
    }
    followed = place;
    size_t index = indexOf(place);
    const bool nearStart = !reaches.first && index < kWordsNearEnd;
    const bool nearEnd = !reaches.second && index + kWordsNearEnd > words.size();
    if (index >= words.size() || width != laidOutWidth || nearStart || nearEnd) {
        layOut(place);
        index = indexOf(place);
        marked = words.size();
        firstLine = 0;
        Refresh();
    }
    if (index < words.size()) {
        mark(index);
    }
}

size_t CPagePane::indexOf(const wxCDataInfoListNode* node) const {
    int steps = 0;
    while (node != nullptr && !neighbourWords::isWord(node) && steps++ < kReachToWord) {
        node = node->GetNext();
    }
    const auto found = node == nullptr ? wordAt.end() : wordAt.find(node);
    return found == wordAt.end() ? words.size() : found->second;
}

void CPagePane::layOut(wxCDataInfoListNode* place) {
    words.clear();
    lines.clear();
    wordAt.clear();
    laidOutWidth = GetClientSize().x;
    // Back kWordsBefore words, then on to the start of that paragraph.
    wxCDataInfoListNode* start = place;
    size_t before = 0;
    int items = 0;
    reaches.first = true;
    for (wxCDataInfoListNode* at = place->GetPrevious(); at != nullptr; at = at->GetPrevious()) {
        const bool newline = at->GetData()->getDataInfoType() == eDITNewline;
        if ((before >= kWordsBefore && newline) || ++items > kMaxItems) {
            reaches.first = false;
            break;
        }
        before += neighbourWords::isWord(at) ? 1 : 0;
        start = at;
    }

    wxClientDC dc(this);
    dc.SetFont(font);
    const int width = wxMax(1, laidOutWidth - 2 * kMargin);
    const int space = dc.GetTextExtent(" ").x;
    lines.push_back({wxString(), 0});
    int lineWidth = 0;
    int newlines = 0;
    size_t after = 0;
    bool pastPlace = false;
    wxCDataInfoListNode* at = start;
    for (items = 0; at != nullptr && after < kWordsAfter && items < 2 * kMaxItems;
         at = at->GetNext(), ++items) {
        pastPlace = pastPlace || at == place;
        if (at->GetData()->getDataInfoType() == eDITNewline) {
            ++newlines;
            continue;
        }
        if (!neighbourWords::isWord(at)) {
            continue;
        }
        // A paragraph starts a line; a blank line in the text is one on the page too.
        if (newlines > 0 && !lines.back().text.empty()) {
            if (newlines > 1) {
                lines.push_back({wxString(), words.size()});
            }
            lines.push_back({wxString(), words.size()});
            lineWidth = 0;
        }
        newlines = 0;
        const wxString text = neighbourWords::textOf(at);
        SLine* line = &lines.back();
        // Measured as the line runs, so that a word stands where the line drawn whole puts it.
        int end = dc.GetTextExtent(line->text.empty() ? text : line->text + " " + text).x;
        if (!line->text.empty() && end > width) {
            lines.push_back({wxString(), words.size()});
            line = &lines.back();
            lineWidth = 0;
            end = dc.GetTextExtent(text).x;
        }
        const int x = line->text.empty() ? 0 : lineWidth + space;
        line->text += line->text.empty() ? text : " " + text;
        wordAt.emplace(at, words.size());
        words.push_back({at, lines.size() - 1, x, wxMax(1, end - x)});
        lineWidth = end;
        after += pastPlace ? 1 : 0;
    }
    reaches.second = at == nullptr;
}

size_t CPagePane::visibleLines() const {
    return static_cast<size_t>(wxMax(1, (GetClientSize().y - 2 * kMargin) / lineHeight));
}

wxRect CPagePane::lineRect(size_t line) const {
    const int y = kMargin + static_cast<int>(line - firstLine) * lineHeight;
    return wxRect(0, y, GetClientSize().x, lineHeight);
}

void CPagePane::mark(size_t index) {
    const size_t before = marked;
    marked = index;
    const size_t line = words[index].line;
    const size_t shown = visibleLines();
    if (line < firstLine || line >= firstLine + shown) {
        // Scrolled as a page turns: the current line a third of the way down.
        const size_t last = lines.size() > shown ? lines.size() - shown : 0;
        firstLine = std::min(last, line - std::min(line, shown / 3));
        Refresh();
        return;
    }
    for (const size_t changed : {before, index}) {
        if (changed < words.size() && words[changed].line >= firstLine) {
            RefreshRect(lineRect(words[changed].line), false);
        }
    }
}

wxCDataInfoListNode* CPagePane::getMarked() const {
    return marked < words.size() ? words[marked].node : nullptr;
}

wxRect CPagePane::wordRect(const wxCDataInfoListNode* node) const {
    const auto found = wordAt.find(node);
    if (found == wordAt.end()) {
        return wxRect();
    }
    const SWord& word = words[found->second];
    if (word.line < firstLine || word.line >= firstLine + visibleLines()) {
        return wxRect();
    }
    return wxRect(kMargin + word.x, lineRect(word.line).y, word.width, lineHeight);
}

void CPagePane::draw(wxDC& dc, const wxRect& rect) const {
    if (rect.width <= 0 || rect.height <= 0) {
        return;
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(backgroundColour));
    dc.DrawRectangle(rect);
    // A rule between the flash above and the page.
    dc.SetPen(wxPen(between(backgroundColour, textColour)));
    dc.DrawLine(rect.x, rect.y, rect.GetRight() + 1, rect.y);
    dc.SetFont(font);
    const size_t shown = visibleLines();
    // Only the lines the paint redraws: the mark moving costs one or two lines.
    wxRect area;
    if (!dc.GetClippingBox(area)) {
        area = rect;
    }
    for (size_t line = firstLine; line < lines.size() && line < firstLine + shown; ++line) {
        wxRect place = lineRect(line);
        place.Offset(rect.GetPosition());
        if (!place.Intersects(area)) {
            continue;
        }
        dc.SetTextForeground(textColour);
        dc.DrawText(lines[line].text, place.x + kMargin, place.y);
        if (marked < words.size() && words[marked].line == line) {
            const SWord& word = words[marked];
            // The line again in the accent, clipped to the word: it stands exactly where the
            // line put it.
            const wxRect spot(place.x + kMargin + word.x - 1, place.y, word.width + 2, lineHeight);
            wxDCClipper clip(dc, spot);
            dc.SetTextForeground(accentColour);
            dc.DrawText(lines[line].text, place.x + kMargin, place.y);
            dc.SetPen(wxPen(accentColour, 2));
            const int underline = place.y + dc.GetCharHeight() + 1;
            dc.DrawLine(spot.x + 1, underline, spot.GetRight(), underline);
        }
    }
}

void CPagePane::onPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxRect area = GetUpdateRegion().GetBox();
    wxDCClipper clip(dc, area.IsEmpty() ? wxRect(GetClientSize()) : area);
    draw(dc, wxRect(GetClientSize()));
}

void CPagePane::onClick(wxMouseEvent& event) {
    for (const SWord& word : words) {
        if (wordRect(word.node).Contains(event.GetPosition())) {
            if (moveTo) {
                moveTo(word.node);
            }
            follow();
            return;
        }
    }
    event.Skip();
}

void CPagePane::onWheel(wxMouseEvent& event) {
    // The page can be looked over; the next word read brings the mark back into view.
    const int steps = event.GetWheelRotation() / wxMax(1, event.GetWheelDelta());
    const size_t shown = visibleLines();
    const long last = static_cast<long>(lines.size() > shown ? lines.size() - shown : 0);
    const long first = static_cast<long>(firstLine) - static_cast<long>(steps) * kWheelLines;
    firstLine = static_cast<size_t>(std::max(0L, std::min(last, first)));
    Refresh();
}
