#ifndef FLIT_OUTSIDE_TEXTTOKENIZER_H
#define FLIT_OUTSIDE_TEXTTOKENIZER_H

#include <flitengine/FlitExport.h>

#include <cstddef>

// Splits UTF-8 text into the items a document is built from: words are maximal runs of
// characters other than white space, a run of blanks is one space, and each line break is one
// newline. Blanks are space, tab, vertical tab, form feed and the Unicode spaces U+1680,
// U+2000 to U+200A, U+205F and U+3000; line breaks are "\n", "\r\n", a lone "\r", U+0085,
// U+2028 and U+2029. The no-break spaces U+00A0 and U+202F are not white space: they keep the
// words on either side together. The tokenizer only points into the caller's bytes; it copies
// and allocates nothing.
class FLIT_EXPORT CTextTokenizer {
public:
    enum eTokenType { eWordToken, eSpaceToken, eNewlineToken };

    struct SToken {
        eTokenType type;
        std::size_t offset; // first byte of the token in the text
        std::size_t length; // bytes, line break characters included
    };

    CTextTokenizer(const char* text, std::size_t size);

    // Fills token with the next token and returns true, or returns false at the end.
    bool next(SToken* token);

    // The bytes of the blank, or of the line break, that text (of size bytes) starts with; 0
    // when it starts with neither.
    static std::size_t blankLength(const char* text, std::size_t size);
    static std::size_t lineBreakLength(const char* text, std::size_t size);

private:
    const char* text;
    std::size_t size;
    std::size_t position;
};

#endif
