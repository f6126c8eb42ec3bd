#ifndef FLIT_APP_TIMESRETIMING_H
#define FLIT_APP_TIMESRETIMING_H

#include "reading/ReadingTimes.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <functional>
#include <memory>

class CHyphenation;

// A document's reading times, kept to the flash rules and word length last asked for. Timing
// the words again walks the whole document: by default at once, or, once inBackground was
// asked, on a worker thread, while the times are unknown. The worker only calls the walk given,
// which must read nothing that the GUI thread changes meanwhile.
class CTimesRetiming {
public:
    struct SRules {
        unsigned int wordLength = 12;
        CFlitWordCalcs::eLengthUnit unit = CFlitWordCalcs::eLengthBytes;
        const CHyphenation* hyphenation = nullptr;
        eChunkCut cut = eCutAtLength;
        bool operator==(const SRules& other) const {
            return wordLength == other.wordLength && unit == other.unit &&
                   hyphenation == other.hyphenation && cut == other.cut;
        }
    };
    // Gives the words to into, begun, in reading order; may return early once stop() is true.
    using Walk = std::function<void(CReadingTimes& into, const std::function<bool()>& stop)>;

    // The times start empty, with the rules set: the owner gives them their words.
    CTimesRetiming(const SRules& rules, Walk walk);
    ~CTimesRetiming();
    CTimesRetiming(const CTimesRetiming&) = delete;
    CTimesRetiming& operator=(const CTimesRetiming&) = delete;

    // The times in use: those of the rules asked for unless known() is false.
    CReadingTimes& current() { return *times; }
    const CReadingTimes& current() const { return *times; }
    const SRules& rules() const { return wanted; }
    // Times the words again when the rules differ from the last asked.
    void ask(const SRules& rules);
    // From now on a worker times the words; ready is called on it when the new times are there
    // to take (it may only post to the GUI thread).
    void inBackground(std::function<void()> ready);
    // Whether the times follow the rules last asked; takes a worker's times once it is done.
    bool known();

private:
    // Ends the worker, if any, dropping its times.
    void stop();

    Walk walk;
    std::unique_ptr<CReadingTimes> times;
    SRules wanted;
    bool background = false;
    std::function<void()> ready;
    struct SWorker;
    std::unique_ptr<SWorker> worker;
};

#endif
