#include <flitengine/timing/SentenceEnd.h>

#include <flitengine/outside/Utf8.h>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstring>
#include <string>

namespace {

const char kFullStop = '.';
const char32_t kEllipsis = 0x2026;

bool isUpperByte(char c) {
    return c >= 'A' && c <= 'Z';
}

bool isLowerByte(char c) {
    return c >= 'a' && c <= 'z';
}

// Stops (period kind) beyond ASCII: the ellipsis, double marks, the full-width and ideographic
// forms, the Greek, Armenian, Arabic, Urdu, Devanagari and Ethiopic sentence ends.
const char32_t kStops[] = {0x2026, 0x203C, 0x2047, 0x2048, 0x2049, 0xFF01, 0xFF0E, 0xFF1A,
                           0xFF1F, 0x3002, 0xFF61, 0x037E, 0x0589, 0x061F, 0x06D4, 0x0964,
                           0x0965, 0x1362, 0x1367, 0xFE52, 0xFE56, 0xFE57};
// Pauses (comma kind) beyond ASCII: full-width commas, semicolons and brackets, the ideographic
// comma, the Greek ano teleia, the Arabic comma and semicolon.
const char32_t kPauses[] = {0xFF0C, 0x3001, 0xFF64, 0xFF1B, 0xFF08, 0xFF09, 0xFF1C, 0xFF1E,
                            0x0387, 0x060C, 0x061B, 0x055D, 0x1363, 0xFE50, 0xFE51};

bool among(const char32_t* set, std::size_t count, char32_t c) {
    for (std::size_t i = 0; i < count; ++i) {
        if (set[i] == c) {
            return true;
        }
    }
    return false;
}

} // namespace

bool CSentenceEnd::isAbbreviation(const char* word, size_t length) {
    if (length < 2 || length > 4 || !isUpperByte(word[0]) || word[length - 1] != kFullStop) {
        return false;
    }
    for (size_t i = 1; i + 1 < length; ++i) {
        if (!isLowerByte(word[i])) {
            return false;
        }
    }
    return true;
}

bool CSentenceEnd::isAbbreviationInCharacters(const char* word, size_t length) {
    if (length < 2 || length > 4) {
        return false;
    }
    const int32_t size = static_cast<int32_t>(std::strlen(word));
    int32_t at = 0;
    for (size_t i = 0; i < length; ++i) {
        if (at >= size) {
            return false;
        }
        UChar32 c = 0;
        U8_NEXT(word, at, size, c);
        const int8_t type = c < 0 ? static_cast<int8_t>(U_UNASSIGNED) : u_charType(c);
        const bool fits = i == 0            ? type == U_UPPERCASE_LETTER
                          : i + 1 == length ? c == kFullStop
                                            : type == U_LOWERCASE_LETTER;
        if (!fits) {
            return false;
        }
    }
    return at == size;
}

bool CSentenceEnd::endsSentence(const char* word) {
    const int32_t size = static_cast<int32_t>(std::strlen(word));
    int32_t end = size;
    UChar32 last = 0;
    while (end > 0) {
        U8_PREV(word, 0, end, last);
        if (last < 0 || !isClosing(static_cast<char32_t>(last))) {
            break;
        }
        last = 0;
    }
    if (last <= 0) {
        return false;
    }
    if (last == kFullStop) {
        const std::string before(word, static_cast<size_t>(end) + 1);
        return !isAbbreviation(word, before.size()) &&
               !isAbbreviationInCharacters(before.c_str(),
                                           CUtf8::countCodePoints(before.data(), before.size()));
    }
    return last == '!' || last == '?' || last == kEllipsis ||
           (last > 0x7F && markKindOf(static_cast<char32_t>(last)) == ePeriodMark &&
            last != 0xFF1A);
}

CSentenceEnd::eMarkKind CSentenceEnd::markKindOf(char32_t c) {
    if (c < 0x80) {
        return asciiMarkKindOf(static_cast<char>(c));
    }
    if (among(kStops, sizeof kStops / sizeof kStops[0], c)) {
        return ePeriodMark;
    }
    return among(kPauses, sizeof kPauses / sizeof kPauses[0], c) ? eCommaMark : eNoMark;
}

bool CSentenceEnd::isClosing(char32_t c) {
    if (c < 0x80) {
        return c == '"' || c == '\'' || c == ')' || c == ']';
    }
    // Closing brackets, and quotation marks of either side: a quote that ends a word closes
    // whatever the script's convention ("fin.»", "Ende.“", "终。」").
    const int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_END_PUNCTUATION || type == U_FINAL_PUNCTUATION ||
           type == U_INITIAL_PUNCTUATION;
}
