#include "RhythmSvg.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <utility>

namespace {

constexpr double kRowWidthPx = 1200.0;
constexpr double kPreferredPxPerMs = 0.4; // 1 s is 400 px when the words allow it
constexpr double kMarginLeftPx = 60.0;
constexpr double kMarginRightPx = 20.0;
constexpr double kHeaderPx = 70.0;
constexpr double kRowPitchPx = 78.0;
constexpr double kBarHeightPx = 22.0;
constexpr double kLabelLinePx = 14.0; // labels alternate between two lines to stay apart
constexpr int kFontPx = 12;
constexpr int kMsPerSecond = 1000;
constexpr long kMaxTicksPerRow = 30;
const char* const kDisplayColour = "#2f6fb3";
const char* const kDelayColour = "#f0a030";

// U+FFFD REPLACEMENT CHARACTER, written for characters that XML does not allow in a document.
const char* const kReplacement = "\xEF\xBF\xBD";

// Whether the UTF-8 text holds, at i, a character that an XML 1.0 document may not contain: a
// control character other than tab, line feed and carriage return, or U+FFFE or U+FFFF. *length
// is its length in bytes. Words are valid UTF-8, so nothing else can be out of place.
bool isForbiddenInXml(const std::string& text, std::size_t i, std::size_t* length) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20) {
        *length = 1;
        return c != '\t' && c != '\n' && c != '\r';
    }
    if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE) {
        *length = 3;
        return true;
    }
    return false;
}

std::string escapeXml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::size_t forbiddenLength = 0;
        if (isForbiddenInXml(text, i, &forbiddenLength)) {
            // A word may hold control characters; the picture must still open.
            out += kReplacement;
            i += forbiddenLength - 1;
            continue;
        }
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string px(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

} // namespace

CRhythmSvg::CRhythmSvg(int wordsPerMinute, std::string titleIn)
    : wpm(wordsPerMinute), title(std::move(titleIn)) {}

std::string CRhythmSvg::render(const std::vector<STimedWord>& words) const {
    // The scale shrinks only when a single word would not fit on one row.
    long longestMs = 1;
    long totalMs = 0;
    for (const STimedWord& w : words) {
        // In long: a word's two times may each be as large as an int holds.
        const long wordMs = static_cast<long>(std::max(0, w.displayMs)) + std::max(0, w.delayMs);
        longestMs = std::max(longestMs, wordMs);
        totalMs += wordMs;
    }
    const double pxPerMs =
        std::min(kPreferredPxPerMs, kRowWidthPx / static_cast<double>(longestMs));
    const long rowMs = static_cast<long>(kRowWidthPx / pxPerMs);
    // A tick every second, or every so many whole seconds that a row never holds more than
    // kMaxTicksPerRow of them: a word that lasts hours would otherwise draw thousands per row.
    const long tickMs = kMsPerSecond * std::max(1L, (rowMs + kMsPerSecond * kMaxTicksPerRow - 1) /
                                                        (kMsPerSecond * kMaxTicksPerRow));

    std::ostringstream bars;
    int row = 0;
    long rowStartMs = 0;
    long clockMs = 0; // start of the next word on the reading's time line
    int labelLine = 0;
    auto rowTop = [&](int r) { return kHeaderPx + r * kRowPitchPx; };
    auto startRow = [&](int r, long startMs) {
        const double top = rowTop(r);
        bars << "<line x1=\"" << px(kMarginLeftPx) << "\" y1=\"" << px(top + kBarHeightPx)
             << "\" x2=\"" << px(kMarginLeftPx + kRowWidthPx) << "\" y2=\""
             << px(top + kBarHeightPx) << "\" class=\"axis\"/>\n";
        for (long tick = (startMs + tickMs - 1) / tickMs * tickMs; tick <= startMs + rowMs;
             tick += tickMs) {
            const double x = kMarginLeftPx + (tick - startMs) * pxPerMs;
            bars << "<line x1=\"" << px(x) << "\" y1=\"" << px(top - 4) << "\" x2=\"" << px(x)
                 << "\" y2=\"" << px(top + kBarHeightPx) << "\" class=\"tick\"/>\n";
        }
        bars << "<text x=\"" << px(kMarginLeftPx - 8) << "\" y=\"" << px(top + 16)
             << "\" class=\"time\">" << px(startMs / 1000.0) << " s</text>\n";
    };

    if (!words.empty()) {
        startRow(0, 0);
    }
    for (const STimedWord& w : words) {
        const long display = std::max(0, w.displayMs);
        const long delay = std::max(0, w.delayMs);
        if (clockMs - rowStartMs + display + delay > rowMs && clockMs > rowStartMs) {
            ++row;
            rowStartMs = clockMs;
            labelLine = 0;
            startRow(row, rowStartMs);
        }
        const double top = rowTop(row);
        const double x = kMarginLeftPx + (clockMs - rowStartMs) * pxPerMs;
        const double displayWidth = display * pxPerMs;
        bars << "<g><title>" << escapeXml(w.word) << ": " << display << " ms + " << delay
             << " ms</title>"
             << "<rect x=\"" << px(x) << "\" y=\"" << px(top) << "\" width=\"" << px(displayWidth)
             << "\" height=\"" << px(kBarHeightPx) << "\" class=\"display\"/>"
             << "<rect x=\"" << px(x + displayWidth) << "\" y=\"" << px(top) << "\" width=\""
             << px(delay * pxPerMs) << "\" height=\"" << px(kBarHeightPx) << "\" class=\"delay\"/>"
             << "<text x=\"" << px(x + 1) << "\" y=\""
             << px(top + kBarHeightPx + kLabelLinePx * (labelLine + 1)) << "\" class=\"word\">"
             << escapeXml(w.word) << "</text></g>\n";
        labelLine = 1 - labelLine;
        clockMs += display + delay;
    }

    const double width = kMarginLeftPx + kRowWidthPx + kMarginRightPx;
    const double height = rowTop(row + 1);
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << px(width) << "\" height=\""
        << px(height) << "\" viewBox=\"0 0 " << px(width) << ' ' << px(height) << "\">\n"
        << "<style>text{font-family:sans-serif;font-size:" << kFontPx << "px;fill:#222}"
        << ".time{text-anchor:end;fill:#666}.axis{stroke:#999}.tick{stroke:#ccc}"
        << ".display{fill:" << kDisplayColour << "}.delay{fill:" << kDelayColour << "}</style>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
        << "<text x=\"" << px(kMarginLeftPx) << "\" y=\"22\" style=\"font-size:16px\">"
        << escapeXml(title) << " at " << wpm << " words per minute: " << words.size()
        << " words in " << px(totalMs / 1000.0) << " s</text>\n"
        << "<rect x=\"" << px(kMarginLeftPx)
        << "\" y=\"34\" width=\"14\" height=\"10\" class=\"display\"/>"
        << "<text x=\"" << px(kMarginLeftPx + 20) << "\" y=\"44\">word shown</text>"
        << "<rect x=\"" << px(kMarginLeftPx + 120)
        << "\" y=\"34\" width=\"14\" height=\"10\" class=\"delay\"/>"
        << "<text x=\"" << px(kMarginLeftPx + 140) << "\" y=\"44\">blank after it</text>\n"
        << bars.str() << "</svg>\n";
    return svg.str();
}
