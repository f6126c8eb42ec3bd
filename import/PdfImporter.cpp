#include "import/PdfImporter.h"

#include "import/TextHelpers.h"
#include "import/WordWriter.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>
#include <poppler-toc.h>
#include <poppler.h>
#include <wx/string.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// A line end is a paragraph end when the next line lies this many times the page's usual line
// step further down (a blank line or extra space between paragraphs).
constexpr double kParagraphStepFactor = 1.4;
// ... or when the next line's height differs from this line's by more than this share of the
// taller one (a heading and its text).
constexpr double kHeightChangeShare = 0.2;
// ... or when the line ends a sentence and stops at least this many line heights before the end
// of the longer of its neighbours (a paragraph's last line) ...
constexpr double kShortLineHeights = 4.0;
// ... or the next line starts indented by more than this many line heights (a book's paragraphs).
constexpr double kIndentHeights = 1.0;
// ... or the next line starts with one of these list marks (an item of a list).
constexpr std::u32string_view kListMarks = U"\u2022\u2023\u2043\u25AA\u25CF\u25E6";

// A box continues the word of the box before it only when it starts at most this many of its
// heights right of that box's end.
constexpr double kGlueGapHeights = 0.2;
// A gap between words on a line wider than this many heights parts a running header's pieces.
constexpr double kWideGapHeights = 3.0;

// Running headers and footers: lines that lie in the top or bottom band of this share of the
// page's height, no taller than this many times the body's usual line, and come on at least
// this many pages.
constexpr double kMarginBandShare = 0.12;
constexpr double kFurnitureHeightFactor = 1.15;
constexpr std::size_t kMinFurniturePages = 3;

// Pages read at most. poppler's text interface copies the document's whole table of objects
// for every page it reads, so that the time grows with pages times objects: 20,000 pages of one
// word each take 4 s, 100,000 several minutes. Books stay far below this.
constexpr int kMaxPages = 10000;

// The outline is read this many levels deep, and as far as this many entries.
constexpr int kMaxOutlineDepth = 16;
constexpr std::size_t kMaxOutlineEntries = 100000;

// The largest page number a page marker carries, as the host is told page numbers.
constexpr unsigned long kMaxPageNumber = INT_MAX;
// Roman numerals read as page numbers: i to mmmcmxcix.
constexpr unsigned kMaxRomanNumber = 3999;

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kSoftHyphen = 0x00AD;
constexpr char32_t kHyphen = 0x2010;

// The ligatures of the alphabetic presentation forms, as the letters they join (their
// compatibility decomposition). Only these characters are changed: other text stays as the PDF
// has it.
struct SLigature {
    char32_t ligature;
    const char32_t* letters;
};
const SLigature kLigatures[] = {
    {0xFB00, U"ff"},           {0xFB01, U"fi"},           {0xFB02, U"fl"},
    {0xFB03, U"ffi"},          {0xFB04, U"ffl"},          {0xFB05, U"st"},
    {0xFB06, U"st"},           {0xFB13, U"\u0574\u0576"}, {0xFB14, U"\u0574\u0565"},
    {0xFB15, U"\u0574\u056B"}, {0xFB16, U"\u057E\u0576"}, {0xFB17, U"\u0574\u056D"},
};

// Control characters carry nothing a reader sees.
bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// Lower-case letters of the Latin, Greek and Cyrillic alphabets: what a word broken at a line
// end continues with.
bool isLowerCase(char32_t c) {
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capital and small letters, the small one odd except in two runs.
        const bool evenRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return (c % 2 == 0) == evenRun || c == 0x138 || c == 0x149 || c == 0x17F;
    }
    return (c >= 'a' && c <= 'z') || (c >= 0xDF && c <= 0xFF && c != 0xF7) ||
           (c >= 0x3AC && c <= 0x3CE) || (c >= 0x430 && c <= 0x45F);
}

bool isLetter(char32_t c) {
    return isLowerCase(c) || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
           (c >= 0x100 && c <= 0x17F) || (c >= 0x386 && c <= 0x3AB) || (c >= 0x400 && c <= 0x42F);
}

// Poppler's UTF-16 as code points: an unpaired surrogate becomes U+FFFD, a ligature its letters.
std::u32string decode(const poppler::ustring& text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        const auto* ligature =
            std::find_if(std::begin(kLigatures), std::end(kLigatures),
                         [c](const SLigature& entry) { return entry.ligature == c; });
        if (ligature != std::end(kLigatures)) {
            out += ligature->letters;
        } else {
            out += c;
        }
    }
    return out;
}

std::string toUtf8(const std::u32string& text) {
    std::string out;
    for (const char32_t c : text) {
        textHelpers::appendUtf8(&out, c);
    }
    return out;
}

// A text line of a page in reading order: its words, and its extent turned so that the line
// runs rightward and later lines lie further down, whatever the text's rotation.
struct SLine {
    std::vector<std::u32string> words;
    int rotation = 0;
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;
    // The indexes of the words that stand after a gap wider than kWideGapHeights: the parts of
    // a running header (its book title left, its chapter title right).
    std::vector<std::size_t> wideGaps;
    // The names the line's first word is anchored by: the outline entries that point at it.
    std::vector<std::string> anchors;

    double height() const { return bottom - top; }
};

struct SExtent {
    double left, right, top, bottom;
};

// A box's extent in the frame where its text runs rightward.
SExtent turned(const poppler::rectf& box, int rotation) {
    switch (rotation) {
    case 1:
        return {box.top(), box.bottom(), -box.right(), -box.left()};
    case 2:
        return {-box.right(), -box.left(), -box.bottom(), -box.top()};
    case 3:
        return {-box.bottom(), -box.top(), box.left(), box.right()};
    default:
        return {box.left(), box.right(), box.top(), box.bottom()};
    }
}

// The page's word boxes gathered into lines. A box begins a new line when its rotation changes,
// when its middle lies above or below the line, or when it starts left of the previous box (the
// next column). A box that the PDF joins to the one before without a space (a change of font
// inside a word) continues that word, so long as it starts where that box ends: poppler says
// "no space after" of the last word of each of its own lines too, and a box further right on
// the same line (a page number beside a footer, a heading's text beside its number) is another
// word.
std::vector<SLine> gatherLines(const std::vector<poppler::text_box>& boxes) {
    std::vector<SLine> lines;
    bool glued = false;
    double lastLeft = 0;
    double lastRight = 0;
    for (const poppler::text_box& box : boxes) {
        const std::u32string text = decode(box.text());
        const int rotation = box.rotation();
        const SExtent extent = turned(box.bbox(), rotation);
        const double middle = (extent.top + extent.bottom) / 2;
        const double gap = extent.left - lastRight;
        if (gap > kGlueGapHeights * (extent.bottom - extent.top)) {
            glued = false;
        }
        const bool wideGap = gap > kWideGapHeights * (extent.bottom - extent.top);
        if (lines.empty() || rotation != lines.back().rotation || middle < lines.back().top ||
            middle > lines.back().bottom || extent.left < lastLeft) {
            SLine line;
            line.rotation = rotation;
            line.left = extent.left;
            line.right = extent.right;
            line.top = extent.top;
            line.bottom = extent.bottom;
            lines.push_back(line);
            glued = false;
        }
        SLine& line = lines.back();
        line.right = std::max(line.right, extent.right);
        line.top = std::min(line.top, extent.top);
        line.bottom = std::max(line.bottom, extent.bottom);
        lastLeft = extent.left;
        lastRight = extent.right;
        for (const char32_t c : text) {
            // The blanks and line breaks plain text knows separate words; the no-break spaces
            // keep their words together, as in plain text.
            if (textHelpers::isWhiteSpace(c)) {
                glued = false;
            } else if (!isControl(c)) {
                if (!glued || line.words.empty()) {
                    if (wideGap && !line.words.empty() &&
                        (line.wideGaps.empty() || line.wideGaps.back() != line.words.size())) {
                        line.wideGaps.push_back(line.words.size());
                    }
                    line.words.emplace_back();
                }
                line.words.back() += c;
                glued = true;
            }
        }
        glued = glued && !box.has_space_after();
    }
    // A line whose boxes held only blanks or control characters says nothing.
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const SLine& line) { return line.words.empty(); }),
                lines.end());
    return lines;
}

// The usual distance from one line's foot to the next line's on the page: the lower quartile of
// the downward steps, so that the steps between lines of a paragraph set it even on a short page
// where paragraph gaps are nearly as many; 0 when there are none.
double usualLineStep(const std::vector<SLine>& lines) {
    std::vector<double> steps;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].bottom > lines[i - 1].bottom) {
            steps.push_back(lines[i].bottom - lines[i - 1].bottom);
        }
    }
    if (steps.empty()) {
        return 0;
    }
    const auto quartile = steps.begin() + static_cast<std::ptrdiff_t>((steps.size() - 1) / 4);
    std::nth_element(steps.begin(), quartile, steps.end());
    return *quartile;
}

// Whether a word ends a sentence: a full stop, question or exclamation mark, perhaps followed by
// closing quotes and brackets.
bool endsSentence(const std::u32string& word) {
    const std::u32string closing = U"\"')]\u2019\u201D\u00BB";
    const std::size_t last = word.find_last_not_of(closing);
    return last != std::u32string::npos &&
           std::u32string(U".!?").find(word[last]) != std::u32string::npos;
}

// Whether the line break after line (next is the following line on the page, before the one
// ahead of it; either may be null) ends a paragraph.
bool endsParagraph(const SLine* before, const SLine& line, const SLine* next, double usualStep) {
    if (next != nullptr) {
        if (usualStep > 0 && next->bottom - line.bottom > kParagraphStepFactor * usualStep) {
            return true;
        }
        if (std::abs(next->height() - line.height()) >
            kHeightChangeShare * std::max(next->height(), line.height())) {
            return true;
        }
        if (kListMarks.find(next->words.front()[0]) != std::u32string_view::npos) {
            return true;
        }
    }
    if (!endsSentence(line.words.back())) {
        return false;
    }
    const double longest = std::max(before != nullptr ? before->right : line.right,
                                    next != nullptr ? next->right : line.right);
    const bool shortLine = longest - line.right > kShortLineHeights * line.height();
    const bool indented =
        next != nullptr && next->left - line.left > kIndentHeights * line.height();
    return shortLine || indented;
}

// Joins a word hyphenated at the end of line to its rest at the start of next, when the PDF's
// text says it is one word: line's last word ends with a hyphen (U+002D, U+2010) or a soft
// hyphen after a letter, and next's first word continues with a lower-case letter. The hyphen
// is dropped and the whole word moves to the start of next.
void joinHyphenated(SLine* line, SLine* next) {
    const std::u32string& last = line->words.back();
    const std::u32string& first = next->words.front();
    const std::size_t size = last.size();
    if (size < 2 || !isLetter(last[size - 2]) || !isLowerCase(first[0])) {
        return;
    }
    const char32_t mark = last[size - 1];
    if (mark != '-' && mark != kHyphen && mark != kSoftHyphen) {
        return;
    }
    next->words.front() = last.substr(0, size - 1) + first;
    line->words.pop_back();
}

// The number a page marker gives a page: its label when that is a whole number; the value of a
// label in roman numerals (front matter: "iv" is 4); otherwise the page's place from 1.
unsigned pageNumber(const std::string& label, int place) {
    if (!label.empty() && label.size() <= 10 &&
        label.find_first_not_of("0123456789") == std::string::npos) {
        const unsigned long number = std::stoul(label);
        if (number <= kMaxPageNumber) {
            return static_cast<unsigned>(number);
        }
    }
    // Roman numerals in their one spelling, compared place by place: "mix" and "civic" are no
    // numbers.
    static const char* const kSpellings[3][10] = {
        {"", "c", "cc", "ccc", "cd", "d", "dc", "dcc", "dccc", "cm"},
        {"", "x", "xx", "xxx", "xl", "l", "lx", "lxx", "lxxx", "xc"},
        {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"}};
    std::string lower = label;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t at = 0;
    unsigned value = 0;
    while (at < lower.size() && lower[at] == 'm' && value < kMaxRomanNumber - 999) {
        value += 1000;
        ++at;
    }
    unsigned scale = 100;
    for (const auto& spellings : kSpellings) {
        unsigned digit = 0;
        for (unsigned k = 1; k < 10; ++k) {
            const std::size_t length = std::char_traits<char>::length(spellings[k]);
            if (length > std::char_traits<char>::length(spellings[digit]) &&
                lower.compare(at, length, spellings[k]) == 0) {
                digit = k;
            }
        }
        at += std::char_traits<char>::length(spellings[digit]);
        value += digit * scale;
        scale /= 10;
    }
    if (at == lower.size() && value > 0) {
        return value;
    }
    return static_cast<unsigned>(place);
}

// Poppler's messages about damaged files would go to standard error; the import reports its own.
void silencePoppler() {
    static std::once_flag once;
    std::call_once(
        once, [] { poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr); });
}

// What waits to follow the last word appended: nothing yet, a space or a newline. It is appended
// only once the next word or page marker comes, so that a document never ends with one.
enum eSeparator { eNoSeparator, eSpaceSeparator, eNewlineSeparator };

// Appends the separator waiting, if any.
void flushSeparator(CWordWriter* writer, eSeparator* separator) {
    if (*separator == eSpaceSeparator) {
        writer->appendSpace();
    } else if (*separator == eNewlineSeparator) {
        writer->appendNewline();
    }
    *separator = eNoSeparator;
}

// Appends one page's text: its words with spaces between, its line ends as spaces, paragraph
// ends as newlines. The separator after the page's last word is left waiting for what follows.
// A PDF places Chinese and Japanese a character or a phrase at a time: words of theirs that
// meet inside a paragraph are one text, which the writer cuts into words. Returns whether the
// page had a word.
bool appendPage(CWordWriter* writer, std::vector<SLine>& lines, eSeparator* separator) {
    const double usualStep = usualLineStep(lines);
    bool anyWord = false;
    std::string pending;
    std::vector<std::string> pendingAnchors;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SLine& line = lines[i];
        SLine* next = i + 1 < lines.size() ? &lines[i + 1] : nullptr;
        const SLine* before = i > 0 ? &lines[i - 1] : nullptr;
        if (next != nullptr) {
            joinHyphenated(&line, next);
            if (line.words.empty()) {
                next->anchors.insert(next->anchors.end(), line.anchors.begin(), line.anchors.end());
            }
        }
        for (const std::u32string& word : line.words) {
            const std::string text = toUtf8(word);
            if (*separator == eSpaceSeparator &&
                CWordWriter::joinsAcrossLineBreak(pending.data(), pending.size(), text.data(),
                                                  text.size())) {
                pending += text;
            } else {
                writer->appendWord(pending.data(), pending.size(), CStyleInfo(), &pendingAnchors);
                flushSeparator(writer, separator);
                pending = text;
            }
            if (&word == &line.words.front()) {
                pendingAnchors.insert(pendingAnchors.end(), line.anchors.begin(),
                                      line.anchors.end());
            }
            *separator = eSpaceSeparator;
            anyWord = true;
        }
        if (!line.words.empty() && endsParagraph(before, line, next, usualStep)) {
            *separator = eNewlineSeparator;
        }
    }
    writer->appendWord(pending.data(), pending.size(), CStyleInfo(), &pendingAnchors);
    return anyWord;
}

// A page as read: its lines, the number its marker carries, and where its top edge lies in the
// PDF's own coordinates (which run upward), which the outline's destinations use.
struct SPage {
    std::vector<SLine> lines;
    unsigned number = 0;
    double height = 0;
    double topEdge = 0;
};

// --- Running headers, footers and page numbers ---

// The margin band a line lies in: 't' for the top band, 'b' for the bottom one, 0 for neither
// or when the line is turned or taller than tallest (a heading).
char bandOf(const SLine& line, const SPage& page, double tallest) {
    if (line.rotation != 0 || page.height <= 0 || line.height() > tallest) {
        return 0;
    }
    if (line.bottom <= kMarginBandShare * page.height) {
        return 't';
    }
    return line.top >= (1 - kMarginBandShare) * page.height ? 'b' : 0;
}

// The key a line is compared by across pages: its band, then its words with every run of
// digits, and every word that is a roman numeral, as "#" (a page or chapter number that changes
// from page to page). Empty when the line lies in neither band.
std::string furnitureKey(const SLine& line, const SPage& page, double tallest) {
    const char band = bandOf(line, page, tallest);
    if (band == 0) {
        return std::string();
    }
    std::string key(1, band);
    for (const std::u32string& word : line.words) {
        key += ' ';
        const std::string text = toUtf8(word);
        if (pageNumber(text, 0) > 0) {
            key += '#';
            continue;
        }
        for (std::size_t at = 0; at < text.size(); ++at) {
            const bool digit = std::isdigit(static_cast<unsigned char>(text[at])) != 0;
            if (!digit) {
                key += text[at];
            } else if (at == 0 || !std::isdigit(static_cast<unsigned char>(text[at - 1]))) {
                key += '#';
            }
        }
    }
    return key;
}

// Where a line lies on its page, to the point: lines of a running header or footer lie in the
// same place page after page.
using tRow = std::tuple<char, long, long>;
tRow rowOf(const SLine& line, char band) {
    return {band, std::lround(line.top), std::lround(line.bottom)};
}

// Splits the lines of the page's margin bands at their wide gaps, so that each piece of a
// running header (the book's title at one side, the chapter's at the other) is compared by
// itself.
void splitBandLines(SPage* page, double tallest) {
    std::vector<SLine> lines;
    for (SLine& line : page->lines) {
        if (line.wideGaps.empty() || bandOf(line, *page, tallest) == 0) {
            lines.push_back(std::move(line));
            continue;
        }
        line.wideGaps.push_back(line.words.size());
        std::size_t from = 0;
        for (const std::size_t to : line.wideGaps) {
            SLine piece;
            piece.rotation = line.rotation;
            piece.left = line.left;
            piece.right = line.right;
            piece.top = line.top;
            piece.bottom = line.bottom;
            piece.words.assign(std::make_move_iterator(line.words.begin() + from),
                               std::make_move_iterator(line.words.begin() + to));
            lines.push_back(std::move(piece));
            from = to;
        }
    }
    page->lines = std::move(lines);
}

// Leaves out the lines that are a page's furniture rather than its text. A line in the top or
// bottom band of its page, no taller than the body's usual line, is furniture when its key
// comes on at least kMinFurniturePages pages and on at least half of the pages with text from
// the first of them to the last (a book's title on every page, a chapter's on its pages, the
// page numbers); and so is any such line that lies where furniture lies on that many pages (a
// section's title in the running header, beside the chapter's).
void dropFurniture(std::vector<SPage>* pages) {
    std::vector<double> heights;
    for (const SPage& page : *pages) {
        for (const SLine& line : page.lines) {
            heights.push_back(line.height());
        }
    }
    if (heights.empty()) {
        return;
    }
    const auto middle = heights.begin() + static_cast<std::ptrdiff_t>(heights.size() / 2);
    std::nth_element(heights.begin(), middle, heights.end());
    const double tallest = kFurnitureHeightFactor * *middle;

    // The pages each key comes on, each page once; and how many pages up to each have text.
    std::map<std::string, std::vector<std::size_t>> keyPages;
    std::vector<std::size_t> textPagesBefore(pages->size() + 1, 0);
    for (std::size_t p = 0; p < pages->size(); ++p) {
        SPage& page = (*pages)[p];
        splitBandLines(&page, tallest);
        textPagesBefore[p + 1] = textPagesBefore[p] + (page.lines.empty() ? 0 : 1);
        for (const SLine& line : page.lines) {
            const std::string key = furnitureKey(line, page, tallest);
            if (!key.empty()) {
                std::vector<std::size_t>& onPages = keyPages[key];
                if (onPages.empty() || onPages.back() != p) {
                    onPages.push_back(p);
                }
            }
        }
    }
    for (auto it = keyPages.begin(); it != keyPages.end();) {
        const std::vector<std::size_t>& onPages = it->second;
        const std::size_t span =
            textPagesBefore[onPages.back() + 1] - textPagesBefore[onPages.front()];
        const bool furniture = onPages.size() >= kMinFurniturePages && 2 * onPages.size() >= span;
        it = furniture ? std::next(it) : keyPages.erase(it);
    }
    if (keyPages.empty()) {
        return;
    }
    // The places of the furniture found, with the number of pages each holds it on.
    std::map<tRow, std::size_t> rowPages;
    for (const SPage& page : *pages) {
        std::vector<tRow> rows;
        for (const SLine& line : page.lines) {
            if (keyPages.count(furnitureKey(line, page, tallest)) > 0) {
                rows.push_back(rowOf(line, bandOf(line, page, tallest)));
            }
        }
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        for (const tRow& row : rows) {
            ++rowPages[row];
        }
    }
    for (SPage& page : *pages) {
        const auto isFurniture = [&](const SLine& line) {
            const char band = bandOf(line, page, tallest);
            if (band == 0) {
                return false;
            }
            const auto row = rowPages.find(rowOf(line, band));
            return (row != rowPages.end() && row->second >= kMinFurniturePages) ||
                   keyPages.count(furnitureKey(line, page, tallest)) > 0;
        };
        page.lines.erase(std::remove_if(page.lines.begin(), page.lines.end(), isFurniture),
                         page.lines.end());
    }
}

// --- The outline ---

// An entry of the PDF's outline that points at a page of it: its title, depth, page (from 0),
// and where on the page its destination's top lies, in points from the page's top edge
// (negative when the destination names no top).
struct SOutlineEntry {
    std::string title;
    int level = 0;
    int page = 0;
    double top = -1;
};

struct SGObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct SIndexIterFree {
    void operator()(PopplerIndexIter* iter) const { poppler_index_iter_free(iter); }
};
struct SActionFree {
    void operator()(PopplerAction* action) const { poppler_action_free(action); }
};
struct SDestFree {
    void operator()(PopplerDest* dest) const { poppler_dest_free(dest); }
};
using tIndexIter = std::unique_ptr<PopplerIndexIter, SIndexIterFree>;

// The outline entry an action of the outline makes, when it goes to a page of this document
// (directly or through a named destination that exists); false otherwise.
bool outlineEntryOf(PopplerDocument* pdf, const PopplerAction& action, int pages,
                    SOutlineEntry* entry) {
    if (action.type != POPPLER_ACTION_GOTO_DEST || action.goto_dest.dest == nullptr ||
        action.any.title == nullptr) {
        return false;
    }
    const PopplerDest* dest = action.goto_dest.dest;
    std::unique_ptr<PopplerDest, SDestFree> named;
    if (dest->type == POPPLER_DEST_NAMED) {
        if (dest->named_dest == nullptr) {
            return false;
        }
        named.reset(poppler_document_find_dest(pdf, dest->named_dest));
        if (!named || named->type == POPPLER_DEST_NAMED) {
            return false;
        }
        dest = named.get();
    }
    if (dest->type == POPPLER_DEST_UNKNOWN || dest->page_num < 1 || dest->page_num > pages) {
        return false;
    }
    std::string title = action.any.title;
    std::replace_if(
        title.begin(), title.end(), [](char c) { return isControl(static_cast<unsigned char>(c)); },
        ' ');
    entry->title = wxString::FromUTF8(title).Trim().Trim(false).utf8_string();
    entry->page = dest->page_num - 1;
    const bool namesTop = dest->type == POPPLER_DEST_XYZ || dest->type == POPPLER_DEST_FITH ||
                          dest->type == POPPLER_DEST_FITBH || dest->type == POPPLER_DEST_FITR;
    entry->top = namesTop && dest->change_top ? dest->top : -1;
    return !entry->title.empty();
}

// The entries of the outline from iter on, and their children, depth first, as far as
// kMaxOutlineDepth levels and kMaxOutlineEntries entries go.
void readOutlineLevel(PopplerDocument* pdf, PopplerIndexIter* iter, int level, int pages,
                      std::vector<SOutlineEntry>* entries) {
    do {
        if (entries->size() >= kMaxOutlineEntries) {
            return;
        }
        SOutlineEntry entry;
        entry.level = level;
        const std::unique_ptr<PopplerAction, SActionFree> action(
            poppler_index_iter_get_action(iter));
        if (action && outlineEntryOf(pdf, *action, pages, &entry)) {
            entries->push_back(std::move(entry));
        }
        if (level + 1 < kMaxOutlineDepth) {
            const tIndexIter child(poppler_index_iter_get_child(iter));
            if (child) {
                readOutlineLevel(pdf, child.get(), level + 1, pages, entries);
            }
        }
    } while (poppler_index_iter_next(iter));
}

// The outline's entries that point at pages, through poppler's GLib interface: its C++ one
// gives the titles but not where they point. Entries that point elsewhere (another file, a web
// page, a destination the PDF lacks) are left out; their children are kept.
std::vector<SOutlineEntry> readOutline(const char* bytes, std::size_t size, int pages) {
    std::vector<SOutlineEntry> entries;
    GBytes* data = g_bytes_new_static(bytes, size);
    const std::unique_ptr<PopplerDocument, SGObjectUnref> pdf(
        poppler_document_new_from_bytes(data, nullptr, nullptr));
    g_bytes_unref(data);
    if (pdf) {
        const tIndexIter top(poppler_index_iter_new(pdf.get()));
        if (top) {
            readOutlineLevel(pdf.get(), top.get(), 0, pages, &entries);
        }
    }
    return entries;
}

// Anchors each outline entry at the line of its page where its destination's top lands: the
// first line, in reading order, that reaches below it. An entry that names no top, or lands on
// the page's first line or below its last, is left to the page marker.
void anchorOutline(const std::vector<SOutlineEntry>& outline, std::vector<SPage>* pages) {
    for (std::size_t k = 0; k < outline.size(); ++k) {
        const SOutlineEntry& entry = outline[k];
        SPage& page = (*pages)[static_cast<std::size_t>(entry.page)];
        if (entry.top < 0 || page.height <= 0) {
            continue;
        }
        const double fromTop = page.topEdge - entry.top;
        const auto landing =
            std::find_if(page.lines.begin(), page.lines.end(), [fromTop](const SLine& line) {
                return line.rotation == 0 && line.bottom > fromTop;
            });
        if (landing != page.lines.end() && landing != page.lines.begin()) {
            landing->anchors.push_back(std::to_string(k));
        }
    }
}

std::unique_ptr<CDataManager> readPdf(const char* bytes, std::size_t size,
                                      const SImportContext& context, SImportReport* report) {
    if (size == 0) {
        report->error = "the PDF is empty";
        return nullptr;
    }
    if (size > static_cast<std::size_t>(INT_MAX)) {
        report->error = "the PDF is too large to read";
        return nullptr;
    }
    silencePoppler();
    const std::unique_ptr<poppler::document> pdf(
        poppler::document::load_from_raw_data(bytes, static_cast<int>(size)));
    if (!pdf) {
        report->error = "the PDF is damaged or not a PDF: it cannot be opened";
        return nullptr;
    }
    if (pdf->is_locked()) {
        report->error = "the PDF is locked with a password: it cannot be read without it";
        return nullptr;
    }
    const int pageCount = pdf->pages();
    if (pageCount <= 0) {
        report->error = "the PDF is damaged: it has no pages";
        return nullptr;
    }
    if (pageCount > kMaxPages) {
        report->error = wxString::Format("the PDF has %d pages, more than the %d that are read",
                                         pageCount, kMaxPages);
        return nullptr;
    }
    auto document = context.newDocument();
    std::u32string title = decode(pdf->info_key("Title"));
    // A title is shown on one line.
    std::replace_if(title.begin(), title.end(), isControl, U' ');
    document->setTitle(wxString::FromUTF8(toUtf8(title)).Trim().Trim(false));

    // All pages are read before any is written, so that the lines repeated from page to page
    // are known.
    std::vector<SPage> pages(static_cast<std::size_t>(pageCount));
    for (int index = 0; index < pageCount; ++index) {
        if (!context.readOn(static_cast<std::size_t>(index), static_cast<std::size_t>(pageCount))) {
            report->error = SImportContext::kCancelled;
            return nullptr;
        }
        const std::unique_ptr<poppler::page> page(pdf->create_page(index));
        SPage& read = pages[static_cast<std::size_t>(index)];
        std::string label;
        if (page) {
            const poppler::byte_array utf8 = page->label().to_utf8();
            label.assign(utf8.begin(), utf8.end());
            read.lines = gatherLines(page->text_list());
            if (page->orientation() == poppler::page::portrait) {
                const poppler::rectf box = page->page_rect();
                read.height = box.height();
                read.topEdge = box.bottom();
            }
        }
        read.number = pageNumber(label, index + 1);
    }
    dropFurniture(&pages);
    // The outline is read only when the C++ interface sees one.
    std::vector<SOutlineEntry> outline;
    if (std::unique_ptr<poppler::toc>(pdf->create_toc())) {
        outline = readOutline(bytes, size, pageCount);
        anchorOutline(outline, &pages);
    }

    // A word hyphenated at the foot of a page joins its rest at the top of the next.
    std::map<std::string, std::size_t> anchors;
    CWordWriter writer(document.get(), &anchors);
    eSeparator separator = eNoSeparator;
    bool anyWord = false;
    std::vector<std::size_t> pageStarts(pages.size());
    for (std::size_t index = 0; index < pages.size(); ++index) {
        std::vector<SLine>& lines = pages[index].lines;
        if (index + 1 < pages.size() && !lines.empty() && !pages[index + 1].lines.empty()) {
            joinHyphenated(&lines.back(), &pages[index + 1].lines.front());
            if (lines.back().words.empty()) {
                lines.pop_back();
            }
        }
        flushSeparator(&writer, &separator);
        writer.flush();
        pageStarts[index] = document->getItemCount();
        document->appendPageInfoRef(document->addPage(0, pages[index].number));
        anyWord = appendPage(&writer, lines, &separator) || anyWord;
        // What is written is no longer needed.
        std::vector<SLine>().swap(lines);
    }
    writer.flush();
    if (!anyWord) {
        report->error = "the PDF has no text to read: its pages hold only pictures (a scan?)";
        return nullptr;
    }

    std::vector<CDataManager::SContentsEntry> entries;
    for (std::size_t k = 0; k < outline.size(); ++k) {
        const auto anchor = anchors.find(std::to_string(k));
        entries.push_back(CDataManager::SContentsEntry{
            wxString::FromUTF8(outline[k].title), outline[k].level,
            anchor != anchors.end() ? anchor->second
                                    : pageStarts[static_cast<std::size_t>(outline[k].page)]});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.itemIndex < b.itemIndex; });
    for (const auto& entry : entries) {
        document->addContentsEntry(entry.title, entry.level, entry.itemIndex);
    }
    return document;
}

bool startsAsPdf(const char* bytes, std::size_t size) {
    return textHelpers::startsWith(bytes, size, "%PDF-");
}

} // namespace

const SFormatEntry CPdfImporter::kFormat = {
    CDocumentImporter::ePdf,
    "pdf",
    nullptr,
    "PDF",
    {"pdf"},
    &startsAsPdf,
    false,
    &makeImporter<CPdfImporter>,
    {"application/pdf"},
};

std::unique_ptr<CDataManager> CPdfImporter::read(const char* bytes, std::size_t size,
                                                 const SImportContext& context,
                                                 SImportReport* report) {
    try {
        return readPdf(bytes, size, context, report);
    } catch (const std::bad_alloc&) {
        report->error = "there is not enough memory to read the PDF";
        return nullptr;
    }
}
