#ifndef FLIT_APP_FIXATION_H
#define FLIT_APP_FIXATION_H

#include <wx/string.h>

#include <cstddef>

// The letter of a flashed chunk that the eye should land on: the place in a word from which a
// reader recognises it fastest, a little left of its middle. Counted in the characters a reader
// perceives (a letter with its accents is one), so it works alike for every script.
class CFixation {
public:
    // A chunk cut around its recognition letter.
    struct SParts {
        wxString before;
        wxString letter;
        wxString after;
    };

    // The recognition letter's place (from 0) in a word of this many letters.
    static std::size_t letterOf(std::size_t letters);

    // The chunk cut around its recognition letter, in the order written (for a word of a
    // right-to-left script, before is its right end). Punctuation and symbols around the word
    // (quotes, brackets, a full stop, the hyphen a long word is split with, an emoji) are not
    // counted, so the letter is always one of the word's own; a chunk of them only counts all.
    // A phrase of several words is placed as one word of all their letters.
    static SParts split(const wxString& chunk);
};

#endif
