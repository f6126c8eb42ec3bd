#include "import/PdfImporter.h"

#include "import/TextHelpers.h"
#include "import/WordWriter.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
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
// inside a word) continues that word.
std::vector<SLine> gatherLines(const std::vector<poppler::text_box>& boxes) {
    std::vector<SLine> lines;
    bool glued = false;
    double lastLeft = 0;
    for (const poppler::text_box& box : boxes) {
        const std::u32string text = decode(box.text());
        const int rotation = box.rotation();
        const SExtent extent = turned(box.bbox(), rotation);
        const double middle = (extent.top + extent.bottom) / 2;
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
        for (const char32_t c : text) {
            // The blanks and line breaks plain text knows separate words; the no-break spaces
            // keep their words together, as in plain text.
            if (textHelpers::isWhiteSpace(c)) {
                glued = false;
            } else if (!isControl(c)) {
                if (!glued || line.words.empty()) {
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
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SLine& line = lines[i];
        SLine* next = i + 1 < lines.size() ? &lines[i + 1] : nullptr;
        const SLine* before = i > 0 ? &lines[i - 1] : nullptr;
        if (next != nullptr) {
            joinHyphenated(&line, next);
        }
        for (const std::u32string& word : line.words) {
            const std::string text = toUtf8(word);
            if (*separator == eSpaceSeparator &&
                CWordWriter::joinsAcrossLineBreak(pending.data(), pending.size(), text.data(),
                                                  text.size())) {
                pending += text;
            } else {
                writer->appendWord(pending.data(), pending.size());
                flushSeparator(writer, separator);
                pending = text;
            }
            *separator = eSpaceSeparator;
            anyWord = true;
        }
        if (!line.words.empty() && endsParagraph(before, line, next, usualStep)) {
            *separator = eNewlineSeparator;
        }
    }
    writer->appendWord(pending.data(), pending.size());
    return anyWord;
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
    if (pdf->pages() <= 0) {
        report->error = "the PDF is damaged: it has no pages";
        return nullptr;
    }
    auto document = std::make_unique<CDataManager>();
    std::u32string title = decode(pdf->info_key("Title"));
    // A title is shown on one line.
    std::replace_if(title.begin(), title.end(), isControl, U' ');
    document->setTitle(wxString::FromUTF8(toUtf8(title)).Trim().Trim(false));

    // Each page is appended once the next page's lines are known, so that a word hyphenated at
    // the foot of a page joins its rest at the top of the next.
    CWordWriter writer(document.get());
    eSeparator separator = eNoSeparator;
    bool anyWord = false;
    std::vector<SLine> held;
    unsigned heldNumber = 0;
    const auto appendHeld = [&] {
        flushSeparator(&writer, &separator);
        writer.flush();
        document->appendPageInfoRef(document->addPage(0, heldNumber));
        anyWord = appendPage(&writer, held, &separator) || anyWord;
    };
    for (int index = 0; index < pdf->pages(); ++index) {
        if (!context.readOn(static_cast<std::size_t>(index),
                            static_cast<std::size_t>(pdf->pages()))) {
            report->error = SImportContext::kCancelled;
            return nullptr;
        }
        const std::unique_ptr<poppler::page> page(pdf->create_page(index));
        std::vector<SLine> lines;
        std::string label;
        if (page) {
            const poppler::byte_array utf8 = page->label().to_utf8();
            label.assign(utf8.begin(), utf8.end());
            lines = gatherLines(page->text_list());
        }
        if (index > 0) {
            if (!held.empty() && !lines.empty()) {
                joinHyphenated(&held.back(), &lines.front());
                if (held.back().words.empty()) {
                    held.pop_back();
                }
            }
            appendHeld();
        }
        held = std::move(lines);
        heldNumber = pageNumber(label, index + 1);
    }
    appendHeld();
    writer.flush();
    if (!anyWord) {
        report->error = "the PDF has no text to read: its pages hold only pictures (a scan?)";
        return nullptr;
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
