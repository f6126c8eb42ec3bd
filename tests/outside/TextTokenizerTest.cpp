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
        if (!out.empty()) {
            out += ' ';
        }
        switch (token.type) {
        case CTextTokenizer::eWordToken:
            out += text.substr(token.offset, token.length);
            break;
        case CTextTokenizer::eSpaceToken:
            out += '_';
            break;
        case CTextTokenizer::eNewlineToken:
            out += '|';
            break;
        }
    }
    return out;
}

} // namespace

TEST(TextTokenizer, SplitsWordsSpacesAndLineBreaks) {
    EXPECT_EQ("", tokens(""));
    EXPECT_EQ("one _ two", tokens("one \t two"));
    EXPECT_EQ("a | | b", tokens("a\r\n\nb"));
    EXPECT_EQ("a | b", tokens("a\rb"));
    EXPECT_EQ("_ end. _ |", tokens("  end.  \n"));
    EXPECT_EQ("caf\xC3\xA9,", tokens("caf\xC3\xA9,"));
}
