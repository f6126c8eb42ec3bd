// Values in messages: short ones whole, long ones cut around an ellipsis between code points,
// what cannot be shown on a line replaced; the same from UTF-8 bytes and from a string.

#include <flitengine/outside/MessageText.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string times(std::size_t count, const std::string& part) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += part;
    }
    return out;
}

TEST(MessageTextTest, CutsLongValuesBetweenCodePoints) {
    const std::size_t head = 31; // of the 48 characters kept: 31, the ellipsis, 16
    const std::size_t tail = 16;
    const struct {
        const char* name;
        std::string value; // UTF-8, not always valid
        std::string shown; // UTF-8
        bool validUtf8;
    } cases[] = {
        {"short", "tide", "tide", true},
        {"exactly the limit", std::string(48, 'a'), std::string(48, 'a'), true},
        {"one over", std::string(49, 'a'),
         std::string(head, 'a') + "\u2026" + std::string(tail, 'a'), true},
        {"ten megabytes", std::string(10 << 20, '1'),
         std::string(head, '1') + "\u2026" + std::string(tail, '1'), true},
        {"two-byte letters", times(100, "\u00E9"),
         times(head, "\u00E9") + "\u2026" + times(tail, "\u00E9"), true},
        {"four-byte emoji at both cuts", std::string(30, 'a') + times(40, "\U0001F30A"),
         std::string(30, 'a') + "\U0001F30A\u2026" + times(tail, "\U0001F30A"), true},
        {"a Latin-1 byte", "caf\xE9", "caf\uFFFD", false},
        {"a sequence cut short at the end", "ab\xE2\x82", "ab\uFFFD", false},
        {"line breaks, tab and an escape", "a\nb\tc\x1B[0m", "a b c\uFFFD[0m", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const wxString expected = wxString::FromUTF8(c.shown);
        EXPECT_EQ(expected, CMessageText::cut(c.value.data(), c.value.size()));
        if (c.validUtf8) {
            EXPECT_EQ(expected, CMessageText::cut(wxString::FromUTF8(c.value)));
        }
    }
    // A name's bytes that the toolkit could not decode, as it holds them, and a smaller limit.
    EXPECT_EQ(wxString::FromUTF8("caf\uFFFD"), CMessageText::cut(wxString(L"caf\U001000E9")));
    EXPECT_EQ(wxString::FromUTF8("ab\u2026ij"), CMessageText::cut("abcdefghij", 10, 5));
}

} // namespace
