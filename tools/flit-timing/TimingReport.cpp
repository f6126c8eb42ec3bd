#include "TimingReport.h"

#include "outside/DataManager.h"
#include "outside/OvriChars.h"
#include "outside/Utf8.h"
#include "timing/FlitWordCalcs.h"

CTimingReport::CTimingReport(int wordsPerMinute, int wordLengthIn)
    : wpm(wordsPerMinute), wordLength(wordLengthIn) {}

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
    std::vector<STimedWord> words;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node != nullptr;
         node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() != eDITWord) {
            continue;
        }
        const char* word = static_cast<const CDITWord*>(node->GetData())->getWord();
        if (*word == '\0') {
            continue;
        }
        words.push_back({word, document.getSeparatorAfter(node), 0, 0});
    }

    CFlitWordCalcs calcs;
    calcs.zeroInit();
    std::string timedPart;
    for (STimedWord& timed : words) {
        const std::string* timedWord = &timed.word;
        if (wordLength >= 2) {
            timedPart.assign(timed.word, 0,
                             CUtf8::prefixBytes(timed.word.data(), timed.word.size(),
                                                static_cast<std::size_t>(wordLength)));
            timedWord = &timedPart;
        }
        timed.displayMs = calcs.calcWordDisplayTime(timedWord->c_str(), wpm);
        timed.delayMs = calcs.calcInterWordDelayTime(timedWord->c_str(), timed.separator, wpm);
    }
    return words;
}
