#include "timing/SentenceEnd.h"

#include <cstring>

namespace {

const char kFullStop = '.';
// U+2026 HORIZONTAL ELLIPSIS in UTF-8.
const char kEllipsis[] = "\xE2\x80\xA6";
const size_t kEllipsisBytes = sizeof kEllipsis - 1;

bool isUpperByte(char c) {
    return c >= 'A' && c <= 'Z';
}

bool isLowerByte(char c) {
    return c >= 'a' && c <= 'z';
}

// Bytes of what may close a sentence after its mark: quotes and brackets, the UTF-8 right
// quotation marks (E2 80 99 and E2 80 9D) included.
bool isClosingByte(unsigned char c) {
    return c == '"' || c == '\'' || c == ')' || c == ']' || c == 0x99 || c == 0x9D || c == 0x80 ||
           c == 0xE2;
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

bool CSentenceEnd::endsSentence(const char* word) {
    size_t end = std::strlen(word);
    while (end > 0 && isClosingByte(static_cast<unsigned char>(word[end - 1]))) {
        --end;
    }
    // The ellipsis ends in a byte that closes nothing, so it is never stripped.
    if (end >= kEllipsisBytes &&
        std::memcmp(word + end - kEllipsisBytes, kEllipsis, kEllipsisBytes) == 0) {
        return true;
    }
    if (end == 0 || std::strchr(".!?", word[end - 1]) == nullptr) {
        return false;
    }
    return word[end - 1] != kFullStop || !isAbbreviation(word, end);
}
