#ifndef FLIT_OUTSIDE_TEXTTOKENIZER_H
#define FLIT_OUTSIDE_TEXTTOKENIZER_H

#include "FlitExport.h"

#include <cstddef>

// Splits text into the items a document is built from: words are maximal runs of characters
// other than white space, a run of spaces and tabs is one space, and each line break ("\n",
// "\r\n" or a lone "\r") is one newline. Vertical tabs and form feeds count as spaces. The
// tokenizer only points into the caller's bytes; it copies and allocates nothing.
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

private:
    const char* text;
    std::size_t size;
    std::size_t position;
};

#endif
