#ifndef FLIT_TESTS_FUZZ_FUZZHTMLITEMS_H
#define FLIT_TESTS_FUZZ_FUZZHTMLITEMS_H

// What every document read through the HTML reader (HTML, XHTML, Markdown) must be: only words,
// spaces and newlines; every word non-empty valid UTF-8 without white space; a space or newline
// only between two words, never two in a row.

#include "FuzzSupport.h"
#include <flitengine/outside/TextTokenizer.h>

inline void flitFuzzCheckHtmlItems(const CDataManager& document) {
    int previous = 0; // no item yet
    for (const auto& [kind, word] : flitFuzzItems(document)) {
        FLIT_FUZZ_CHECK(kind == eDITWord || kind == eDITSpace || kind == eDITNewline,
                        "an item of kind " + std::to_string(kind));
        FLIT_FUZZ_CHECK(kind == eDITWord || previous == eDITWord, "a separator not after a word");
        CTextTokenizer tokens(word.data(), word.size());
        CTextTokenizer::SToken token = {};
        FLIT_FUZZ_CHECK(kind != eDITWord ||
                            (tokens.next(&token) && token.type == CTextTokenizer::eWordToken &&
                             token.length == word.size()),
                        "white space in the word " + word);
        FLIT_FUZZ_CHECK(kind != eDITWord ||
                            (!word.empty() && flitFuzzIsUtf8(word.data(), word.size())),
                        "a word empty or not valid UTF-8: " + word);
        previous = kind;
    }
    FLIT_FUZZ_CHECK(previous != eDITSpace && previous != eDITNewline, "a separator at the end");
}

#endif
