#ifndef FLIT_ENGINE_READINGRULES_H
#define FLIT_ENGINE_READINGRULES_H

#include <flitengine/FlitExport.h>
#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataInfo.h>

#include <cstddef>
#include <string>

class CDataManager;
class CFlitWordCalcs;
class CHyphenation;

// The start-up ramp: after every start, continue or move of the reading position, words are
// timed from a slow speed upwards, a step faster each word, until the ramp passes the reader's
// speed. The step is refused where it would pass CFlitManager::kMaxWpmSpeed: from the start
// speed the ramp then holds at 925, and a target above that keeps it running at 925.
//
// A plain value, advanced once per word: nothing is allocated.
class FLIT_EXPORT CStartupRamp {
public:
    static constexpr unsigned int kStartSpeed = 100;
    static constexpr unsigned int kStep = 75;

    // A running ramp whose next word is timed at speed (kStartSpeed: one that has just started).
    explicit CStartupRamp(unsigned int speed = kStartSpeed) : current(speed) {}

    // The speed the next word is timed at, reading at target, and the ramp moved on by that
    // word: while it runs, its own speed, which then rises by a step (or holds), the ramp ending
    // once that is above target; once it has ended, target.
    int nextWord(int target);

    // Whether a ramp that has reached speed has ended, reading at target: once it is above it.
    // Compared as the signed speeds the manager hands out.
    static bool endedAt(int speed, int target) { return speed > target; }

    bool isRunning() const { return running; }
    // The speed of the ramp's next word while it runs; the last one it reached once it ended.
    unsigned int speed() const { return current; }
    // The speed at which every word is timed from some word on, reading at target: the target,
    // or the speed where the ramp holds when that is not above it.
    int steadySpeed(int target) const;
    // Whether every word from the next one on is timed at steadySpeed(target).
    bool isSteady(int target) const;

    // speed raised by amount, or unchanged when that would pass CFlitManager::kMaxWpmSpeed:
    // how the manager raises its speeds, and so where the ramp holds.
    static unsigned int raisedSpeed(unsigned int speed, unsigned int amount);

private:
    unsigned int current;
    bool running = true;
};

// How a word is cut and timed at a word display length (in characters: grapheme clusters). A
// word that fits is one chunk; a longer one is cut into chunks of displayLength - 1 characters
// and a hyphen and a last chunk of what remains (at syllables instead when a dictionary is
// given, or cut for reading, CFlashedWords::chunksOf). A length of 0 or 1 cannot hold a character
// and a hyphen: it means no limit. Each chunk is timed by the word's first displayLength
// characters, its timed part.
struct SWordShape {
    // The timed part is the word's first timedBytes bytes, which hold timedCharacters
    // characters.
    std::size_t timedBytes;
    std::size_t timedCharacters;
    std::size_t chunks;
};

// A word's times: each of its chunks stays on screen displayMs (a sustain before it lengthens
// the first), then a blank lasts delayMs.
struct SWordTiming {
    int displayMs;
    int delayMs;
};

// The rules by which reading cuts, times and separates the words CFlashedWords says it flashes.
// The presentation thread reads by them, and whatever shows or counts reading without the
// thread (flit-timing, the reader's time left, the benchmarks) follows them, so that all agree.
class FLIT_EXPORT CReadingRules {
public:
    // Whether a display length limits a word's length at all.
    static bool limits(unsigned int displayLength) { return displayLength >= 2; }

    // The shape of a valid UTF-8 word of bytes bytes; chunks are counted without being made
    // unless a dictionary or the cut for reading cuts them.
    static SWordShape shapeOf(const char* word, std::size_t bytes, unsigned int displayLength,
                              const CHyphenation* hyphenation = nullptr,
                              eChunkCut cut = eCutAtLength);
    // The bytes of the timed part alone.
    static std::size_t timedBytes(const char* word, std::size_t bytes, unsigned int displayLength);

    // The times of each chunk of word at speed: calcs times the word's timed part, and remembers
    // it as the word before, as the engine's calculator does.
    static SWordTiming timingOf(CFlitWordCalcs& calcs, const std::string& word, char separator,
                                int speed, unsigned int displayLength);

    // The item a word's separator comes from: the first word, space or newline after node
    // (null when there is none).
    static wxCDataInfoListNode* separatorNodeAfter(const CDataManager& document,
                                                   const wxCDataInfoListNode* node);
    // The separator passed with a word whose separatorNodeAfter is next: COvriChars::kSpaceChar
    // for a space, kNewlineChar for a newline, kNullByte for a word or null.
    static char separatorOf(const wxCDataInfoListNode* next);
    // The separator passed with the word at node.
    static char separatorAfter(const CDataManager& document, const wxCDataInfoListNode* node);
};

#endif
