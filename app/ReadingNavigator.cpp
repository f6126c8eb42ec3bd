#include "ReadingNavigator.h"

#include "engine/FlashedWords.h"
#include "engine/FlitManager.h"
#include "outside/DataManager.h"
#include "outside/Utf8.h"
#include "timing/SentenceEnd.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// How many words either side of the current one the context shows at most.
const int kContextReach = 40;

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

CReadingNavigator::CReadingNavigator(CDataManager* doc) : document(doc) {
    forEachWordFrom(document->getFirstNode(), [this](const char*, char) {
        ++wordCount;
        return true;
    });
    // A paragraph ends at one newline item, as plain text, HTML, EPUB and Markdown end their
    // paragraphs, unless the document has two newline items between two words somewhere: then
    // it keeps its line breaks (a marked-up text, or plain text read with every line break
    // kept), and only a blank line ends a paragraph.
    int newlines = 0;
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (isWordNode(node)) {
            newlines = 0;
        } else if (node->GetData()->getDataInfoType() == eDITNewline && ++newlines == 2) {
            paragraphNewlines = 2;
            break;
        }
    }
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

size_t CReadingNavigator::wordsBefore(wxCDataInfoListNode* node) {
    if (node == nullptr) {
        return wordCount;
    }
    // Continue from the last answer when node lies ahead of it; otherwise count from the start.
    wxCDataInfoListNode* from = lastNode;
    size_t count = lastWordsBefore;
    bool skipping = lastSkipping;
    if (from == nullptr) {
        from = document->getFirstNode();
        count = 0;
        skipping = false;
    }
    const auto countWord = [&count](const char*, char) {
        ++count;
        return true;
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (wxCDataInfoListNode* at = from; at != nullptr; at = at->GetNext()) {
            if (at == node) {
                lastNode = node;
                lastWordsBefore = count;
                lastSkipping = skipping;
                return count;
            }
            skipping = skippingAfter(at, skipping);
            if (!skipping) {
                forEachWordOf(at, countWord);
            }
        }
        from = document->getFirstNode();
        count = 0;
        skipping = false;
    }
    return wordCount;
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

wxCDataInfoListNode* CReadingNavigator::startOf(wxCDataInfoListNode* word,
                                                eBoundary boundary) const {
    while (word != nullptr && !isBoundaryBefore(word, boundary)) {
        word = wordAtOrBefore(word->GetPrevious());
    }
    return word;
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
    wxCDataInfoListNode* at = node == nullptr ? nullptr : node->GetNext();
    for (; at != nullptr; at = at->GetNext()) {
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

void CReadingNavigator::setFlashRules(CFlitWordCalcs::eLengthUnit unit,
                                      const CHyphenation* dictionary) {
    if (unit != lengthUnit || dictionary != hyphenation) {
        lengthUnit = unit;
        hyphenation = dictionary;
        timesSpeed = -1;
    }
}

uint64_t CReadingNavigator::wordCost(CFlitWordCalcs& wordCalcs, const char* word, char separator,
                                     int speed, unsigned int wordLength) const {
    // Timed as the engine times it: by its first wordLength characters, once per chunk, both
    // counted in characters as a reader sees them (CFlashedWords::chunksOf and timedPart).
    const size_t bytes = std::strlen(word);
    const size_t length = CUtf8::countClusters(word, bytes);
    size_t chunks = 1;
    std::string shown;
    const char* timed = word;
    if (wordLength >= 2 && length > wordLength) {
        chunks = hyphenation != nullptr
                     ? CFlashedWords::chunksOf(word, wordLength, hyphenation).size()
                     : (length - 1 + wordLength - 2) / (wordLength - 1);
        shown.assign(word, CUtf8::clusterPrefixBytes(word, bytes, wordLength));
        timed = shown.c_str();
    }
    wordCalcs.setLengthUnit(lengthUnit);
    const int display = wordCalcs.calcWordDisplayTime(timed, speed);
    const int delay = wordCalcs.calcInterWordDelayTime(timed, separator, speed);
    return chunks * static_cast<uint64_t>(display + delay);
}

void CReadingNavigator::rebuildTimes(int speed, unsigned int wordLength) {
    times.clear();
    times.reserve(wordCount + 1);
    calcs.zeroInit();
    uint64_t total = 0;
    times.push_back(0);
    forEachWordFrom(document->getFirstNode(), [&](const char* word, char separator) {
        total += wordCost(calcs, word, separator, speed, wordLength);
        times.push_back(total);
        return true;
    });
    timesSpeed = speed;
    timesWordLength = wordLength;
}

int64_t CReadingNavigator::rampExtra(wxCDataInfoListNode* node, size_t first, int steady,
                                     unsigned int wordLength, bool fromRestart,
                                     int rampSpeed) const {
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
        if (firstWord && fromRestart && first + 1 < times.size()) {
            extra -= static_cast<int64_t>(times[first + 1] - times[first]);
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
    if (steady != timesSpeed || wordLength != timesWordLength) {
        rebuildTimes(steady, wordLength);
    }
    if (node == nullptr) {
        return 0;
    }
    const size_t before = std::min(wordsBefore(node), times.size() - 1);
    const int64_t left =
        static_cast<int64_t>(times.back() - times[before]) +
        (rampSpeed > 0 ? rampExtra(node, before, steady, wordLength, fromRestart, rampSpeed) : 0);
    return left > 0 ? static_cast<uint64_t>(left) : 0;
}
