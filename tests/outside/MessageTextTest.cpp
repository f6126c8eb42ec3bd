// Values in messages: short ones whole, long ones cut around an ellipsis between code points,
// what cannot be shown on a line replaced; the same from UTF-8 bytes and from a string.

#include <flitengine/outside/MessageText.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageTextTest, CutsLongValuesBetweenCodePoints) {
    // Of the 48 characters kept: 31, the ellipsis, 16.
    const wxString ellipsis(L'\u2026');
    const wchar_t wave = L'\U0001F30A';
    const struct {
        const char* name;
        wxString value, shown;
    } cases[] = {
        {"short", "tide", "tide"},
        {"one over", wxString('a', 49), wxString('a', 31) + ellipsis + wxString('a', 16)},
        {"ten megabytes", wxString('1', 10 << 20),
         wxString('1', 31) + ellipsis + wxString('1', 16)},
        {"two-byte letters", wxString(L'\u00E9', 100),
         wxString(L'\u00E9', 31) + ellipsis + wxString(L'\u00E9', 16)},
        {"four-byte emoji at both cuts", wxString('a', 30) + wxString(wave, 40),
         wxString('a', 30) + wave + ellipsis + wxString(wave, 16)},
        {"line breaks, tab and an escape", "a\nb\tc\x1B[0m", L"a b c\uFFFD[0m"},
        {"a byte the toolkit could not decode", L"caf\U001000E9", L"caf\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.shown, CMessageText::cut(c.value));
        const std::string utf8 = c.value.utf8_string();
        EXPECT_EQ(c.shown, CMessageText::cut(utf8.data(), utf8.size()));
    }
    // Bytes that are not UTF-8 (Latin-1, a sequence cut short), and a smaller limit.
    EXPECT_EQ(L"caf\uFFFD", CMessageText::cut("caf\xE9", 4));
    EXPECT_EQ(L"ab\uFFFD", CMessageText::cut("ab\xE2\x82", 4));
    EXPECT_EQ(L"ab\u2026ij", CMessageText::cut("abcdefghij", 10, 5));
}

} // namespace
