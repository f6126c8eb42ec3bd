#include "import/WordWriter.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>

namespace {

// The scripts written without spaces between words, which a dictionary cuts into words.
enum eScript { eOtherScript, eHan, eKana, eThai, eLao, eKhmer, eMyanmar };

eScript scriptOf(UChar32 c) {
    if (c < 0x0E00) {
        return eOtherScript;
    }
    if (c <= 0x0E7F) {
        return eThai;
    }
    if (c <= 0x0EFF) {
        return eLao;
    }
    if ((c >= 0x1000 && c <= 0x109F) || (c >= 0xA9E0 && c <= 0xA9FF) ||
        (c >= 0xAA60 && c <= 0xAA7F)) {
        return eMyanmar;
    }
    if ((c >= 0x1780 && c <= 0x17FF) || (c >= 0x19E0 && c <= 0x19FF)) {
        return eKhmer;
    }
    if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
        (c >= 0xFF66 && c <= 0xFF9F)) {
        return eKana;
    }
    // The ideographs: radicals, the iteration and closing marks 々 〆 〇, the unified
    // ideographs with their extensions, and the compatibility ideographs.
    if ((c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x3005 && c <= 0x3007) ||
        (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
        (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF)) {
        return eHan;
    }
    return eOtherScript;
}

// Chinese and Japanese characters, and their punctuation and full-width forms: text whose
// lines are wrapped between any two characters.
bool isWide(UChar32 c) {
    const eScript script = scriptOf(c);
    return script == eHan || script == eKana || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

// The locale whose dictionary cuts a word holding these scripts: Japanese when it has kana
// among its ideographs, Chinese when it has ideographs alone; null for none of them.
const char* segmentationLocale(const char* text, std::size_t size) {
    bool han = false;
    for (std::size_t at = 0; at < size;) {
        UChar32 c;
        U8_NEXT(text, at, size, c);
        switch (scriptOf(c)) {
        case eKana:
            return "ja";
        case eThai:
            return "th";
        case eLao:
            return "lo";
        case eKhmer:
            return "km";
        case eMyanmar:
            return "my";
        case eHan:
            han = true;
            break;
        case eOtherScript:
            break;
        }
    }
    return han ? "zh" : nullptr;
}

// Every one of these scripts is beyond U+0800, written in UTF-8 with a lead byte of 0xE0 or
// more: text without one (all of English, most of Europe) needs no look.
bool mayNeedSegmenting(const char* text, std::size_t size) {
    for (std::size_t at = 0; at < size; ++at) {
        if (static_cast<unsigned char>(text[at]) >= 0xE0) {
            return true;
        }
    }
    return false;
}

std::size_t countCodePoints(const char* text, std::size_t size) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < size; ++at) {
        count += (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// Whether every character of the text passes the test.
template <typename TTest> bool all(const char* text, std::size_t size, TTest test) {
    for (std::size_t at = 0; at < size;) {
        UChar32 c;
        U8_NEXT(text, at, size, c);
        if (!test(c)) {
            return false;
        }
    }
    return true;
}

bool isHiragana(UChar32 c) {
    return c >= 0x3041 && c <= 0x309F;
}

// The Chinese particles that end the word before them: of, aspect and question particles.
const char* const kChineseParticles[] = {"的", "了", "着", "过", "吗", "呢", "吧", "啊"};

// Whether a piece that the dictionary cut off belongs with the piece before it: a Japanese
// particle or ending (one or two hiragana), a Chinese particle, or a counter after a number
// (2026年, 3人).
bool staysWithPrevious(const char* previous, std::size_t previousSize, const char* piece,
                       std::size_t size) {
    const std::size_t characters = countCodePoints(piece, size);
    if (countCodePoints(previous, previousSize) + characters > CWordWriter::kMaxJoinedCharacters) {
        return false;
    }
    if (characters <= 2 && all(piece, size, isHiragana)) {
        return true;
    }
    if (characters != 1) {
        return false;
    }
    for (const char* particle : kChineseParticles) {
        if (std::strlen(particle) == size && std::memcmp(particle, piece, size) == 0) {
            return true;
        }
    }
    return all(piece, size, [](UChar32 c) { return scriptOf(c) == eHan; }) &&
           all(previous, previousSize, [](UChar32 c) { return u_isdigit(c) != 0; });
}

// Marks that are words of their own: the section, paragraph and footnote signs, bullets, the
// reference mark, the middle dot that lists and Catalan use.
bool isWordLikeMark(UChar32 c) {
    switch (c) {
    case 0x00A7:
    case 0x00B6:
    case 0x00B7:
    case 0x2020:
    case 0x2021:
    case 0x2022:
    case 0x2023:
    case 0x203B:
    case 0x2042:
    case 0x2043:
        return true;
    default:
        return false;
    }
}

} // namespace

// ICU's word break iterators, one per locale, made on first use and kept for the writer's
// life (making one costs far more than running it).
class CWordWriter::CSegmenter {
public:
    ~CSegmenter() { utext_close(utext); }

    // The byte offsets where the text's words begin, and its end; just the two ends when ICU
    // cannot cut it.
    void split(const char* text, std::size_t size, const char* locale,
               std::vector<std::size_t>* bounds) {
        bounds->clear();
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator>& iterator = iterators[locale];
        if (!iterator) {
            iterator.reset(icu::BreakIterator::createWordInstance(icu::Locale(locale), status));
        }
        utext = utext_openUTF8(utext, text, static_cast<int64_t>(size), &status);
        if (iterator && U_SUCCESS(status)) {
            iterator->setText(utext, status);
        }
        if (!iterator || U_FAILURE(status)) {
            *bounds = {0, size};
            return;
        }
        for (int32_t at = iterator->first(); at != icu::BreakIterator::DONE;
             at = iterator->next()) {
            bounds->push_back(static_cast<std::size_t>(at));
        }
    }

private:
    std::map<std::string, std::unique_ptr<icu::BreakIterator>> iterators;
    UText* utext = nullptr;
};

CWordWriter::CWordWriter(CDataManager* target, std::map<std::string, std::size_t>* anchorIndexes)
    : document(target), anchors(anchorIndexes) {}

CWordWriter::~CWordWriter() = default;

void CWordWriter::appendWord(const char* text, std::size_t size, const CStyleInfo& style,
                             std::vector<std::string>* anchorNames) {
    if (size == 0) {
        return;
    }
    if (mayNeedSegmenting(text, size)) {
        segment(text, size, style, anchorNames);
    } else {
        addToken(text, size, style, anchorNames);
    }
}

void CWordWriter::appendSpace() {
    if (!holding && marks.empty()) {
        document->appendSpace();
        return;
    }
    spaceAfterWord = holding;
    spaceAfterLast = true;
}

void CWordWriter::appendNewline() {
    settle();
    quoteOpen = false;
    document->appendNewline();
}

void CWordWriter::flush() {
    settle();
}

void CWordWriter::appendNoteReferences(std::vector<unsigned int>* numbers) {
    settle();
    for (const unsigned int number : *numbers) {
        document->appendValueRef(eDITRapidNoteRef, number);
    }
    numbers->clear();
}

bool CWordWriter::joinsAcrossLineBreak(const char* before, std::size_t beforeSize,
                                       const char* after, std::size_t afterSize) {
    if (beforeSize == 0 || afterSize == 0) {
        return false;
    }
    // The last character is in the last four bytes, the longest a character takes.
    const int32_t tailSize = static_cast<int32_t>(beforeSize < 4 ? beforeSize : 4);
    const char* tail = before + beforeSize - tailSize;
    int32_t end = tailSize;
    UChar32 last;
    U8_PREV(tail, 0, end, last);
    std::size_t at = 0;
    UChar32 first;
    U8_NEXT(after, at, afterSize, first);
    return isWide(last) && isWide(first);
}

// Cuts a word into the words of the dictionary of its script, keeps the short endings and
// particles with the piece before them, makes one piece of marks of one kind that stand
// together (a closing mark and the opening one after it go their own ways), and hands on the
// pieces with a space between.
void CWordWriter::segment(const char* text, std::size_t size, const CStyleInfo& style,
                          std::vector<std::string>* anchorNames) {
    // ICU's iterators count in 32-bit offsets.
    const char* locale = size <= INT32_MAX ? segmentationLocale(text, size) : nullptr;
    if (locale == nullptr) {
        addToken(text, size, style, anchorNames);
        return;
    }
    if (!segmenter) {
        segmenter = std::make_unique<CSegmenter>();
    }
    std::vector<std::size_t> bounds;
    segmenter->split(text, size, locale, &bounds);
    // Each piece as [begin, end) in the text, and the marks it is made of, if it is.
    struct SPiece {
        std::size_t begin, end;
        eMark mark;
    };
    std::vector<SPiece> pieces;
    // A no-break space inside the word keeps the pieces on either side together.
    bool glued = false;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        const char* piece = text + bounds[i];
        const std::size_t length = bounds[i + 1] - bounds[i];
        const bool space = all(piece, length, [](UChar32 c) { return u_isUWhiteSpace(c) != 0; });
        const eMark mark = space ? eNotMark : markOf(piece, length);
        SPiece* last = pieces.empty() ? nullptr : &pieces.back();
        if (last != nullptr && (glued || space)) {
            last->end = bounds[i + 1];
            last->mark = eNotMark;
        } else if (last != nullptr && last->mark == mark &&
                   (mark != eNotMark ||
                    staysWithPrevious(text + last->begin, last->end - last->begin, piece,
                                      length))) {
            last->end = bounds[i + 1];
        } else {
            pieces.push_back({bounds[i], bounds[i + 1], mark});
        }
        glued = space;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            appendSpace();
        }
        addToken(text + pieces[i].begin, pieces[i].end - pieces[i].begin, style,
                 i == 0 ? anchorNames : nullptr);
    }
}

// A word or a word of marks: marks wait for the next word or the paragraph's end to see which
// word they join; a word ends the wait of the word before it.
void CWordWriter::addToken(const char* text, std::size_t size, const CStyleInfo& style,
                           std::vector<std::string>* anchorNames) {
    // Most words start with a letter or digit of ASCII, which no mark is.
    const auto lead = static_cast<unsigned char>(text[0]);
    const bool letterOrDigit = static_cast<unsigned char>((lead | 0x20) - 'a') < 26 ||
                               static_cast<unsigned char>(lead - '0') < 10;
    eMark mark = letterOrDigit ? eNotMark : markOf(text, size);
    if (mark == eStraightQuote) {
        mark = quoteOpen ? eClosingMark : eOpeningMark;
        quoteOpen = !quoteOpen;
    }
    if (mark != eNotMark) {
        marks.emplace_back();
        SToken& token = marks.back();
        token.text.assign(text, size);
        token.style = style;
        token.mark = mark;
        if (anchorNames != nullptr) {
            token.anchors.swap(*anchorNames);
        }
        spaceAfterLast = false;
        return;
    }
    // Closing marks up to the first opening one end the word held; the rest begin this one.
    std::size_t first = 0;
    if (holding) {
        while (first < marks.size() && marks[first].mark == eClosingMark) {
            join(&held, &marks[first++]);
        }
        write(&held);
        if (spaceAfterWord) {
            document->appendSpace();
        }
    }
    held.text.assign(text, size);
    held.anchors.clear();
    for (std::size_t i = marks.size(); i-- > first;) {
        held.text.insert(0, marks[i].text);
        held.anchors.insert(held.anchors.end(), marks[i].anchors.begin(), marks[i].anchors.end());
    }
    held.style = style;
    if (anchorNames != nullptr) {
        held.anchors.insert(held.anchors.end(), anchorNames->begin(), anchorNames->end());
        anchorNames->clear();
    }
    holding = true;
    marks.clear();
    spaceAfterWord = false;
    spaceAfterLast = false;
}

// The paragraph (or what the importer has appended) ends: marks held join the word before
// them, or stand as they are when the paragraph has no word.
void CWordWriter::settle() {
    if (holding) {
        for (SToken& token : marks) {
            join(&held, &token);
        }
        write(&held);
    } else {
        for (std::size_t i = 0; i < marks.size(); ++i) {
            if (i > 0) {
                document->appendSpace();
            }
            write(&marks[i]);
        }
    }
    if (spaceAfterLast) {
        document->appendSpace();
    }
    holding = false;
    marks.clear();
    spaceAfterWord = false;
    spaceAfterLast = false;
}

void CWordWriter::write(SToken* token) {
    if (anchors != nullptr && !token->anchors.empty()) {
        for (const std::string& name : token->anchors) {
            (*anchors)[name] = document->getItemCount();
        }
    }
    document->appendWord(token->text.c_str(), token->style);
}

void CWordWriter::join(SToken* to, SToken* from) {
    to->text += from->text;
    to->anchors.insert(to->anchors.end(), from->anchors.begin(), from->anchors.end());
}

CWordWriter::eMark CWordWriter::markOf(const char* text, std::size_t size) {
    bool opening = false;
    bool closing = false;
    for (std::size_t at = 0; at < size;) {
        UChar32 c;
        U8_NEXT(text, at, size, c);
        if (c < 0x80) {
            switch (c) {
            case '(':
            case '[':
            case '{':
                opening = true;
                continue;
            case ')':
            case ']':
            case '}':
            case '.':
            case ',':
            case ';':
            case ':':
            case '!':
            case '?':
            case '-':
            case '%':
                closing = true;
                continue;
            case '"':
            case '\'':
                continue;
            default:
                return eNotMark;
            }
        }
        // The inverted marks that open Spanish questions and exclamations; the Thai marks of
        // repetition and abbreviation, which follow their word after a space.
        if (c == 0x00A1 || c == 0x00BF || c == 0x2E18) {
            opening = true;
            continue;
        }
        if (c == 0x0E46 || c == 0x0E2F) {
            closing = true;
            continue;
        }
        if (isWordLikeMark(c)) {
            return eNotMark;
        }
        switch (u_charType(c)) {
        case U_START_PUNCTUATION:
        case U_INITIAL_PUNCTUATION:
            opening = true;
            break;
        case U_END_PUNCTUATION:
        case U_FINAL_PUNCTUATION:
        case U_OTHER_PUNCTUATION:
        case U_DASH_PUNCTUATION:
            closing = true;
            break;
        default:
            return eNotMark;
        }
    }
    if (opening && !closing) {
        return eOpeningMark;
    }
    return closing ? eClosingMark : eStraightQuote;
}
