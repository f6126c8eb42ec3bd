#ifndef FLIT_OUTSIDE_UTF8_H
#define FLIT_OUTSIDE_UTF8_H

#include <flitengine/FlitExport.h>

#include <cstddef>
#include <string>
#include <vector>

// Checks that bytes form valid UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF), so that text from outside can be refused with the place of the fault; counts code
// points and the characters a reader perceives (grapheme clusters), and tells the direction
// text runs in.
class FLIT_EXPORT CUtf8 {
public:
    // Returned by findInvalid when all the bytes are valid.
    static const std::size_t kAllValid;

    // The offset of the first byte that does not belong to a valid sequence, or kAllValid.
    static std::size_t findInvalid(const char* data, std::size_t size);

    // The number of code points in a valid UTF-8 string of size bytes.
    static std::size_t countCodePoints(const char* data, std::size_t size);

    // The byte length of the first count code points of a valid UTF-8 string (all of it when
    // it holds fewer).
    static std::size_t prefixBytes(const char* data, std::size_t size, std::size_t count);

    // The byte length of the character a reader perceives (an extended grapheme cluster, as
    // Unicode defines it) that begins the valid UTF-8 string of size bytes: a letter with its
    // combining marks, a Hangul syllable written in jamo, an emoji with its skin tone, a flag,
    // a sequence of emoji joined into one. 0 for an empty string.
    static std::size_t clusterBytes(const char* data, std::size_t size);

    // The number of grapheme clusters in a valid UTF-8 string.
    static std::size_t countClusters(const char* data, std::size_t size);

    // The byte length of the first count grapheme clusters (all of it when it holds fewer).
    static std::size_t clusterPrefixBytes(const char* data, std::size_t size, std::size_t count);

    // Whether the first character of a valid UTF-8 string is punctuation or a symbol (Unicode
    // general categories P and S): quotes, brackets, dashes and stops of any script, emoji.
    static bool isPunctuationOrSymbol(const char* data, std::size_t size);

    // Whether text runs right to left: its first character of a strong direction is of a
    // right-to-left script (Hebrew, Arabic...). False when it has none (digits, punctuation).
    static bool isRightToLeft(const char* data, std::size_t size);

    // The order, from left to right, in which words written one after another (separated by a
    // space) appear on a line whose text runs right to left or left to right: the Unicode
    // bidirectional algorithm's, so a run of Latin words or a number inside a Hebrew sentence
    // keeps its own order. Indices into words.
    static std::vector<std::size_t> visualOrder(const std::vector<std::string>& words,
                                                bool rightToLeft);
};

#endif
