#ifndef FLIT_APP_SHOWNWORDCOUNTER_H
#define FLIT_APP_SHOWNWORDCOUNTER_H

#include <wx/string.h>

#include <cstddef>

class wxCDataInfoListNode;

// Counts the words the view shows as the engine flashes them, each once however many chunks it
// takes, and knows where the word on screen is: its item and which of the item's words it is
// (an email item shows four). Gives the speed the words shown achieved. Needs no window.
class CShownWordCounter {
public:
    // Reading starts or goes on at node after the engine's restart: the position is node until
    // its first word shows. A new reading counts its words afresh.
    void restart(wxCDataInfoListNode* node, bool newReading);
    // A move while reading restarts the engine's ramp; the word in hand finishes first and its
    // chunks still count as one word.
    void restartRamp() { rampRunning = true; }
    // The engine ends its ramp once it raised the speed past the target.
    void endRamp() { rampRunning = false; }
    // Counts a chunk the view shows for node: a new word unless it goes on with the word before
    // (a word longer than displayLength comes in chunks of exactly that many characters, or at
    // most that many when hyphenating, each but the last ending in a hyphen; hyphenating, that
    // is cutting otherwise than at the length alone, a word item's chunks may end in any of its
    // marks, or in none inside an address, and follow one another on its node), or the words of a
    // phrase, whose node is its last word's.
    void count(wxCDataInfoListNode* node, const wxString& chunk, size_t displayLength,
               bool hyphenating);
    // A document opened: nothing shown yet.
    void reset();

    size_t getWordsShown() const { return wordsShown; }
    wxCDataInfoListNode* getShownNode() const { return shownNode; }
    size_t getWordOfItem() const { return wordOfItem; }
    // Whether the engine's start-up ramp may still be running since the last restart.
    bool rampRuns() const { return rampRunning; }
    // The speed the words shown achieved in a reading that took milliseconds, in words per
    // minute; 0 for no time.
    unsigned int achievedSpeed(unsigned long long milliseconds) const {
        return wordsPerMinute(wordsShown, milliseconds);
    }
    // The speed of words read in milliseconds, in words per minute; 0 for no time.
    static unsigned int wordsPerMinute(unsigned long long words, unsigned long long milliseconds);

private:
    size_t wordsShown = 0;
    wxCDataInfoListNode* shownNode = nullptr;
    size_t wordOfItem = 0;
    wxString lastChunk;
    bool rampRunning = false;
};

#endif
