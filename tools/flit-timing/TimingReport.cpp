#include "TimingReport.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Phrases.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

// The target speed a speed link gives the engine: its leading decimal number (0 when there is
// none), kept within the manager's range.
int speedOfLink(const CLinkInfo& link) {
    const wchar_t* start = link.linkData.wc_str();
    wchar_t* end = nullptr;
    const long speed = std::wcstol(start, &end, 10);
    const long lowest = CFlitManager::kMinWpmSpeed;
    const long highest = CFlitManager::kMaxWpmSpeed;
    return static_cast<int>(end == start ? lowest : std::clamp(speed, lowest, highest));
}

int countOf(unsigned int value) {
    return static_cast<int>(std::min(value, static_cast<unsigned int>(INT_MAX)));
}

} // namespace

CTimingReport::CTimingReport(int wordsPerMinute, int wordLengthIn,
                             CFlitWordCalcs::eLengthUnit unitIn, const CHyphenation* hyphenationIn,
                             eChunkCut cutIn)
    : wpm(wordsPerMinute), wordLength(wordLengthIn), unit(unitIn), hyphenation(hyphenationIn),
      cut(cutIn) {}

void CTimingReport::setPhrases(unsigned int words, unsigned int length) {
    wordsPerFlash = words;
    phraseLength = length;
}

const char* CTimingReport::separatorName(char separator) {
    if (separator == COvriChars::kSpaceChar) {
        return "space";
    }
    if (separator == COvriChars::kNewlineChar) {
        return "newline";
    }
    return "none";
}

std::vector<STimedWord> CTimingReport::timeDocument(const CDataManager& document) const {
    std::vector<STimedWord> flashes;
    timeDocument(document,
                 [&flashes](STimedWord& flashed) { flashes.push_back(std::move(flashed)); });
    return flashes;
}

void CTimingReport::timeDocument(const CDataManager& document,
                                 const std::function<void(STimedWord&)>& flash) const {
    const unsigned int displayLength = static_cast<unsigned int>(std::max(wordLength, 0));
    STimedWord timed{};
    CFlitWordCalcs calcs;
    calcs.zeroInit();
    calcs.setLengthUnit(unit);
    int speed = wpm;
    long long sustainMs = 0;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node != nullptr;
         node = CFlashedWords::nextReadNode(node)) {
        const CDataInfo* item = node->GetData();
        if (item->getDataInfoType() == eDITSustain) {
            sustainMs = calcs.calcSustainDelay(
                countOf(static_cast<const CDITSustain*>(item)->getValue()), speed);
        } else if (item->getDataInfoType() == eDITLinkInfoRef) {
            const CLinkInfo* link = document.getLinkAt(
                static_cast<const CDITLinkInfoRef*>(item)->getLinkInfoListNode());
            if (link != nullptr && link->linkType == eLinkSpeed) {
                speed = speedOfLink(*link);
            }
        }
        if (wordsPerFlash > 1 && item->getDataInfoType() == eDITWord) {
            wxCDataInfoListNode* last = timePhrase(calcs, document, node, speed, sustainMs, flash);
            if (last != nullptr) {
                node = last;
                continue;
            }
        }
        for (const SFlashedWord& flashed : CFlashedWords::wordsOf(document, node)) {
            const SWordTiming times = CReadingRules::timingOf(
                calcs, flashed.text, flashed.separator, speed, displayLength);
            bool first = true;
            for (std::string& chunk :
                 CFlashedWords::chunksOf(flashed.text, displayLength, hyphenation, cut)) {
                const int heldMs =
                    static_cast<int>(std::min(times.displayMs + sustainMs, 0LL + INT_MAX));
                timed = {std::move(chunk), flashed.separator, heldMs, times.delayMs, first};
                flash(timed);
                sustainMs = 0;
                first = false;
            }
        }
    }
}

wxCDataInfoListNode*
CTimingReport::timePhrase(CFlitWordCalcs& calcs, const CDataManager& document,
                          wxCDataInfoListNode* node, int speed, long long& sustainMs,
                          const std::function<void(STimedWord&)>& flash) const {
    const unsigned int displayLength = static_cast<unsigned int>(std::max(wordLength, 0));
    const std::vector<wxCDataInfoListNode*> phrase =
        CPhrases::phraseAt(node, {wordsPerFlash, phraseLength, displayLength, hyphenation});
    if (phrase.size() < 2) {
        return nullptr;
    }
    // Timed word by word as the engine times a phrase, and shown as one flash.
    const char separator = CReadingRules::separatorAfter(document, phrase.back());
    SWordTiming times = {0, 0};
    std::string joined;
    for (const wxCDataInfoListNode* word : phrase) {
        const std::string text = static_cast<const CDITWord*>(word->GetData())->getWord();
        const char after = word == phrase.back() ? separator : COvriChars::kSpaceChar;
        times = CPhrases::extended(
            times, CReadingRules::timingOf(calcs, text, after, speed, displayLength));
        joined += (joined.empty() ? "" : " ") + text;
    }
    const int heldMs = static_cast<int>(std::min(times.displayMs + sustainMs, 0LL + INT_MAX));
    STimedWord timed = {std::move(joined), separator, heldMs, times.delayMs, true};
    timed.words = static_cast<int>(phrase.size());
    flash(timed);
    sustainMs = 0;
    return phrase.back();
}
