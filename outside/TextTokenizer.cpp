#include <flitengine/outside/TextTokenizer.h>

namespace {

// Whether text (of size bytes) starts with the length bytes of sequence.
bool startsWith(const char* text, std::size_t size, const char* sequence, std::size_t length) {
    if (size < length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] != sequence[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

CTextTokenizer::CTextTokenizer(const char* textIn, std::size_t sizeIn)
    : text(textIn), size(sizeIn), position(0) {}

std::size_t CTextTokenizer::blankLength(const char* text, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    switch (text[0]) {
    case ' ':
    case '\t':
    case '\v':
    case '\f':
        return 1;
    default:
        break;
    }
    // U+1680 ogham space mark, U+205F medium mathematical space, U+3000 ideographic space.
    if (startsWith(text, size, "\xE1\x9A\x80", 3) || startsWith(text, size, "\xE2\x81\x9F", 3) ||
        startsWith(text, size, "\xE3\x80\x80", 3)) {
        return 3;
    }
    // U+2000 en quad to U+200A hair space.
    if (startsWith(text, size, "\xE2\x80", 2) && size >= 3 &&
        static_cast<unsigned char>(text[2]) >= 0x80 &&
        static_cast<unsigned char>(text[2]) <= 0x8A) {
        return 3;
    }
    return 0;
}

std::size_t CTextTokenizer::lineBreakLength(const char* text, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    if (text[0] == '\n') {
        return 1;
    }
    if (text[0] == '\r') {
        return size > 1 && text[1] == '\n' ? 2 : 1;
    }
    // U+0085 next line; U+2028 line separator and U+2029 paragraph separator.
    if (startsWith(text, size, "\xC2\x85", 2)) {
        return 2;
    }
    if (startsWith(text, size, "\xE2\x80\xA8", 3) || startsWith(text, size, "\xE2\x80\xA9", 3)) {
        return 3;
    }
    return 0;
}

bool CTextTokenizer::next(SToken* token) {
    if (position >= size) {
        return false;
    }
    const std::size_t start = position;
    const std::size_t lineBreak = lineBreakLength(text + position, size - position);
    if (lineBreak > 0) {
        position += lineBreak;
        *token = {eNewlineToken, start, lineBreak};
        return true;
    }
    const bool blank = blankLength(text + position, size - position) > 0;
    while (position < size && lineBreakLength(text + position, size - position) == 0) {
        const std::size_t blankBytes = blankLength(text + position, size - position);
        if ((blankBytes > 0) != blank) {
            break;
        }
        // A word's bytes are stepped one at a time: the white space characters all start with
        // a lead byte, which never occurs inside another character.
        position += blankBytes > 0 ? blankBytes : 1;
    }
    *token = {blank ? eSpaceToken : eWordToken, start, position - start};
    return true;
}
