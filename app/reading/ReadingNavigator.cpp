#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/outside/Utf8.h>
#include <flitengine/timing/SentenceEnd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>

namespace {

// How many words either side of the current one the context shows at most.
const int kContextReach = 40;

// Items between two marks: counting the words before a node walks at most this many back and
// as many forward.
const size_t kMarkSpacing = 512;
// Words between two rows of class counts at least; more when there are many classes, so that
// the counts take no more than about a byte a word.
const size_t kMinBlockWords = 4096;
// Any speed: classifying a word only needs the calculator to see it.
const int kClassifyingSpeed = 100;

// The calculator's view of a word, as far as its cost depends on it: the tests it makes of the
// word, and whether the word before kept a punctuation mark.
class CWordTraits : public CFlitWordCalcs {
public:
    using CFlitWordCalcs::isAllCaps;
    using CFlitWordCalcs::isAllNums;
    using CFlitWordCalcs::markOf;
    // A capitalised word with a small letter counts as capitals only when no punctuated word
    // came before it: the calculator's own memory of the word before, read back exactly.
    bool afterMark() { return !isAllCaps("Ab"); }
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

// A word item the engine flashes.
bool isWordNode(const wxCDataInfoListNode* node) {
    return node->GetData()->getDataInfoType() == eDITWord &&
           CFlashedWords::isShown(static_cast<const CDITWord*>(node->GetData())->getWord());
}

const char* wordOf(const wxCDataInfoListNode* node) {
    return static_cast<const CDITWord*>(node->GetData())->getWord();
}

// Whether reading passes over the item at node unread: an attachment skip jumps from itself to
// the next email item (CFlashedWords::nextReadNode). skipping: whether it passed over the item
// before. Walked node by node, so that a position inside the skipped items is still found.
bool skippingAfter(const wxCDataInfoListNode* node, bool skipping) {
    const eDataInfoType type = node->GetData()->getDataInfoType();
    return type == eDITEmailItemAttachmentSkip || (skipping && type != eDITEmailItem);
}

} // namespace

CReadingNavigator::CReadingNavigator(CDataManager* doc, unsigned int wordLength) : document(doc) {
    build(wordLength);
}

template <typename Visit>
bool CReadingNavigator::forEachWordOf(wxCDataInfoListNode* node, Visit visit) const {
    // Word items, by far the most, without building a list; every other item as the engine
    // flashes it.
    if (node->GetData()->getDataInfoType() == eDITWord) {
        return !isWordNode(node) || visit(wordOf(node), document->getSeparatorAfter(node));
    }
    for (const SFlashedWord& word : CFlashedWords::wordsOf(*document, node)) {
        if (!visit(word.text.c_str(), word.separator)) {
            return false;
        }
    }
    return true;
}

template <typename Visit>
void CReadingNavigator::forEachWordFrom(wxCDataInfoListNode* node, Visit visit) const {
    bool skipping = false;
    for (; node != nullptr; node = node->GetNext()) {
        skipping = skippingAfter(node, skipping);
        if (!skipping && !forEachWordOf(node, visit)) {
            return;
        }
    }
}

wxCDataInfoListNode* CReadingNavigator::firstWord() const {
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (isWordNode(node)) {
            return node;
        }
    }
    return nullptr;
}

const CReadingNavigator::SMark* CReadingNavigator::markAt(const wxCDataInfoListNode* node) const {
    const auto at = std::lower_bound(marksByNode.begin(), marksByNode.end(), node,
                                     [this](uint32_t mark, const void* wanted) {
                                         return std::less<>()(marks[mark].node, wanted);
                                     });
    return at != marksByNode.end() && marks[*at].node == node ? &marks[*at] : nullptr;
}

size_t CReadingNavigator::wordsBefore(wxCDataInfoListNode* node) {
    if (node == nullptr) {
        return wordCount;
    }
    if (node == lastNode) {
        return lastWordsBefore;
    }
    // Back to the last answer or the nearest mark, whichever comes first, then forward counting.
    wxCDataInfoListNode* from = nullptr;
    size_t count = 0;
    bool skipping = false;
    for (wxCDataInfoListNode* at = node; at != nullptr && from == nullptr; at = at->GetPrevious()) {
        if (at == lastNode) {
            from = at;
            count = lastWordsBefore;
            skipping = lastSkipping;
        } else if (const SMark* mark = markAt(at)) {
            from = at;
            count = mark->wordsBefore;
            skipping = (mark->flags & kSkipping) != 0;
        }
    }
    if (from == nullptr) {
        return wordCount; // not a node of this document
    }
    const auto countWord = [&count](const char*, char) {
        ++count;
        return true;
    };
    for (wxCDataInfoListNode* at = from; at != node; at = at->GetNext()) {
        skipping = skippingAfter(at, skipping);
        if (!skipping) {
            forEachWordOf(at, countWord);
        }
    }
    lastNode = node;
    lastWordsBefore = count;
    lastSkipping = skipping;
    return count;
}

wxCDataInfoListNode* CReadingNavigator::itemOfWord(size_t wordIndex) const {
    if (wordIndex >= wordCount || marks.empty()) {
        return nullptr;
    }
    // The last mark with no more words before it than wordIndex, then forward.
    const auto after =
        std::upper_bound(marks.begin(), marks.end(), wordIndex,
                         [](size_t index, const SMark& mark) { return index < mark.wordsBefore; });
    const SMark& mark = *(after - 1);
    size_t count = mark.wordsBefore;
    bool skipping = (mark.flags & kSkipping) != 0;
    const auto countWord = [&count](const char*, char) {
        ++count;
        return true;
    };
    for (wxCDataInfoListNode* at = mark.node; at != nullptr; at = at->GetNext()) {
        skipping = skippingAfter(at, skipping);
        if (!skipping) {
            forEachWordOf(at, countWord);
        }
        if (count > wordIndex) {
            return at;
        }
    }
    return nullptr;
}

wxCDataInfoListNode* CReadingNavigator::wordAtOrBefore(wxCDataInfoListNode* node) const {
    for (; node != nullptr; node = node->GetPrevious()) {
        if (isWordNode(node)) {
            return node;
        }
    }
    return nullptr;
}

bool CReadingNavigator::isBoundaryBefore(wxCDataInfoListNode* word, eBoundary boundary) const {
    int newlines = 0;
    for (wxCDataInfoListNode* at = word->GetPrevious(); at != nullptr; at = at->GetPrevious()) {
        const eDataInfoType type = at->GetData()->getDataInfoType();
        if (type == eDITWord && isWordNode(at)) {
            return boundary == eSentence ? CSentenceEnd::endsSentence(wordOf(at))
                                         : newlines >= paragraphNewlines;
        }
        if (type == eDITNewline) {
            ++newlines;
        } else if (type == eDITPageInfoRef && boundary == eParagraph) {
            return true;
        }
    }
    return true; // the first word starts everything
}

bool CReadingNavigator::hasStart(const SMark& mark, eBoundary boundary) const {
    const uint32_t flag = boundary == eSentence    ? kSentenceStarts
                          : paragraphNewlines == 2 ? kBlankLineParagraphStarts
                                                   : kParagraphStarts;
    return (mark.flags & flag) != 0;
}

wxCDataInfoListNode* CReadingNavigator::startOf(wxCDataInfoListNode* word,
                                                eBoundary boundary) const {
    // Back word by word, passing over whole stretches between marks that hold no start.
    for (wxCDataInfoListNode* at = word; at != nullptr;) {
        if (isWordNode(at) && isBoundaryBefore(at, boundary)) {
            return at;
        }
        if (const SMark* mark = markAt(at)) {
            size_t stretch = static_cast<size_t>(mark - marks.data());
            while (stretch > 0 && !hasStart(marks[stretch - 1], boundary)) {
                --stretch;
            }
            if (stretch == 0) {
                return nullptr;
            }
            at = marks[stretch].node;
        }
        at = at->GetPrevious();
    }
    return nullptr;
}

wxCDataInfoListNode* CReadingNavigator::previousStart(wxCDataInfoListNode* node,
                                                      eBoundary boundary) const {
    wxCDataInfoListNode* word = wordAtOrBefore(node);
    if (word == nullptr) {
        return firstWord();
    }
    wxCDataInfoListNode* start = startOf(word, boundary);
    if (start == word) {
        wxCDataInfoListNode* before = wordAtOrBefore(word->GetPrevious());
        if (before != nullptr) {
            start = startOf(before, boundary);
        }
    }
    return start;
}

wxCDataInfoListNode* CReadingNavigator::nextStart(wxCDataInfoListNode* node,
                                                  eBoundary boundary) const {
    // On item by item, passing over whole stretches between marks that hold no start.
    for (wxCDataInfoListNode* at = node == nullptr ? nullptr : node->GetNext(); at != nullptr;
         at = at->GetNext()) {
        if (const SMark* mark = markAt(at)) {
            size_t stretch = static_cast<size_t>(mark - marks.data());
            while (stretch < marks.size() && !hasStart(marks[stretch], boundary)) {
                ++stretch;
            }
            if (stretch == marks.size()) {
                return nullptr;
            }
            at = marks[stretch].node;
        }
        if (isWordNode(at) && isBoundaryBefore(at, boundary)) {
            return at;
        }
    }
    return nullptr;
}

wxCDataInfoListNode* CReadingNavigator::previousSentence(wxCDataInfoListNode* node) const {
    return previousStart(node, eSentence);
}

wxCDataInfoListNode* CReadingNavigator::nextSentence(wxCDataInfoListNode* node) const {
    return nextStart(node, eSentence);
}

wxCDataInfoListNode* CReadingNavigator::previousParagraph(wxCDataInfoListNode* node) const {
    return previousStart(node, eParagraph);
}

wxCDataInfoListNode* CReadingNavigator::nextParagraph(wxCDataInfoListNode* node) const {
    return nextStart(node, eParagraph);
}

void CReadingNavigator::sentenceAround(wxCDataInfoListNode* node, std::vector<wxString>* words,
                                       int* marked) const {
    words->clear();
    *marked = -1;
    wxCDataInfoListNode* current = wordAtOrBefore(node);
    if (current == nullptr) {
        return;
    }
    wxCDataInfoListNode* start = current;
    for (int reach = 0; reach < kContextReach && !isBoundaryBefore(start, eSentence); ++reach) {
        start = wordAtOrBefore(start->GetPrevious());
    }
    int taken = 0;
    for (wxCDataInfoListNode* at = start; at != nullptr; at = at->GetNext()) {
        if (!isWordNode(at)) {
            continue;
        }
        if (at == current) {
            *marked = static_cast<int>(words->size());
        }
        words->push_back(wxString::FromUTF8(wordOf(at)));
        if (*marked >= 0 && (CSentenceEnd::endsSentence(wordOf(at)) || ++taken > kContextReach)) {
            break;
        }
    }
}

CReadingNavigator::STimedPart CReadingNavigator::timedPart(const char* word,
                                                           unsigned int wordLength,
                                                           std::string* storage) const {
    // Timed as the engine times it: by its first wordLength characters, once per chunk, both
    // counted in characters as a reader sees them (CFlashedWords::chunksOf and timedPart).
    // Plain ASCII, most words, has as many characters as bytes.
    size_t bytes = 0;
    unsigned char high = 0;
    for (; word[bytes] != '\0'; ++bytes) {
        high |= static_cast<unsigned char>(word[bytes]);
    }
    const bool ascii = high < 0x80;
    const size_t length = ascii ? bytes : CUtf8::countClusters(word, bytes);
    STimedPart timed{word, bytes, length, 1};
    if (wordLength >= 2 && length > wordLength) {
        timed.chunks = hyphenation != nullptr
                           ? CFlashedWords::chunksOf(word, wordLength, hyphenation).size()
                           : (length - 1 + wordLength - 2) / (wordLength - 1);
        timed.bytes = ascii ? wordLength : CUtf8::clusterPrefixBytes(word, bytes, wordLength);
        storage->assign(word, timed.bytes);
        timed.text = storage->c_str();
        timed.clusters = wordLength;
    }
    return timed;
}

uint64_t CReadingNavigator::wordCost(CFlitWordCalcs& wordCalcs, const char* word, char separator,
                                     int speed, unsigned int wordLength) const {
    std::string storage;
    wordCalcs.setLengthUnit(lengthUnit);
    const STimedPart timed = timedPart(word, wordLength, &storage);
    const int display = wordCalcs.calcWordDisplayTime(timed.text, speed);
    const int delay = wordCalcs.calcInterWordDelayTime(timed.text, separator, speed);
    return timed.chunks * static_cast<uint64_t>(display + delay);
}

void CReadingNavigator::addWordClass(uint32_t id) {
    if (wideClasses.empty() && id <= UINT16_MAX) {
        narrowClasses.push_back(static_cast<uint16_t>(id));
        return;
    }
    if (wideClasses.empty()) {
        wideClasses.assign(narrowClasses.begin(), narrowClasses.end());
        wideClasses.reserve(document->getItemCount());
        std::vector<uint16_t>().swap(narrowClasses);
    }
    wideClasses.push_back(id);
}

void CReadingNavigator::build(unsigned int wordLength) {
    // One walk, as walking a long document's items is what costs: the words, the marks, the
    // paragraph rule and the timing classes. A paragraph ends at one newline item, as plain
    // text, HTML, EPUB and Markdown end their paragraphs, unless the document has two newline
    // items between two words somewhere: then it keeps its line breaks (a marked-up text, or
    // plain text read with every line break kept), and only a blank line ends a paragraph.
    wordCount = 0;
    marks.clear();
    classes.clear();
    narrowClasses.clear();
    narrowClasses.reserve(document->getItemCount());
    wideClasses.clear();
    std::unordered_map<SClassKey, uint32_t, SClassKeyHash> ids;
    CWordTraits traits;
    traits.setLengthUnit(lengthUnit);
    std::string storage;
    const auto classifyWord = [&](const char* word, char separator) {
        ++wordCount;
        const STimedPart timed = timedPart(word, wordLength, &storage);
        const bool afterMark = traits.afterMark();
        const bool caps = traits.isAllCaps(timed.text);
        const bool nums = !caps && traits.isAllNums(timed.text);
        const auto mark = static_cast<uint32_t>(traits.markOf(timed.text, separator));
        traits.calcInterWordDelayTime(timed.text, separator, kClassifyingSpeed);
        const size_t codePoints = timed.clusters == timed.bytes
                                      ? timed.bytes
                                      : CUtf8::countCodePoints(timed.text, timed.bytes);
        const SClassKey key{static_cast<uint64_t>(timed.bytes) << 32 | codePoints, timed.clusters,
                            timed.chunks,
                            (caps ? 1u : 0u) | (nums ? 2u : 0u) | mark << 2 |
                                (separator == COvriChars::kNewlineChar ? 16u : 0u)};
        auto found = ids.find(key);
        if (found == ids.end()) {
            found = ids.emplace(key, static_cast<uint32_t>(classes.size())).first;
            classes.push_back(SWordClass{word, separator, afterMark});
        }
        addWordClass(found->second);
        return true;
    };
    // What starts at each word, as isBoundaryBefore sees it: the first word everything; then
    // a sentence after a word that ends one, a paragraph after a page marker or after one (two)
    // newline items.
    bool skipping = false;
    int newlines = 0;
    bool page = false;
    bool afterSentenceEnd = true;
    bool seenWord = false;
    size_t items = 0;
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (items++ % kMarkSpacing == 0) {
            marks.push_back(
                SMark{node, static_cast<uint32_t>(wordCount), skipping ? kSkipping : 0});
        }
        const bool word = isWordNode(node);
        const eDataInfoType type = node->GetData()->getDataInfoType();
        if (word) {
            const bool first = !seenWord;
            seenWord = true;
            marks.back().flags |= (afterSentenceEnd ? kSentenceStarts : 0) |
                                  (page || newlines >= 1 || first ? kParagraphStarts : 0) |
                                  (page || newlines >= 2 || first ? kBlankLineParagraphStarts : 0);
            afterSentenceEnd = CSentenceEnd::endsSentence(wordOf(node));
            newlines = 0;
            page = false;
        } else if (type == eDITNewline && ++newlines == 2) {
            paragraphNewlines = 2;
        } else if (type == eDITPageInfoRef) {
            page = true;
        }
        skipping = skippingAfter(node, skipping);
        if (!skipping && word) {
            classifyWord(wordOf(node), document->getSeparatorAfter(node));
        } else if (!skipping && node->GetData()->getDataInfoType() != eDITWord) {
            forEachWordOf(node, classifyWord);
        }
    }
    marks.shrink_to_fit();
    narrowClasses.shrink_to_fit();
    marksByNode.resize(marks.size());
    for (size_t i = 0; i < marks.size(); ++i) {
        marksByNode[i] = static_cast<uint32_t>(i);
    }
    std::sort(marksByNode.begin(), marksByNode.end(), [this](uint32_t a, uint32_t b) {
        return std::less<>()(marks[a].node, marks[b].node);
    });
    classesWordLength = wordLength;

    // The counts of each class before every block of words.
    const size_t classTotal = classes.size();
    blockWords = std::max(kMinBlockWords, 4 * classTotal);
    classCounts.assign((wordCount / blockWords + 1) * classTotal, 0);
    classTotals.assign(classTotal, 0);
    for (size_t word = 0; word < wordCount; ++word) {
        if (word % blockWords == 0) {
            std::copy(classTotals.begin(), classTotals.end(),
                      classCounts.begin() +
                          static_cast<std::ptrdiff_t>(word / blockWords * classTotal));
        }
        ++classTotals[classOf(word)];
    }
    pricedSpeed = -1;
}

void CReadingNavigator::priceClasses(int speed) {
    classCosts.resize(classes.size());
    for (size_t c = 0; c < classes.size(); ++c) {
        CFlitWordCalcs calcs;
        if (classes[c].afterMark) {
            // The calculator remembers a punctuated word before this one.
            calcs.calcInterWordDelayTime(",", COvriChars::kSpaceChar, kClassifyingSpeed);
        }
        classCosts[c] = wordCost(calcs, classes[c].word.c_str(), classes[c].separator, speed,
                                 classesWordLength);
    }
    pricedSpeed = speed;
}

uint64_t CReadingNavigator::costFrom(size_t first) const {
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

size_t CReadingNavigator::tableBytes() const {
    size_t bytes = marks.capacity() * sizeof(SMark) + marksByNode.capacity() * sizeof(uint32_t) +
                   narrowClasses.capacity() * sizeof(uint16_t) +
                   wideClasses.capacity() * sizeof(uint32_t) +
                   (classCounts.capacity() + classTotals.capacity()) * sizeof(uint32_t) +
                   classCosts.capacity() * sizeof(uint64_t);
    for (const SWordClass& wordClass : classes) {
        bytes += sizeof(SWordClass) + wordClass.word.capacity();
    }
    return bytes;
}

int64_t CReadingNavigator::rampExtra(wxCDataInfoListNode* node, size_t first, int steady,
                                     unsigned int wordLength, bool fromRestart, int rampSpeed) {
    // A restart forgets the word before, which the steady times remember: the first word is
    // timed afresh. After it, both remember the same word. On the ramp each word is timed at
    // the ramp's speed, which then rises by the ramp's step, until it reaches the steady speed.
    CFlitWordCalcs atRamp;
    CFlitWordCalcs atSteady;
    int64_t extra = 0;
    bool firstWord = true;
    forEachWordFrom(node, [&](const char* word, char separator) {
        if (!firstWord && rampSpeed >= steady) {
            return false;
        }
        if (firstWord && fromRestart && first < wordCount) {
            extra -= static_cast<int64_t>(classCosts[classOf(first)]);
            extra += static_cast<int64_t>(wordCost(atSteady, word, separator, steady, wordLength));
            atSteady.zeroInit();
        }
        firstWord = false;
        const int speed = std::min(rampSpeed, steady);
        extra += static_cast<int64_t>(wordCost(atRamp, word, separator, speed, wordLength));
        extra -= static_cast<int64_t>(wordCost(atSteady, word, separator, steady, wordLength));
        rampSpeed += static_cast<int>(CFlitManager::kRampIncrement);
        return true;
    });
    return extra;
}

void CReadingNavigator::setFlashRules(CFlitWordCalcs::eLengthUnit unit,
                                      const CHyphenation* dictionary) {
    if (unit != lengthUnit || dictionary != hyphenation) {
        lengthUnit = unit;
        hyphenation = dictionary;
        build(classesWordLength);
    }
}

uint64_t CReadingNavigator::timeLeftMs(wxCDataInfoListNode* node, int speed,
                                       unsigned int wordLength, bool fromRestart, int rampSpeed) {
    if (fromRestart) {
        rampSpeed = static_cast<int>(CFlitManager::kRampStartSpeed);
    }
    // The engine never raises the ramp past the fastest speed: a ramp that cannot pass the
    // target holds at its last step for the rest of the reading.
    int steady = speed;
    if (rampSpeed > 0) {
        int top = rampSpeed;
        while (top + static_cast<int>(CFlitManager::kRampIncrement) <=
               static_cast<int>(CFlitManager::kMaxWpmSpeed)) {
            top += static_cast<int>(CFlitManager::kRampIncrement);
        }
        steady = std::min(speed, top);
    }
    if (wordLength != classesWordLength) {
        build(wordLength);
    }
    if (steady != pricedSpeed) {
        priceClasses(steady);
    }
    if (node == nullptr) {
        return 0;
    }
    const size_t before = std::min(wordsBefore(node), wordCount);
    const int64_t left =
        static_cast<int64_t>(costFrom(before)) +
        (rampSpeed > 0 ? rampExtra(node, before, steady, wordLength, fromRestart, rampSpeed) : 0);
    return left > 0 ? static_cast<uint64_t>(left) : 0;
}
