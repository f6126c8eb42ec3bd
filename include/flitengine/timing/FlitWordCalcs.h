#ifndef FLIT_TIMING_FLITWORDCALCS_H
#define FLIT_TIMING_FLITWORDCALCS_H

#include <flitengine/FlitExport.h>
#include <flitengine/timing/SentenceEnd.h>
#include <flitengine/timing/TimingTableData.h>

#include <atomic>

// The rule book of the reading rhythm: from a word and a reading speed (words per minute) it
// computes how long the word stays on screen and how long the blank after it lasts, and how
// long rests and sustains last. All results are whole milliseconds; every term is an integer
// formula scaled by a percentage of the timing table row for the speed.
//
// Speeds of 0 or below make every calculation return 0. A speed above the last row's speed uses
// the last row as it stands.
//
// The length unit decides what a word's length is and how its characters are classified. In
// bytes (the default, as the rules were tuned) the length is the byte count and bytes are
// classified as the C locale does, whatever the process's locale: bytes 0x80 and above are
// neither letters, digits nor punctuation. In characters the length is the number of characters
// a reader perceives (grapheme clusters), letters are upper or lower case by their Unicode
// category (a letter of a script without case is neither), digits and punctuation are every
// script's, and the marks include their Unicode counterparts (CSentenceEnd::markKindOf), so
// that a word of any alphabet is timed as an English word of as many letters.
//
// A calculator remembers the row of the speed it last looked up (interpolating a row costs more
// than the rest of a word's times), so one calculator serves one thread at a time; the memory is
// checked against the table at every call, so edits of the table still count at the next one.
class FLIT_EXPORT CFlitWordCalcs {
public:
    static constexpr int kTimingTableRowCount = 6;
    // Words longer than this earn the longer-word term: a length in the length unit (bytes or
    // characters, setLengthUnit).
    static const int kAvgWordLength = 6;
    // The process-wide timing table, filled with the default rows when the library loads. The
    // GUI thread edits it while the presentation thread reads it; each calculation copies the
    // row it needs once, so an edit affects at most the calculation it lands in.
    static CTimingTableData kTimingTable[kTimingTableRowCount];

    enum eLengthUnit { eLengthBytes, eLengthCharacters };

    // Puts the built-in default rows back into kTimingTable.
    static void restoreDefaultTimingTable();

    CFlitWordCalcs();
    CFlitWordCalcs(const CFlitWordCalcs& other);
    CFlitWordCalcs& operator=(const CFlitWordCalcs& other);

    // Forgets the previous word: the next word is classified as if no punctuated word came
    // before it. The length unit is a setting, not memory: it stays.
    void zeroInit();

    // Set by the GUI thread, read by each calculation on the presentation thread.
    void setLengthUnit(eLengthUnit unit) { lengthUnit.store(unit, std::memory_order_relaxed); }
    eLengthUnit getLengthUnit() const { return lengthUnit.load(std::memory_order_relaxed); }

    // The memory of the word before: whether the last word whose delay was computed kept a
    // punctuation mark, which decides whether a capitalised word counts as capitals. Set, it
    // stands for such a word.
    bool followsPunctuatedWord() const {
        return prevWordPunctuated.load(std::memory_order_relaxed);
    }
    void setFollowsPunctuatedWord(bool punctuated) {
        prevWordPunctuated.store(punctuated, std::memory_order_relaxed);
    }

    int calcWordDisplayTime(const char* word, int speed);
    // Also records whether the word kept a punctuation mark, for the next word's display time.
    int calcInterWordDelayTime(const char* word, char separator, int speed);
    int calcRestDelay(int count, int speed);
    int calcSustainDelay(int count, int speed);

protected:
    bool getTimingData(CTimingTableData* out, int speed);

    int calcWordDelayValue(int speed, int length);
    int calcLongerWordValue(int speed, int length);
    int calcAllCapsDelayValue(int speed, int length);
    int calcAllNumsDelayValue(int speed, int length);
    int calcInterWordBaseValue(int speed);
    int calcCommaDelayValue(int speed);
    int calcPeriodDelayValue(int speed);
    int calcNewlineDelayValue(int speed);

    bool isAllCaps(const char* word);
    bool isAllNums(const char* word);
    // The word's length in the unit, at most a length whose times still fit the formulas.
    int lengthOf(const char* word) const;
    // The mark that earns the word its inter-word delay, before a line break outweighs it.
    CSentenceEnd::eMarkKind markOf(const char* word, char separator) const;

private:
    // count units of one comma delay each, scaled by the row's rest or sustain percentage.
    int calcCommaUnitsDelay(int count, int speed, int CTimingTableData::*percentage);

    // Whether the last word whose delay was computed kept a punctuation mark. Written by the
    // presentation thread's calculations, cleared by the GUI thread's zeroInit.
    std::atomic<bool> prevWordPunctuated;
    std::atomic<eLengthUnit> lengthUnit{eLengthBytes};

    // The row last looked up, for its speed, with the terms of the inter-word delay that
    // depend on the speed and the row alone, and copies of the table rows it was taken from
    // (lower and upper the same row when the speed needed no interpolation). Not copied with
    // the calculator: it is only a shortcut.
    struct SRemembered {
        bool filled = false;
        int speed = 0;
        int lowerIndex = 0;
        int upperIndex = 0;
        CTimingTableData lower;
        CTimingTableData upper;
        CTimingTableData row;
        long long interWordBase = 0;
        long long commaDelay = 0;
        long long periodDelay = 0;
        long long newlineDelay = 0;
    };
    // What the speed needs: remembered when neither the speed nor the table rows it came from
    // have changed since, else looked up afresh (as getTimingData describes).
    const SRemembered& rememberedFor(int speed);
    // Looks the speed's row up afresh, between the table rows lower and upper (the same row
    // when the speed needs no interpolation), and remembers it.
    const SRemembered& remember(int speed, int lower, int upper);

    SRemembered remembered;
};

#endif
