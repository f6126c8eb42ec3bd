#ifndef FLIT_TIMING_SENTENCEEND_H
#define FLIT_TIMING_SENTENCEEND_H

#include <flitengine/FlitExport.h>

#include <cstddef>

// What ends a sentence, decided once for the timing rules and the reader. A full stop after an
// initial ("J.") or a short title ("Mr.", "Mrs.", "Dr.") abbreviates the word: it ends no
// sentence, and earns no full stop delay unless a line break follows. Any other word whose last
// mark, before closing quotes and brackets, is '.', '!', '?', an ellipsis or one of their
// counterparts in other scripts ("。", "！", "？", "؟", "।"...) ends its sentence.
class FLIT_EXPORT CSentenceEnd {
public:
    // The kinds of mark that earn an inter-word delay: a pause (comma kind) or a stop (period
    // kind).
    enum eMarkKind { eNoMark, eCommaMark, ePeriodMark };

    // Whether the first length bytes of word have the shape of an initial or a short title:
    // a capital and a full stop, or a capital, one or two small letters and a full stop.
    static bool isAbbreviation(const char* word, size_t length);
    // The same shape in any cased script, with length counted in characters ("Др.", "Κος.").
    static bool isAbbreviationInCharacters(const char* word, size_t length);
    static bool endsSentence(const char* word);

    // The kind of a code point when words are read as Unicode text: the marks "<>(),;?!.:" of
    // the byte rules, their full-width forms ("，、；：（）！？。"), and the stops and pauses of
    // other scripts (the ellipsis, "؟", "،", "؛", "۔", "।", "·"...).
    static eMarkKind markKindOf(char32_t c);
    // The same for the ASCII marks "<>(),;?!.:" alone, inline for the timing rules' byte scan.
    static eMarkKind asciiMarkKindOf(char c) {
        switch (c) {
        case '(':
        case ')':
        case ',':
        case ';':
        case '<':
        case '>':
            return eCommaMark;
        case '.':
        case '!':
        case '?':
        case ':':
            return ePeriodMark;
        default:
            return eNoMark;
        }
    }
    // Whether a code point closes what comes before it, so that a mark behind it still ends
    // the word: straight and curly quotes, guillemets, closing brackets of any script.
    static bool isClosing(char32_t c);
};

#endif
