#include <flitengine/outside/TextTokenizer.h>
#include <flitengine/outside/Utf8.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The tokens as a compact string: words as themselves, "_" a space, "|" a newline.
std::string tokens(const std::string& text) {
    CTextTokenizer tokenizer(text.data(), text.size());
    CTextTokenizer::SToken token;
    std::string out;
    while (tokenizer.next(&token)) {
        out += (out.empty() ? "" : " ") + (token.type == CTextTokenizer::eWordToken
                                               ? text.substr(token.offset, token.length)
                                           : token.type == CTextTokenizer::eSpaceToken ? "_"
                                                                                       : "|");
    }
    return out;
}

} // namespace

TEST(TextTokenizer, SplitsWordsSpacesAndLineBreaks) {
    EXPECT_EQ("", tokens(""));
    EXPECT_EQ("one _ two", tokens("one \t two"));
    EXPECT_EQ("a | | b", tokens("a\r\n\nb"));
    EXPECT_EQ("a | b", tokens("a\rb"));
    EXPECT_EQ("a | | b", tokens("a\r\rb"));
    EXPECT_EQ("_ | _ | _", tokens(" \t\n\v\r\n "));
    EXPECT_EQ("_ end. _ |", tokens("  end.  \n"));
    EXPECT_EQ("caf\xC3\xA9, _ \xE2\x80\x94", tokens("caf\xC3\xA9,\v\xE2\x80\x94"));
    // Unicode spaces and line breaks (U+0085 is written as its bytes); no-break spaces join.
    EXPECT_EQ("a _ b _ c _ d | e | f | g\u00A0h\u202Fi",
              tokens("a\u3000\u2000\u200Ab\u205Fc\u1680d\u2028e\u2029f\xC2\x85g\u00A0h\u202Fi"));
}

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
        {u8"\U0001F468\u200D\U0001F469\u200D\U0001F467", 1, 18}, // a family of three
        {u8"\u1112\u1161\u11AB\u1100\u1173\u11AF", 2, 9},        // Hangul written in jamo
        {u8"\u0E01\u0E33\u0E19\u0E49\u0E33", 2, 6},              // Thai: vowel and tone marks join
        {"ab\r\nc", 4, 1}, // ASCII, a line break of two bytes is one
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

// Words on a line in the order they are seen from the left: a sentence's own direction, and a
// run of the other direction inside it kept in its own order.
TEST(Utf8, OrdersWordsOnALineByTheirDirection) {
    const std::pair<std::vector<std::string>, std::vector<std::size_t>> cases[] = {
        {{"one", "two", "three"}, {0, 1, 2}},
        {{u8"\u05E9\u05DC\u05D5\u05DD", u8"\u05E2\u05D5\u05DC\u05DD", "."}, {2, 1, 0}},
        {{u8"\u05E7\u05E0\u05D9", "New", "York.", u8"\u05E9\u05D5\u05D1"}, {3, 1, 2, 0}},
        {{"read", u8"\u05E1\u05E4\u05E8", u8"\u05D8\u05D5\u05D1", "today"}, {0, 2, 1, 3}},
    };
    for (const auto& [words, order] : cases) {
        const bool rightToLeft = CUtf8::isRightToLeft(words[0].data(), words[0].size());
        EXPECT_EQ(order, CUtf8::visualOrder(words, rightToLeft)) << words[0];
    }
}
