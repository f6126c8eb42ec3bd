#include "import/TextHelpers.h"

#include <flitengine/outside/MessageText.h>
#include <flitengine/outside/TextTokenizer.h>

#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>

namespace textHelpers {

bool startsWith(const char* bytes, std::size_t size, const char* prefix, std::size_t length) {
    length = length == std::string::npos ? std::strlen(prefix) : length;
    return size >= length && std::memcmp(bytes, prefix, length) == 0;
}

std::size_t whiteSpaceRun(const char* text, std::size_t size, bool* lineBreak) {
    std::size_t at = 0;
    while (at < size) {
        if (const std::size_t blank = CTextTokenizer::blankLength(text + at, size - at)) {
            at += blank;
        } else if (const std::size_t end = CTextTokenizer::lineBreakLength(text + at, size - at)) {
            at += end;
            *lineBreak = true;
        } else {
            break;
        }
    }
    return at;
}

bool isWhiteSpace(char32_t c) {
    std::string bytes;
    appendUtf8(&bytes, c);
    bool lineBreak = false;
    return whiteSpaceRun(bytes.data(), bytes.size(), &lineBreak) == bytes.size();
}

std::string collapsed(const std::string& text) {
    std::string out;
    const std::size_t size = text.size();
    for (std::size_t at = 0; at < size;) {
        bool lineBreak = false;
        if (const std::size_t run = whiteSpaceRun(text.data() + at, size - at, &lineBreak)) {
            at += run;
            if (!out.empty() && at < size) {
                out += ' ';
            }
        } else {
            out += text[at++];
        }
    }
    return out;
}

void appendUtf8(std::string* out, char32_t c) {
    char bytes[U8_MAX_LENGTH];
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, c);
    out->append(bytes, static_cast<std::size_t>(length));
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

wxString quoted(const std::string& name) {
    return "\"" + CMessageText::cut(name.data(), name.size()) + "\"";
}

} // namespace textHelpers
