#ifndef FLIT_TOOLS_TIMINGREPORT_H
#define FLIT_TOOLS_TIMINGREPORT_H

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <functional>
#include <string>
#include <vector>

class CDataManager;
class CHyphenation;

// One flash of reading: a word, or one hyphenated chunk of a long word, and its times.
struct STimedWord {
    std::string word;
    char separator; // COvriChars value passed with the word
    int displayMs;
    int delayMs;
    bool startsWord; // the word's first (or only) chunk
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

    std::vector<STimedWord> timeDocument(const CDataManager& document) const;
    // The same flashes, handed to flash one at a time as they are timed and kept by nobody: a
    // long book's list of flashes would take as much memory as the book itself.
    void timeDocument(const CDataManager& document,
                      const std::function<void(STimedWord&)>& flash) const;

    // "space", "newline" or "none".
    static const char* separatorName(char separator);

private:
    int wpm;
    int wordLength;
    CFlitWordCalcs::eLengthUnit unit;
    const CHyphenation* hyphenation;
    eChunkCut cut;
};

#endif
