#include "outside/Utf8.h"

#include <gtest/gtest.h>

#include <string>

TEST(Utf8, AcceptsValidTextAndFindsTheFirstBadByte) {
    const std::string good = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
    EXPECT_EQ(CUtf8::kAllValid, CUtf8::findInvalid(good.data(), good.size()));
    EXPECT_EQ(CUtf8::kAllValid, CUtf8::findInvalid("", 0));

    struct {
        std::string bytes;
        std::size_t offset;
    } bad[] = {
        {"ab\xFF", 2},           // never valid
        {"a\xC0\xAF", 1},        // overlong slash
        {"x\xED\xA0\x80", 1},    // surrogate
        {"\xF4\x90\x80\x80", 0}, // above U+10FFFF
        {"ok\xE2\x82", 2},       // cut short at the end
        {"\x80", 0},             // stray continuation
    };
    for (const auto& c : bad) {
        EXPECT_EQ(c.offset, CUtf8::findInvalid(c.bytes.data(), c.bytes.size())) << c.bytes;
    }
}

TEST(Utf8, PrefixCountsCodePointsNotBytes) {
    const std::string word = "\xC3\xA9t\xC3\xA9s"; // "étés"
    EXPECT_EQ(4u, CUtf8::countCodePoints(word.data(), word.size()));
    EXPECT_EQ(3u, CUtf8::prefixBytes(word.data(), word.size(), 2));
    EXPECT_EQ(word.size(), CUtf8::prefixBytes(word.data(), word.size(), 10));
}
