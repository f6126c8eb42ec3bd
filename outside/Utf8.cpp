#include "outside/Utf8.h"

#include <cstdint>

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
