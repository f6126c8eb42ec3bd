#include "reading/ReadingTimes.h"

#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/outside/Utf8.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

// Words between two rows of class counts at least; more when there are many classes, so that
// the counts take no more than about a byte a word.
const size_t kMinBlockWords = 4096;
// Any speed: classifying a word only needs the calculator to see it.
const int kClassifyingSpeed = 100;

// The calculator's view of a word, as far as its cost depends on it: the tests it makes of the
// word.
class CWordTraits : public CFlitWordCalcs {
public:
    using CFlitWordCalcs::isAllCaps;
    using CFlitWordCalcs::isAllNums;
    using CFlitWordCalcs::markOf;
};

// A word's timing class: everything about its timed part that the calculator's terms read (its
// length in bytes, code points and clusters, capitals, digits, its mark as the calculator kept
// it, a line break after it) and its chunks. Words alike in all of these cost the same at every
// speed.
struct SClassKey {
    uint64_t lengths;
    uint64_t clusters;
    uint64_t chunks;
    uint32_t traits;
    bool operator==(const SClassKey& other) const {
        return lengths == other.lengths && clusters == other.clusters && chunks == other.chunks &&
               traits == other.traits;
    }
};

struct SClassKeyHash {
    size_t operator()(const SClassKey& key) const {
        uint64_t hash = key.lengths * 0x9E3779B97F4A7C15ULL;
        hash ^= (key.clusters + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL;
        hash ^= (key.chunks << 8 | key.traits) * 0x165667B19E3779F9ULL;
        return static_cast<size_t>(hash ^ (hash >> 29));
    }
};

} // namespace

struct CReadingTimes::SClassifying {
    std::unordered_map<SClassKey, uint32_t, SClassKeyHash> ids;
    CWordTraits traits;
    // The timed part of a word that has more than that.
    std::string timed;
};

CReadingTimes::CReadingTimes() = default;
CReadingTimes::~CReadingTimes() = default;

void CReadingTimes::begin(unsigned int wordLength, size_t expectedWords) {
    totalWords = 0;
    classes.clear();
    narrowClasses.clear();
    narrowClasses.reserve(expectedWords);
    wideClasses.clear();
    classesWordLength = wordLength;
    classifying = std::make_unique<SClassifying>();
    classifying->traits.setLengthUnit(lengthUnit);
}

void CReadingTimes::addWord(const char* word, char separator) {
    ++totalWords;
    CWordTraits& traits = classifying->traits;
    const size_t bytes = std::strlen(word);
    const SWordShape shape =
        CReadingRules::shapeOf(word, bytes, classesWordLength, hyphenation, chunkCut);
    const char* timed = word;
    if (shape.timedBytes < bytes) {
        classifying->timed.assign(word, shape.timedBytes);
        timed = classifying->timed.c_str();
    }
    const bool afterMark = traits.followsPunctuatedWord();
    const bool caps = traits.isAllCaps(timed);
    const bool nums = !caps && traits.isAllNums(timed);
    const auto mark = static_cast<uint32_t>(traits.markOf(timed, separator));
    traits.calcInterWordDelayTime(timed, separator, kClassifyingSpeed);
    const size_t codePoints = shape.timedCharacters == shape.timedBytes
                                  ? shape.timedBytes
                                  : CUtf8::countCodePoints(timed, shape.timedBytes);
    const SClassKey key{static_cast<uint64_t>(shape.timedBytes) << 32 | codePoints,
                        shape.timedCharacters, shape.chunks,
                        (caps ? 1u : 0u) | (nums ? 2u : 0u) | mark << 2 |
                            (separator == COvriChars::kNewlineChar ? 16u : 0u)};
    auto found = classifying->ids.find(key);
    if (found == classifying->ids.end()) {
        found = classifying->ids.emplace(key, static_cast<uint32_t>(classes.size())).first;
        classes.push_back(SWordClass{word, separator, afterMark});
    }
    addWordClass(found->second);
}

void CReadingTimes::addWordClass(uint32_t id) {
    if (wideClasses.empty() && id <= UINT16_MAX) {
        narrowClasses.push_back(static_cast<uint16_t>(id));
        return;
    }
    if (wideClasses.empty()) {
        wideClasses.assign(narrowClasses.begin(), narrowClasses.end());
        wideClasses.reserve(narrowClasses.capacity());
        std::vector<uint16_t>().swap(narrowClasses);
    }
    wideClasses.push_back(id);
}

void CReadingTimes::end() {
    classifying.reset();
    narrowClasses.shrink_to_fit();
    // The counts of each class before every block of words.
    const size_t classTotal = classes.size();
    blockWords = std::max(kMinBlockWords, 4 * classTotal);
    classCounts.assign((totalWords / blockWords + 1) * classTotal, 0);
    classTotals.assign(classTotal, 0);
    for (size_t word = 0; word < totalWords; ++word) {
        if (word % blockWords == 0) {
            std::copy(classTotals.begin(), classTotals.end(),
                      classCounts.begin() +
                          static_cast<std::ptrdiff_t>(word / blockWords * classTotal));
        }
        ++classTotals[classOf(word)];
    }
    pricedSpeed = -1;
}

uint64_t CReadingTimes::wordCost(CFlitWordCalcs& calcs, const char* word, char separator,
                                 int speed) const {
    calcs.setLengthUnit(lengthUnit);
    const SWordTiming times =
        CReadingRules::timingOf(calcs, word, separator, speed, classesWordLength);
    const size_t chunks =
        CReadingRules::shapeOf(word, std::strlen(word), classesWordLength, hyphenation, chunkCut)
            .chunks;
    return chunks * static_cast<uint64_t>(times.displayMs + times.delayMs);
}

void CReadingTimes::priceClasses(int speed) {
    classCosts.resize(classes.size());
    for (size_t c = 0; c < classes.size(); ++c) {
        CFlitWordCalcs calcs;
        calcs.setFollowsPunctuatedWord(classes[c].afterMark);
        classCosts[c] = wordCost(calcs, classes[c].word.c_str(), classes[c].separator, speed);
    }
    pricedSpeed = speed;
}

uint64_t CReadingTimes::costFrom(size_t first) const {
    const size_t classTotal = classes.size();
    const size_t block = first / blockWords;
    const uint32_t* counts = classCounts.data() + block * classTotal;
    uint64_t left = 0;
    for (size_t c = 0; c < classTotal; ++c) {
        left += (classTotals[c] - counts[c]) * classCosts[c];
    }
    for (size_t word = block * blockWords; word < first; ++word) {
        left -= classCosts[classOf(word)];
    }
    return left;
}

size_t CReadingTimes::tableBytes() const {
    size_t bytes = narrowClasses.capacity() * sizeof(uint16_t) +
                   wideClasses.capacity() * sizeof(uint32_t) +
                   (classCounts.capacity() + classTotals.capacity()) * sizeof(uint32_t) +
                   classCosts.capacity() * sizeof(uint64_t);
    for (const SWordClass& wordClass : classes) {
        bytes += sizeof(SWordClass) + wordClass.word.capacity();
    }
    return bytes;
}

int64_t CReadingTimes::rampExtra(size_t first, const WordWalk& wordsFrom, int target,
                                 bool fromRestart, int rampSpeed) {
    // A restart forgets the word before, which the steady times remember: the first word is
    // timed afresh. After it, both remember the same word. The ramp times each word at its own
    // speed, until every word is timed at the steady speed.
    CStartupRamp ramp(static_cast<unsigned int>(rampSpeed));
    const int steady = ramp.steadySpeed(target);
    CFlitWordCalcs atRamp;
    CFlitWordCalcs atSteady;
    int64_t extra = 0;
    bool firstWord = true;
    wordsFrom([&](const char* word, char separator) {
        if (!firstWord && ramp.isSteady(target)) {
            return false;
        }
        if (firstWord && fromRestart && first < totalWords) {
            extra -= static_cast<int64_t>(classCosts[classOf(first)]);
            extra += static_cast<int64_t>(wordCost(atSteady, word, separator, steady));
            atSteady.zeroInit();
        }
        firstWord = false;
        extra += static_cast<int64_t>(wordCost(atRamp, word, separator, ramp.nextWord(target)));
        extra -= static_cast<int64_t>(wordCost(atSteady, word, separator, steady));
        return true;
    });
    return extra;
}

bool CReadingTimes::setFlashRules(CFlitWordCalcs::eLengthUnit unit, const CHyphenation* dictionary,
                                  eChunkCut cut) {
    if (unit == lengthUnit && dictionary == hyphenation && cut == chunkCut) {
        return false;
    }
    lengthUnit = unit;
    hyphenation = dictionary;
    chunkCut = cut;
    return true;
}

uint64_t CReadingTimes::timeLeftMs(size_t first, const WordWalk& wordsFrom, int speed,
                                   bool fromRestart, int rampSpeed) {
    if (fromRestart) {
        rampSpeed = static_cast<int>(CStartupRamp::kStartSpeed);
    }
    const int steady = rampSpeed > 0
                           ? CStartupRamp(static_cast<unsigned int>(rampSpeed)).steadySpeed(speed)
                           : speed;
    if (steady != pricedSpeed) {
        priceClasses(steady);
    }
    const int64_t left =
        static_cast<int64_t>(costFrom(first)) +
        (rampSpeed > 0 ? rampExtra(first, wordsFrom, speed, fromRestart, rampSpeed) : 0);
    return left > 0 ? static_cast<uint64_t>(left) : 0;
}
