#ifndef FLIT_TIMING_SENTENCEEND_H
#define FLIT_TIMING_SENTENCEEND_H

#include "FlitExport.h"

#include <cstddef>

// What ends a sentence, decided once for the timing rules and the reader. A full stop after an
// initial ("J.") or a short title ("Mr.", "Mrs.", "Dr.") abbreviates the word: it ends no
// sentence, and earns no full stop delay unless a line break follows. Any other word whose last
// mark, before closing quotes and brackets, is '.', '!', '?' or an ellipsis ends its sentence.
class FLIT_EXPORT CSentenceEnd {
public:
    // Whether the first length bytes of word have the shape of an initial or a short title:
    // a capital and a full stop, or a capital, one or two small letters and a full stop.
    static bool isAbbreviation(const char* word, size_t length);
    static bool endsSentence(const char* word);
};

#endif
