#include <flitengine/outside/Utf8.h>

#include <unicode/ubidi.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <memory>

const std::size_t CUtf8::kAllValid = static_cast<std::size_t>(-1);

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid sequence that starts at data[0], or 0 when it is not valid.
std::size_t sequenceLength(const unsigned char* data, std::size_t available) {
    const unsigned char lead = data[0];
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;  // allowed range of the second byte, which rules out overlong
    unsigned char high = 0xBF; // forms, surrogates and code points above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (available < length || data[1] < low || data[1] > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(data[i])) {
            return 0;
        }
    }
    return length;
}

// Whether the first size bytes are ASCII in which each byte is a character of its own: every
// ASCII character stands alone but a carriage return, which joins the line feed after it.
bool isPlainAscii(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte >= 0x80 || byte == '\r') {
            return false;
        }
    }
    return true;
}

// A character break iterator per thread, made once and reused: opening one loads the break
// rules, which costs far more than breaking a word. It reads UTF-8 through a UText, so the
// boundaries it gives are byte offsets.
class CClusterBreaker {
public:
    CClusterBreaker() {
        UErrorCode status = U_ZERO_ERROR;
        iterator = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
        if (U_FAILURE(status)) {
            ubrk_close(iterator);
            iterator = nullptr;
        }
    }
    ~CClusterBreaker() {
        ubrk_close(iterator);
        utext_close(text);
    }
    CClusterBreaker(const CClusterBreaker&) = delete;
    CClusterBreaker& operator=(const CClusterBreaker&) = delete;

    // Sets the text and returns the iterator at its start; null when ICU could not, in which
    // case the caller counts code points.
    UBreakIterator* over(const char* data, std::size_t size) {
        if (iterator == nullptr || size > static_cast<std::size_t>(INT64_MAX)) {
            return nullptr;
        }
        UErrorCode status = U_ZERO_ERROR;
        text = utext_openUTF8(text, data, static_cast<int64_t>(size), &status);
        ubrk_setUText(iterator, text, &status);
        return U_SUCCESS(status) ? iterator : nullptr;
    }

private:
    UBreakIterator* iterator = nullptr;
    UText* text = nullptr;
};

thread_local CClusterBreaker clusterBreaker;

} // namespace

std::size_t CUtf8::findInvalid(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    std::size_t offset = 0;
    while (offset < size) {
        const std::size_t length = sequenceLength(bytes + offset, size - offset);
        if (length == 0) {
            return offset;
        }
        offset += length;
    }
    return kAllValid;
}

std::size_t CUtf8::countCodePoints(const char* data, std::size_t size) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (!isContinuation(static_cast<unsigned char>(data[i]))) {
            ++count;
        }
    }
    return count;
}

std::size_t CUtf8::prefixBytes(const char* data, std::size_t size, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (!isContinuation(static_cast<unsigned char>(data[i]))) {
            if (seen == count) {
                return i;
            }
            ++seen;
        }
    }
    return size;
}

std::size_t CUtf8::clusterBytes(const char* data, std::size_t size) {
    return clusterPrefixBytes(data, size, 1);
}

std::size_t CUtf8::countClusters(const char* data, std::size_t size) {
    if (isPlainAscii(data, size)) {
        return size;
    }
    UBreakIterator* breaks = clusterBreaker.over(data, size);
    if (breaks == nullptr) {
        return countCodePoints(data, size);
    }
    std::size_t count = 0;
    while (ubrk_next(breaks) != UBRK_DONE) {
        ++count;
    }
    return count;
}

std::size_t CUtf8::clusterPrefixBytes(const char* data, std::size_t size, std::size_t count) {
    // The character after the last one counted must be looked at too: a mark there joins it.
    if (isPlainAscii(data, count < size ? count + 1 : size)) {
        return std::min(count, size);
    }
    UBreakIterator* breaks = clusterBreaker.over(data, size);
    if (breaks == nullptr) {
        return prefixBytes(data, size, count);
    }
    std::int32_t end = 0;
    for (std::size_t seen = 0; seen < count; ++seen) {
        const std::int32_t next = ubrk_next(breaks);
        if (next == UBRK_DONE) {
            return size;
        }
        end = next;
    }
    return static_cast<std::size_t>(end);
}

bool CUtf8::isPunctuationOrSymbol(const char* data, std::size_t size) {
    if (size == 0) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    std::int32_t at = 0;
    UChar32 c = 0;
    U8_NEXT(bytes, at, static_cast<std::int32_t>(std::min<std::size_t>(size, 4)), c);
    return (U_GET_GC_MASK(c) & (U_GC_P_MASK | U_GC_S_MASK)) != 0;
}

bool CUtf8::isRightToLeft(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(size, INT32_MAX));
    for (std::int32_t at = 0; at < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        switch (u_charDirection(c)) {
        case U_LEFT_TO_RIGHT:
            return false;
        case U_RIGHT_TO_LEFT:
        case U_RIGHT_TO_LEFT_ARABIC:
            return true;
        default:
            break;
        }
    }
    return false;
}

std::vector<std::size_t> CUtf8::visualOrder(const std::vector<std::string>& words,
                                            bool rightToLeft) {
    // The words joined by spaces as one line. Each word stands where its first letter or digit
    // stands: the punctuation after a word may be shown elsewhere (the full stop after a Latin
    // name in a Hebrew sentence stands at the name's left, before its first word).
    icu::UnicodeString line;
    std::vector<std::int32_t> keys;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) {
            line.append(u' ');
        }
        const std::int32_t start = line.length();
        line.append(
            icu::UnicodeString::fromUTF8(icu::StringPiece(words[i].data(), words[i].size())));
        std::int32_t key = start;
        while (key < line.length() && !(U_MASK(u_charDirection(line.char32At(key))) &
                                        (U_MASK(U_LEFT_TO_RIGHT) | U_MASK(U_RIGHT_TO_LEFT) |
                                         U_MASK(U_RIGHT_TO_LEFT_ARABIC) |
                                         U_MASK(U_EUROPEAN_NUMBER) | U_MASK(U_ARABIC_NUMBER)))) {
            ++key;
        }
        keys.push_back(key < line.length() ? key : start);
    }
    // In the order written from the line's start, unless the algorithm can tell.
    std::vector<std::size_t> order(words.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = rightToLeft ? words.size() - 1 - i : i;
    }
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UBiDi, void (*)(UBiDi*)> bidi(ubidi_open(), ubidi_close);
    std::vector<std::int32_t> visual(static_cast<std::size_t>(line.length()) + 1);
    ubidi_setPara(bidi.get(), line.getBuffer(), line.length(), rightToLeft ? UBIDI_RTL : UBIDI_LTR,
                  nullptr, &status);
    ubidi_getLogicalMap(bidi.get(), visual.data(), &status);
    if (U_SUCCESS(status)) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return visual[static_cast<std::size_t>(keys[a])] <
                   visual[static_cast<std::size_t>(keys[b])];
        });
    }
    return order;
}
