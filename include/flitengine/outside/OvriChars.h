#ifndef FLIT_OUTSIDE_OVRICHARS_H
#define FLIT_OUTSIDE_OVRICHARS_H

#include <flitengine/FlitExport.h>

// Character constants shared by the document model and the engine. The engine passes one of
// the separators with every word it flashes to say what follows the word in the document.
class FLIT_EXPORT COvriChars {
public:
    // Ends a character string; also the separator of a word that nothing (or another word)
    // follows.
    static const char kNullByte;
    // Separator of a word that a space follows.
    static const char kSpaceChar;
    // Separator of a word that a line break follows.
    static const char kNewlineChar;
};

#endif
