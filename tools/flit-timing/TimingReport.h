#ifndef FLIT_TOOLS_TIMINGREPORT_H
#define FLIT_TOOLS_TIMINGREPORT_H

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <functional>
#include <string>
#include <vector>

class CDataManager;
class wxCDataInfoListNode;
class CHyphenation;

// One flash of reading: a word, one hyphenated chunk of a long word, or a phrase of several
// words, and its times.
struct STimedWord {
    std::string word;
    char separator; // COvriChars value passed with the word
    int displayMs;
    int delayMs;
    bool startsWord; // the word's first (or only) chunk
    int words = 1;   // the words a flash that starts them shows: more than 1 for a phrase
};

// Lists what the engine flashes when it reads a document from start to end, in order, with the
// times it holds each flash and the blank after it: the words of word items, "<LINK>" for a
// hyperlink or a mail link, the words of email items and attachment announcements, and nothing
// for what an attachment skip jumps over; long words in the chunks the word display length
// makes. Times come from one calculator fresh from zeroInit, as the engine's do at a steady
// speed (no start-up ramp): the given speed until a speed link sets another (within the
// engine's speed range), and a sustain lengthens the first chunk of the next word.
class CTimingReport {
public:
    // A word length below 2 means no chunks. Words are measured in unit, and long ones cut at
    // the syllables of hyphenation when it is not null, or as cut says.
    CTimingReport(int wordsPerMinute, int wordLength,
                  CFlitWordCalcs::eLengthUnit unit = CFlitWordCalcs::eLengthBytes,
                  const CHyphenation* hyphenation = nullptr, eChunkCut cut = eCutAtLength);

    // Flashes up to wordsPerFlash words at once, in phrases of at most phraseLength characters
    // (0: the engine's default), as the engine does when the host asks for them (CPhrases).
    void setPhrases(unsigned int wordsPerFlash, unsigned int phraseLength);

    std::vector<STimedWord> timeDocument(const CDataManager& document) const;
    // The same flashes, handed to flash one at a time as they are timed and kept by nobody: a
    // long book's list of flashes would take as much memory as the book itself.
    void timeDocument(const CDataManager& document,
                      const std::function<void(STimedWord&)>& flash) const;

    // "space", "newline" or "none".
    static const char* separatorName(char separator);

private:
    // Flashes the phrase that begins at the word at node, when it holds more than one word, and
    // returns its last word's node; null (nothing flashed) otherwise.
    wxCDataInfoListNode* timePhrase(CFlitWordCalcs& calcs, const CDataManager& document,
                                    wxCDataInfoListNode* node, int speed, long long& sustainMs,
                                    const std::function<void(STimedWord&)>& flash) const;

    int wpm;
    int wordLength;
    CFlitWordCalcs::eLengthUnit unit;
    const CHyphenation* hyphenation;
    unsigned int wordsPerFlash = 1;
    unsigned int phraseLength = 0;
    eChunkCut cut;
};

#endif
