#ifndef FLIT_APP_READINGTIMES_H
#define FLIT_APP_READINGTIMES_H

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CHyphenation;

// How long reading a document's words takes at any speed, by the engine's reading rules
// (CReadingRules, CStartupRamp). The words are given once, in reading order, and sorted into
// timing classes (words the rules time alike at every speed), keeping each word's class and,
// every few thousand words, how many words of each class came before. The time from any word
// to the end is then the classes' counts times their costs, plus the words since the last such
// block: a speed change costs a few hundred calculations whatever the document's size.
class CReadingTimes {
public:
    // Calls visit(word, separator) for words in reading order until it returns false.
    using WordVisitor = std::function<bool(const char*, char)>;
    using WordWalk = std::function<void(const WordVisitor&)>;

    // Forgets the words: the next ones are classed for this word display length.
    void begin(unsigned int wordLength, size_t expectedWords);
    void addWord(const char* word, char separator);
    // Counts the classes by blocks, once every word has been added.
    void end();

    CReadingTimes();
    ~CReadingTimes();
    CReadingTimes(const CReadingTimes&) = delete;
    CReadingTimes& operator=(const CReadingTimes&) = delete;

    size_t wordCount() const { return totalWords; }
    unsigned int wordLength() const { return classesWordLength; }

    // Milliseconds the words from word first to the end take at the target speed. wordsFrom
    // walks those words, of which a ramp needs the first few. fromRestart: reading will go on
    // after a restart, which starts the ramp again and forgets the word before. rampSpeed:
    // otherwise, the speed at which a ramp still running times the next word (0: it has ended).
    uint64_t timeLeftMs(size_t first, const WordWalk& wordsFrom, int speed, bool fromRestart,
                        int rampSpeed);

    // Times words as the engine does with this length unit, hyphenation and cut; true when that
    // changes anything, and the words must be given again.
    bool setFlashRules(CFlitWordCalcs::eLengthUnit unit, const CHyphenation* hyphenation,
                       eChunkCut cut = eCutAtLength);

    size_t tableBytes() const;
    size_t classCount() const { return classes.size(); }

private:
    // A timing class: a word of it, the separator after it and whether the word before it kept a
    // punctuation mark, which is all its cost at a speed depends on.
    struct SWordClass {
        std::string word;
        char separator;
        bool afterMark;
    };

    // What one word costs, chunks and blanks included; calcs remembers the word before. The one
    // place where a word's cost is worked out: the timing classes follow it.
    uint64_t wordCost(CFlitWordCalcs& calcs, const char* word, char separator, int speed) const;
    void addWordClass(uint32_t id);
    uint32_t classOf(size_t word) const {
        return wideClasses.empty() ? narrowClasses[word] : wideClasses[word];
    }
    // The costs of the classes at speed, worked out once per speed.
    void priceClasses(int speed);
    // The time of the words from word first to the end at the priced speed.
    uint64_t costFrom(size_t first) const;
    // What the ramp from rampSpeed adds to the first words over the steady speed.
    int64_t rampExtra(size_t first, const WordWalk& wordsFrom, int target, bool fromRestart,
                      int rampSpeed);

    size_t totalWords = 0;
    std::vector<SWordClass> classes;
    // Each word's class: two bytes a word while there are fewer than 65536 classes.
    std::vector<uint16_t> narrowClasses;
    std::vector<uint32_t> wideClasses;
    unsigned int classesWordLength = 0;
    // classCounts[block * classes.size() + c]: the words of class c before word block *
    // blockWords; classTotals: in the whole document.
    size_t blockWords = 1;
    std::vector<uint32_t> classCounts;
    std::vector<uint32_t> classTotals;
    // The classes' costs at pricedSpeed.
    std::vector<uint64_t> classCosts;
    int pricedSpeed = -1;
    // While words are added: the classes by what their cost depends on, and a calculator that
    // has seen the words before.
    struct SClassifying;
    std::unique_ptr<SClassifying> classifying;
    CFlitWordCalcs::eLengthUnit lengthUnit = CFlitWordCalcs::eLengthBytes;
    const CHyphenation* hyphenation = nullptr;
    eChunkCut chunkCut = eCutAtLength;
};

#endif
