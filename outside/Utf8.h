#ifndef FLIT_OUTSIDE_UTF8_H
#define FLIT_OUTSIDE_UTF8_H

#include "FlitExport.h"

#include <cstddef>

// Checks that bytes form valid UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF), so that text from outside can be refused with the place of the fault.
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
};

#endif
