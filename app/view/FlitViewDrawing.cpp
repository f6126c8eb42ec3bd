// How the flash view draws what it shows, fitted to the window.

#include "view/Fixation.h"
#include "view/FlitView.h"

#include <flitengine/outside/Utf8.h>

#include <wx/control.h>
#include <wx/dc.h>

#include <algorithm>

namespace {

const wxColour kHighlightFill(250, 214, 64);
const wxColour kHighlightText(20, 20, 20);
const int kContextPointSize = 17;
const int kMargin = 12;
const int kHighlightRadius = 6;
// The guide marks above and below the recognition letter.
const int kMarkLength = 10;
const int kMarkWidth = 2;
const int kMarkGap = 6;
// Each try at fitting a message shrinks its type by this much.
const double kMessageShrink = 0.9;
const double kMessageOverPicture = 0.6;
// The zero-width joiner, and the marks that give a word without letters the direction of its
// sentence.
const wxUniChar kJoiner(0x200D);
const wxUniChar kLeftToRightMark(0x200E);
const wxUniChar kRightToLeftMark(0x200F);

// Text measured for drawing on a common baseline.
struct SExtent {
    int width = 0;
    int ascent = 0;
    int descent = 0;
};

SExtent measure(wxDC& dc, const wxString& text) {
    SExtent extent;
    if (!text.empty()) {
        int height = 0;
        dc.GetTextExtent(text, &extent.width, &height, &extent.descent);
        extent.ascent = height - extent.descent;
    }
    return extent;
}

} // namespace

wxRect CFlitView::chunkBand() const {
    // Twice a line of the full-size font: taller scripts and the highlight stay inside.
    const wxSize size = GetClientSize();
    return wxRect(0, size.y / 2 - wordHeight, size.x, 2 * wordHeight);
}

void CFlitView::draw(wxDC& dc, const wxRect& area) {
    const wxSize size = GetClientSize();
    drawBackground(dc, size);
    if (size.x <= 4 * kMargin || size.y <= 4 * kMargin) {
        // Not yet laid out, or squeezed to nothing: no room to fit text in.
        return;
    }
    if (!messageTitle.empty()) {
        drawMessage(dc, size);
    } else if (!contextWords.empty()) {
        drawContext(dc, size);
    } else {
        if (fixationEnabled) {
            drawGuideMarks(dc, size);
        }
        drawChunk(dc, size);
    }
    // A flash repaints only the middle of the view: the corners' notes are not laid out again.
    const bool cornersOutside = !area.IsEmpty() && area.GetTop() >= kMargin + cornerLineHeight &&
                                area.GetBottom() < size.y - kMargin - cornerLineHeight;
    if (!cornersOutside) {
        drawCorners(dc, size);
    }
}

void CFlitView::drawBackground(wxDC& dc, const wxSize& size) {
    dc.SetBackground(wxBrush(backgroundColour));
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
    dc.SetFont(fontAt(kCornerPointSize, false));
    dc.SetTextForeground(dimColour);
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

void CFlitView::drawGuideMarks(wxDC& dc, const wxSize& size) {
    // Placed by the full-size font, so they stay put while words shrink to fit.
    const int x = int(size.x * kFixationPlace) - kMarkWidth / 2;
    const int top = size.y / 2 - wordHeight / 2 - kMarkGap - kMarkLength;
    const int bottom = size.y / 2 + wordHeight / 2 + kMarkGap;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(dimColour));
    dc.DrawRectangle(x, top, kMarkWidth, kMarkLength);
    dc.DrawRectangle(x, bottom, kMarkWidth, kMarkLength);
}

void CFlitView::drawChunk(wxDC& dc, const wxSize& size) {
    if (chunk.empty()) {
        return;
    }
    // With the fixation point the recognition letter's middle stands at its place; without,
    // the chunk's middle stands in the middle.
    CFixation::SParts parts;
    if (fixationEnabled) {
        parts = CFixation::split(chunk);
    } else {
        parts.before = chunk;
    }
    const int left = kMargin;
    const int right = size.x - kMargin;
    const int anchor = fixationEnabled ? int(size.x * kFixationPlace) : size.x / 2;
    const int roomHeight = size.y - 2 * kMargin;
    // The chunk is drawn as one string, so that the toolkit shapes it whole (Arabic letters
    // join across the recognition letter) and lays out a right-to-left word from the right;
    // the letter is then drawn again in its colour, clipped to its place. That place is found
    // from the widths of the chunk's beginnings: a beginning of a right-to-left word stands
    // at its right end.
    const std::string utf8 = chunk.utf8_string();
    const bool rightToLeft = CUtf8::isRightToLeft(utf8.data(), utf8.size());
    wxString shown = chunk;
    SExtent whole;
    int letterStart = 0, letterWidth = 0;
    // A joiner after a beginning keeps its last letter in the form it takes inside the word
    // (an Arabic letter joined to the next rather than in its final form).
    const auto measureAll = [&] {
        whole = measure(dc, shown);
        const int beforeWidth =
            parts.before.empty() ? 0 : measure(dc, parts.before + kJoiner).width;
        const int throughWidth = measure(dc, parts.before + parts.letter + kJoiner).width;
        letterWidth = throughWidth - beforeWidth;
        letterStart = rightToLeft ? whole.width - throughWidth : beforeWidth;
    };

    // The largest size at which the chunk fits on both sides of its place, down to the
    // smallest readable one.
    int points = wordPointSize;
    int leftPart = 0;
    for (;;) {
        dc.SetFont(fontAt(points, bold));
        measureAll();
        leftPart = fixationEnabled ? letterStart + letterWidth / 2 : whole.width / 2;
        double scale = 1.0;
        if (leftPart > anchor - left) {
            scale = std::min(scale, double(anchor - left) / leftPart);
        }
        if (whole.width - leftPart > right - anchor) {
            scale = std::min(scale, double(right - anchor) / (whole.width - leftPart));
        }
        if (whole.ascent + whole.descent > roomHeight) {
            scale = std::min(scale, double(roomHeight) / (whole.ascent + whole.descent));
        }
        if (scale >= 1.0 || points == kMinPointSize) {
            break;
        }
        points = std::max(kMinPointSize, std::min(points - 1, int(points * scale)));
    }

    // Still too long at the smallest size: moved in from the edge, and cut with an ellipsis
    // after the recognition letter if it is longer than the window; a right-to-left word then
    // keeps its beginning at the right.
    int x = std::max(left, std::min(anchor - leftPart, right - whole.width));
    if (x + whole.width > right) {
        const int through = rightToLeft ? whole.width - letterStart : letterStart + letterWidth;
        shown = parts.before + parts.letter +
                wxControl::Ellipsize(parts.after, dc, wxELLIPSIZE_END,
                                     std::max(0, right - left - through));
        measureAll();
        x = rightToLeft ? right - whole.width : left;
    }
    const int top = size.y / 2 - (whole.ascent + whole.descent) / 2;
    if (highlight) {
        dc.SetBrush(wxBrush(kHighlightFill));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRoundedRectangle(
            wxRect(x, top, std::min(whole.width, right - x), whole.ascent + whole.descent)
                .Inflate(kMargin / 2),
            kHighlightRadius);
    }
    dc.SetTextForeground(highlight               ? kHighlightText
                         : documentColour.IsOk() ? documentColour
                                                 : wordColour);
    dc.DrawText(shown, x, top);
    if (neighboursShown) {
        drawNeighbours(dc, wxRect(x, top, whole.width, whole.ascent + whole.descent), rightToLeft,
                       left, right);
    }
    if (fixationEnabled && letterWidth > 0) {
        wxDCClipper clip(dc, wxRect(x + letterStart, 0, letterWidth, size.y));
        dc.SetTextForeground(fixationColour);
        dc.DrawText(shown, x, top);
    }
}

std::vector<std::vector<std::pair<size_t, wxString>>>
CFlitView::wrapContext(wxDC& dc, int pointSize, int width) {
    const int space = dc.GetTextExtent(" ").x;
    std::vector<std::vector<std::pair<size_t, wxString>>> lines(1);
    int lineWidth = 0;
    for (size_t i = 0; i < contextWords.size(); ++i) {
        const bool isMarked = int(i) == contextMarked;
        dc.SetFont(fontAt(pointSize, isMarked));
        wxString word = contextWords[i];
        int wordWidth = dc.GetTextExtent(word).x;
        if (wordWidth > width) {
            word = wxControl::Ellipsize(word, dc, wxELLIPSIZE_END, width);
            wordWidth = dc.GetTextExtent(word).x;
        }
        if (lineWidth > 0 && lineWidth + space + wordWidth > width) {
            lines.emplace_back();
            lineWidth = 0;
        }
        lineWidth += (lineWidth > 0 ? space : 0) + wordWidth;
        lines.back().emplace_back(i, word);
    }
    return lines;
}

void CFlitView::drawContext(wxDC& dc, const wxSize& size) {
    // The sentence in lines across the window, the current word marked in bold and colour. Its
    // type shrinks until the lines fit between the corners' notes.
    dc.SetFont(fontAt(kCornerPointSize, false));
    const int cornerHeight = dc.GetCharHeight();
    const wxRect area = wxRect(size).Deflate(2 * kMargin, kMargin + cornerHeight);
    const wxString ellipsis = wxString::FromUTF8("\xE2\x80\xA6");
    int points = kContextPointSize;
    int lineHeight = 0;
    int space = 0;
    std::vector<std::vector<std::pair<size_t, wxString>>> lines;
    for (;; --points) {
        dc.SetFont(fontAt(points, false));
        lineHeight = dc.GetCharHeight() * 3 / 2;
        space = dc.GetTextExtent(" ").x;
        // Room kept at the ends of the lines for the ellipsis of a sentence cut short.
        lines = wrapContext(dc, points, area.width - space - dc.GetTextExtent(ellipsis).x);
        if (int(lines.size()) * lineHeight <= area.height || points == kMinPointSize) {
            break;
        }
    }

    // Still too long: the lines around the marked word, an ellipsis where lines are left out or
    // the words stop short of the sentence.
    const size_t shown = std::min(lines.size(), size_t(std::max(1, area.height / lineHeight)));
    size_t markedLine = 0;
    for (size_t line = 0; line < lines.size(); ++line) {
        for (const auto& word : lines[line]) {
            markedLine = int(word.first) == contextMarked ? line : markedLine;
        }
    }
    const size_t first =
        std::min(lines.size() - shown, markedLine - std::min(markedLine, shown / 2));
    if (first > 0 || contextCut.first) {
        lines[first].insert(lines[first].begin(), {contextWords.size(), ellipsis});
    }
    if (first + shown < lines.size() || contextCut.second) {
        lines[first + shown - 1].emplace_back(contextWords.size(), ellipsis);
    }

    // A sentence whose first letter is of a right-to-left script runs from the right: its lines
    // stand at the right edge, and the words of each line are placed as the bidirectional
    // algorithm orders them (so a name in Latin letters inside it still reads left to right).
    std::string sentence;
    for (const wxString& word : contextWords) {
        sentence += word.utf8_string() + ' ';
    }
    const bool rightToLeft = CUtf8::isRightToLeft(sentence.data(), sentence.size());
    int y = area.y + (area.height - int(shown) * lineHeight) / 2;
    for (size_t line = first; line < first + shown; ++line) {
        std::vector<std::string> texts;
        std::vector<int> widths;
        int lineWidth = -space;
        for (const auto& word : lines[line]) {
            dc.SetFont(fontAt(points, int(word.first) == contextMarked));
            texts.push_back(word.second.utf8_string());
            widths.push_back(dc.GetTextExtent(word.second).x);
            lineWidth += widths.back() + space;
        }
        int x = rightToLeft ? area.GetRight() + 1 - lineWidth : area.x;
        for (const size_t i : CUtf8::visualOrder(texts, rightToLeft)) {
            const auto& word = lines[line][i];
            const bool isMarked = int(word.first) == contextMarked;
            dc.SetFont(fontAt(points, isMarked));
            dc.SetTextForeground(isMarked ? fixationColour : wordColour);
            // A word runs in its own direction; one without letters (a number with its comma)
            // in the sentence's, which the mark after it gives when nothing before it does.
            dc.DrawText(word.second + (rightToLeft ? kRightToLeftMark : kLeftToRightMark), x, y);
            if (isMarked) {
                dc.SetPen(wxPen(fixationColour, 2));
                dc.DrawLine(x, y + dc.GetCharHeight() + 2, x + widths[i],
                            y + dc.GetCharHeight() + 2);
            }
            x += widths[i] + space;
        }
        y += lineHeight;
    }
}

void CFlitView::drawMessage(wxDC& dc, const wxSize& size) {
    // A title and lines of detail, centred; both shrink together until they fit, and lines
    // still too wide at the smallest size are cut with an ellipsis.
    dc.SetFont(fontAt(kCornerPointSize, false));
    const wxRect area = wxRect(size).Deflate(2 * kMargin, kMargin + dc.GetCharHeight());
    const wxArrayString details = wxSplit(messageDetail, '\n', '\0');
    wxArrayString shown;
    int titlePoints = wordPointSize;
    int detailPoints = kContextPointSize;
    int width = 0;
    int height = 0;
    // Over a picture it starts smaller, to hide less of it.
    for (double scale = backgroundImage.IsOk() ? kMessageOverPicture : 1.0;;
         scale *= kMessageShrink) {
        titlePoints = std::max(kMinPointSize, int(wordPointSize * scale));
        detailPoints = std::max(kMinPointSize, int(kContextPointSize * scale));
        const bool smallest = titlePoints == kMinPointSize && detailPoints == kMinPointSize;
        shown.clear();
        width = height = 0;
        for (size_t i = 0; i <= details.size(); ++i) {
            const bool isTitle = i == 0;
            dc.SetFont(fontAt(isTitle ? titlePoints : detailPoints, isTitle));
            const wxString& line = isTitle ? messageTitle : details[i - 1];
            shown.push_back(smallest ? wxControl::Ellipsize(line, dc, wxELLIPSIZE_END, area.width)
                                     : line);
            const wxSize extent = dc.GetTextExtent(shown.back().empty() ? " " : shown.back());
            width = std::max(width, extent.x);
            height += extent.y + (isTitle && !details.empty() ? kMargin : 0);
        }
        if ((width <= area.width && height <= area.height) || smallest) {
            break;
        }
    }

    // Over a picture the message sits at the bottom on a panel of the background colour, so
    // that both can be seen.
    int y = area.y + (area.height - height) / 2;
    if (backgroundImage.IsOk()) {
        y = area.GetBottom() - height - kMargin;
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(backgroundColour));
        dc.DrawRoundedRectangle(wxRect((size.x - width) / 2, y, width, height).Inflate(kMargin / 2),
                                kHighlightRadius);
    }
    dc.SetTextForeground(wordColour);
    for (size_t i = 0; i < shown.size(); ++i) {
        dc.SetFont(fontAt(i == 0 ? titlePoints : detailPoints, i == 0));
        const wxSize extent = dc.GetTextExtent(shown[i].empty() ? " " : shown[i]);
        dc.DrawText(shown[i], (size.x - dc.GetTextExtent(shown[i]).x) / 2, y);
        y += extent.y + (i == 0 && !details.empty() ? kMargin : 0);
    }
}
