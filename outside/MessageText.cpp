#include <flitengine/outside/MessageText.h>

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const wchar_t kEllipsis = L'\u2026';
const wchar_t kReplacement = L'\uFFFD';
// The toolkit decodes a file name's bytes that are not UTF-8 to these private-use characters,
// so that the name still opens; shown, they are noise.
const std::uint32_t kUndecodedByteFirst = 0x100000;
const std::uint32_t kUndecodedByteLast = 0x1000FF;

// The character as a message shows it.
wchar_t shown(std::uint32_t c) {
    if (c == '\t' || c == '\n' || c == '\r') {
        return L' ';
    }
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) ||
        (c >= kUndecodedByteFirst && c <= kUndecodedByteLast)) {
        return kReplacement;
    }
    return static_cast<wchar_t>(c);
}

std::size_t headChars(std::size_t limit) {
    return (limit - 1) * 2 / 3;
}

void appendShown(const std::vector<std::uint32_t>& chars, wxString* out) {
    for (const std::uint32_t c : chars) {
        *out += shown(c);
    }
}

} // namespace

wxString CMessageText::cut(const wxString& value, std::size_t limit) {
    const std::size_t length = value.length();
    const std::size_t head = length > limit ? headChars(limit) : length;
    const std::size_t tail = length > limit ? limit - 1 - head : 0;
    wxString out;
    out.reserve(std::min(length, limit));
    for (std::size_t i = 0; i < head; ++i) {
        out += shown(static_cast<std::uint32_t>(value[i].GetValue()));
    }
    if (length > limit) {
        out += kEllipsis;
        for (std::size_t i = length - tail; i < length; ++i) {
            out += shown(static_cast<std::uint32_t>(value[i].GetValue()));
        }
    }
    return out;
}

wxString CMessageText::cut(const char* utf8, std::size_t size, std::size_t limit) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8);
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(size, INT32_MAX));
    // The first limit characters, and whether there are more: an invalid sequence counts as one
    // character (U+FFFD).
    std::vector<std::uint32_t> first;
    std::vector<std::int32_t> ends;
    std::int32_t at = 0;
    while (at < length && first.size() <= limit) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        first.push_back(c < 0 ? kReplacement : static_cast<std::uint32_t>(c));
        ends.push_back(at);
    }
    wxString out;
    if (first.size() <= limit) {
        appendShown(first, &out);
        return out;
    }
    const std::size_t head = headChars(limit);
    const std::int32_t headEnd = ends[head - 1];
    first.resize(head);
    appendShown(first, &out);
    out += kEllipsis;
    // The last characters, read backwards from the end, never back into the head.
    std::vector<std::uint32_t> last;
    std::int32_t end = length;
    while (end > headEnd && last.size() < limit - 1 - head) {
        UChar32 c = 0;
        U8_PREV(bytes, headEnd, end, c);
        last.push_back(c < 0 ? kReplacement : static_cast<std::uint32_t>(c));
    }
    std::reverse(last.begin(), last.end());
    appendShown(last, &out);
    return out;
}
