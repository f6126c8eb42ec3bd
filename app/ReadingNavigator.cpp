#include "ReadingNavigator.h"

#include "engine/FlitManager.h"
#include "outside/DataManager.h"
#include "outside/Utf8.h"

#include <algorithm>
#include <cstring>

namespace {

// How many words either side of the current one the context shows at most.
const int kContextReach = 40;

bool isWordNode(const wxCDataInfoListNode* node) {
    return node->GetData()->getDataInfoType() == eDITWord &&
           *static_cast<const CDITWord*>(node->GetData())->getWord() != '\0';
}

const char* wordOf(const wxCDataInfoListNode* node) {
    return static_cast<const CDITWord*>(node->GetData())->getWord();
}

// Bytes of closing punctuation that may follow a sentence's final mark: quotes and brackets,
// including the UTF-8 right quotation marks (E2 80 99 and E2 80 9D).
bool isClosingByte(unsigned char c) {
    return c == '"' || c == '\'' || c == ')' || c == ']' || c == 0x99 || c == 0x9D || c == 0x80 ||
           c == 0xE2;
}

} // namespace

CReadingNavigator::CReadingNavigator(CDataManager* doc) : document(doc) {
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (isWordNode(node)) {
            ++wordCount;
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

bool CReadingNavigator::endsSentence(const char* word) {
    size_t end = std::strlen(word);
    while (end > 0 && isClosingByte(static_cast<unsigned char>(word[end - 1]))) {
        // An ellipsis (E2 80 A6) also ends a sentence; its bytes are not closing bytes.
        --end;
    }
    if (end >= 3 && std::memcmp(word + end - 3, "\xE2\x80\xA6", 3) == 0) {
        return true;
    }
    return end > 0 && std::strchr(".!?", word[end - 1]) != nullptr;
}

size_t CReadingNavigator::wordsBefore(wxCDataInfoListNode* node) {
    if (node == nullptr) {
        return wordCount;
    }
    // Continue from the last answer when node lies ahead of it; otherwise count from the start.
    wxCDataInfoListNode* from = lastNode;
    size_t count = lastWordsBefore;
    if (from == nullptr) {
        from = document->getFirstNode();
        count = 0;
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (wxCDataInfoListNode* at = from; at != nullptr; at = at->GetNext()) {
            if (at == node) {
                lastNode = node;
                lastWordsBefore = count;
                return count;
            }
            if (isWordNode(at)) {
                ++count;
            }
        }
        from = document->getFirstNode();
        count = 0;
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
            return boundary == eSentence ? endsSentence(wordOf(at)) : newlines >= 2;
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
        if (*marked >= 0 && (endsSentence(wordOf(at)) || ++taken > kContextReach)) {
            break;
        }
    }
}

uint64_t CReadingNavigator::wordCost(CFlitWordCalcs& wordCalcs, wxCDataInfoListNode* node,
                                     int speed, unsigned int wordLength) const {
    // Timed as the engine times it: by its first wordLength characters, once per chunk.
    const char* word = wordOf(node);
    const size_t bytes = std::strlen(word);
    const size_t length = CUtf8::countCodePoints(word, bytes);
    size_t chunks = 1;
    std::string shown;
    const char* timed = word;
    if (wordLength >= 2 && length > wordLength) {
        chunks = (length - 1 + wordLength - 2) / (wordLength - 1);
        shown.assign(word, CUtf8::prefixBytes(word, bytes, wordLength));
        timed = shown.c_str();
    }
    const int display = wordCalcs.calcWordDisplayTime(timed, speed);
    const int delay =
        wordCalcs.calcInterWordDelayTime(timed, document->getSeparatorAfter(node), speed);
    return chunks * static_cast<uint64_t>(display + delay);
}

void CReadingNavigator::rebuildTimes(int speed, unsigned int wordLength) {
    times.clear();
    times.reserve(wordCount + 1);
    calcs.zeroInit();
    uint64_t total = 0;
    times.push_back(0);
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (isWordNode(node)) {
            total += wordCost(calcs, node, speed, wordLength);
            times.push_back(total);
        }
    }
    timesSpeed = speed;
    timesWordLength = wordLength;
}

uint64_t CReadingNavigator::rampExtra(wxCDataInfoListNode* node, int speed,
                                      unsigned int wordLength) const {
    // The n-th word after a restart is timed at 100 + 75n words per minute until that passes
    // the target (the ramp never goes above 925).
    CFlitWordCalcs atRamp;
    CFlitWordCalcs atTarget;
    uint64_t extra = 0;
    int rampSpeed = static_cast<int>(CFlitManager::kRampStartSpeed);
    for (; node != nullptr && rampSpeed < speed; node = node->GetNext()) {
        if (!isWordNode(node)) {
            continue;
        }
        const uint64_t slow = wordCost(atRamp, node, rampSpeed, wordLength);
        const uint64_t steady = wordCost(atTarget, node, speed, wordLength);
        extra += slow > steady ? slow - steady : 0;
        if (rampSpeed + static_cast<int>(CFlitManager::kRampIncrement) >
            static_cast<int>(CFlitManager::kMaxWpmSpeed)) {
            break;
        }
        rampSpeed += static_cast<int>(CFlitManager::kRampIncrement);
    }
    return extra;
}

uint64_t CReadingNavigator::timeLeftMs(wxCDataInfoListNode* node, int speed,
                                       unsigned int wordLength, bool fromRestart) {
    if (speed != timesSpeed || wordLength != timesWordLength) {
        rebuildTimes(speed, wordLength);
    }
    const size_t before = wordsBefore(node);
    const uint64_t steady = times.back() - times[std::min(before, times.size() - 1)];
    return steady + (fromRestart ? rampExtra(node, speed, wordLength) : 0);
}
