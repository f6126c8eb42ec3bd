#include "outside/TextTokenizer.h"

#include <gtest/gtest.h>

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
