#ifndef FLIT_OUTSIDE_UTF8_H
#define FLIT_OUTSIDE_UTF8_H

#include "FlitExport.h"

#include <cstddef>

// Checks that bytes form valid UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF), so that text from outside can be refused with the place of the fault; counts code
// points and the characters a reader perceives (grapheme clusters).
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

    // The byte length of the character a reader perceives (grapheme cluster) that begins the
    // valid UTF-8 string of size bytes: a code point together with what joins it, which is
    // - combining marks (general categories Mn, Mc, Me; the variation selectors among them),
    //   the zero-width joiner and non-joiner, emoji skin-tone modifiers and tag characters;
    // - after a zero-width joiner, a pictograph (the emoji sequences such as a family);
    // - after a first regional indicator, a second one (a flag).
    // Hangul syllables written as separate jamo, and prepended marks, count one per code point.
    // 0 for an empty string.
    static std::size_t clusterBytes(const char* data, std::size_t size);

    // The number of grapheme clusters in a valid UTF-8 string.
    static std::size_t countClusters(const char* data, std::size_t size);

    // The byte length of the first count grapheme clusters (all of it when it holds fewer).
    static std::size_t clusterPrefixBytes(const char* data, std::size_t size, std::size_t count);
};

#endif
