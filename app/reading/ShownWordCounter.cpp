#include "reading/ShownWordCounter.h"

#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/Utf8.h>

void CShownWordCounter::restart(wxCDataInfoListNode* node, bool newReading) {
    if (newReading) {
        // A start measures a new reading, as the engine's metrics do.
        wordsShown = 0;
    }
    shownNode = node;
    wordOfItem = 0;
    lastChunk.clear();
    rampRunning = true;
}

void CShownWordCounter::count(wxCDataInfoListNode* node, const wxString& chunk,
                              size_t displayLength, bool hyphenating) {
    // Every chunk but a word's last ends in a hyphen and, cut by length alone, holds exactly
    // displayLength characters.
    const auto fullLength = [this, displayLength] {
        const wxScopedCharBuffer last = lastChunk.utf8_str();
        return CUtf8::countClusters(last.data(), last.length()) == displayLength;
    };
    const bool sameWordItem = hyphenating && node != nullptr && !lastChunk.empty() &&
                              node->GetData()->getDataInfoType() == eDITWord;
    const bool goesOn =
        node == shownNode && CReadingRules::limits(static_cast<unsigned int>(displayLength)) &&
        (sameWordItem || (lastChunk.EndsWith("-") && (hyphenating || fullLength())));
    if (!goesOn) {
        // A phrase shows several words, one space between each; a word holds no space.
        wordsShown += 1 + static_cast<size_t>(chunk.Freq(' '));
        // Items other than words (links, email items) show their words with their own node.
        const bool sameItem = node != nullptr && node == shownNode && !lastChunk.empty() &&
                              node->GetData()->getDataInfoType() != eDITWord;
        wordOfItem = sameItem ? wordOfItem + 1 : 0;
    }
    shownNode = node;
    lastChunk = chunk;
}

void CShownWordCounter::reset() {
    wordsShown = wordOfItem = 0;
    shownNode = nullptr;
    lastChunk.clear();
}

unsigned int CShownWordCounter::wordsPerMinute(unsigned long long words,
                                               unsigned long long milliseconds) {
    const unsigned long long kMillisecondsPerMinute = 60000;
    return milliseconds == 0
               ? 0
               : static_cast<unsigned int>(words * kMillisecondsPerMinute / milliseconds);
}
