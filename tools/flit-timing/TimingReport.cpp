#include "TimingReport.h"

#include "outside/OvriChars.h"
#include "outside/TextTokenizer.h"
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

std::vector<STimedWord> CTimingReport::timeText(const std::string& text) const {
    std::vector<STimedWord> words;
    CTextTokenizer tokenizer(text.data(), text.size());
    CTextTokenizer::SToken token;
    bool lastWasWord = false;
    while (tokenizer.next(&token)) {
        switch (token.type) {
        case CTextTokenizer::eWordToken:
            words.push_back({text.substr(token.offset, token.length), COvriChars::kNullByte, 0, 0});
            break;
        case CTextTokenizer::eSpaceToken:
        case CTextTokenizer::eNewlineToken:
            // The separator is the item right after the word.
            if (lastWasWord) {
                words.back().separator = token.type == CTextTokenizer::eSpaceToken
                                             ? COvriChars::kSpaceChar
                                             : COvriChars::kNewlineChar;
            }
            break;
        }
        lastWasWord = token.type == CTextTokenizer::eWordToken;
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
