#include "outside/Utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

// The offset of the first bad byte: never valid, an overlong slash, a surrogate, above U+10FFFF,
// cut short at the end, a stray continuation.
TEST(Utf8, AcceptsValidTextAndFindsTheFirstBadByte) {
    const std::string good = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
    const std::pair<std::string, std::size_t> cases[] = {
        {good, CUtf8::kAllValid}, {"", CUtf8::kAllValid},  {"ab\xFF", 2},     {"a\xC0\xAF", 1},
        {"x\xED\xA0\x80", 1},     {"\xF4\x90\x80\x80", 0}, {"ok\xE2\x82", 2}, {"\x80", 0},
    };
    for (const auto& [bytes, offset] : cases) {
        EXPECT_EQ(offset, CUtf8::findInvalid(bytes.data(), bytes.size())) << bytes;
    }
    const std::string word = "\xC3\xA9t\xC3\xA9s"; // "étés": counts code points, not bytes
    EXPECT_EQ(4u, CUtf8::countCodePoints(word.data(), word.size()));
    EXPECT_EQ(3u, CUtf8::prefixBytes(word.data(), word.size(), 2));
    EXPECT_EQ(word.size(), CUtf8::prefixBytes(word.data(), word.size(), 10));
}

// A chunk of a long word is cut between the characters a reader perceives, never inside one.
TEST(Utf8, ClustersKeepMarksJoinersAndFlagsWithTheirCharacter) {
    const struct {
        const char* text;
        std::size_t clusters;
        std::size_t firstBytes;
    } cases[] = {
        {u8"e\u0301t\u00E9", 3, 3},                 // decomposed é, t, composed é
        {u8"a\u0308\u0301x", 2, 5},                 // two marks on one letter
        {u8"\u0915\u093F", 1, 6},                   // Devanagari ka + vowel sign i (Mc)
        {u8"\u2764\uFE0F!", 2, 6},                  // heart + variation selector 16
        {u8"\U0001F44D\U0001F3FD", 1, 8},           // thumbs up + skin tone
        {u8"\U0001F469\u200D\U0001F527", 1, 11},    // woman, joiner, wrench
        {u8"a\u200Db", 2, 4},                       // a joiner before a letter joins nothing
        {u8"\U0001F1EB\U0001F1F7\U0001F1EE", 2, 8}, // the flag FR, a lone indicator
        {u8"\u0301a", 2, 2},                        // a mark with no letter before it
        {"", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::size_t size = std::strlen(c.text);
        EXPECT_EQ(c.clusters, CUtf8::countClusters(c.text, size));
        EXPECT_EQ(c.firstBytes, CUtf8::clusterBytes(c.text, size));
        EXPECT_EQ(c.firstBytes, CUtf8::clusterPrefixBytes(c.text, size, 1));
    }
}
