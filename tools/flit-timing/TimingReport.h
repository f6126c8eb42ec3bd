#ifndef FLIT_TOOLS_TIMINGREPORT_H
#define FLIT_TOOLS_TIMINGREPORT_H

#include <string>
#include <vector>

class CDataManager;

// What the timing rules make of one word of a text.
struct STimedWord {
    std::string word;
    char separator; // COvriChars value of what follows the word
    int displayMs;
    int delayMs;
};

// Computes display time and inter-word delay for every word of a document, in document order,
// with one calculator fresh from zeroInit, exactly as the engine does at a steady speed: no
// start-up ramp and no chunk split. Each word's separator is what the engine passes with it:
// the first word, space or newline item after it. With a word length of 2 or more, each word is
// timed by its first wordLength characters, as the engine times a word it splits.
class CTimingReport {
public:
    CTimingReport(int wordsPerMinute, int wordLength);

    // Empty words, which the engine flashes as nothing, are left out.
    std::vector<STimedWord> timeDocument(const CDataManager& document) const;

    // "space", "newline" or "none".
    static const char* separatorName(char separator);

private:
    int wpm;
    int wordLength;
};

#endif
