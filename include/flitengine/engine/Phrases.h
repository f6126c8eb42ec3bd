#ifndef FLIT_ENGINE_PHRASES_H
#define FLIT_ENGINE_PHRASES_H

#include <flitengine/FlitExport.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/DataInfo.h>

#include <vector>

class CHyphenation;

// How many words a flash may hold and how long it may be.
struct SPhraseLimits {
    // At most this many words a flash; 1 flashes every word alone.
    unsigned int words;
    // The longest phrase in characters (grapheme clusters), the spaces between its words
    // included.
    unsigned int characters;
    // The word display length and dictionary long words are cut by: a word shown in more than
    // one chunk flashes alone.
    unsigned int displayLength;
    const CHyphenation* hyphenation;
};

// Several short words flashed at once: a phrase. A phrase takes consecutive words of one line,
// separated by spaces alone, and ends where reading pauses or the view changes: at a line
// break, after a word that ends a sentence or a clause (a stop, a comma, a semicolon, a colon,
// a bracket, a dash), before a word that opens with a dash, where the style, the text colour or
// the background changes, and at any item that is not a word or a space (a link, a note, a
// page, a rest). A word longer than the phrase's limit, or shown in chunks, flashes alone.
//
// A phrase takes as long as its words would one by one: shown for its words' display times and
// the delays between them, then blanked for its last word's delay. The presentation thread
// groups and times by these rules, and whatever lists reading without the thread (flit-timing)
// follows them.
class FLIT_EXPORT CPhrases {
public:
    static constexpr unsigned int kMinWords = 1;
    static constexpr unsigned int kMaxWords = 5;
    // The longest phrase when neither the host nor the word display length says.
    static constexpr unsigned int kDefaultCharacters = 16;

    // The longest phrase in characters: the host's choice when it made one (not 0), else the
    // word display length when that limits words, else kDefaultCharacters.
    static unsigned int characterLimit(unsigned int chosen, unsigned int displayLength);

    // Whether a phrase ends after this word (UTF-8): it carries a stop, a pause mark (any mark
    // the timing rules give a delay for) or ends in a dash.
    static bool endsPhrase(const char* word);
    // Whether a phrase cannot go on with this word: it opens with a dash.
    static bool opensWithDash(const char* word);

    // The word items of the phrase that begins with the word at first, in order: that word
    // alone when it cannot be followed, none when it is not a word reading shows.
    static std::vector<wxCDataInfoListNode*> phraseAt(wxCDataInfoListNode* first,
                                                      const SPhraseLimits& limits);

    // The times of a phrase so far followed by one more word: the phrase stays on screen through
    // its last word's delay and the next word's display time (held at the largest int), and the
    // blank after it is the next word's delay. From {0, 0}, before its first word, a phrase
    // takes that word's own times.
    static SWordTiming extended(const SWordTiming& phrase, const SWordTiming& next);
};

#endif
