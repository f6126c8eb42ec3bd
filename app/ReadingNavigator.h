#ifndef FLIT_APP_READINGNAVIGATOR_H
#define FLIT_APP_READINGNAVIGATOR_H

#include "timing/FlitWordCalcs.h"

#include <wx/string.h>

#include <cstdint>
#include <vector>

class CDataManager;
class CHyphenation;
class wxCDataInfoListNode;

// What the reader knows about positions in a document: where sentences and paragraphs begin,
// how many words come before a node, the sentence around a word, and how long the rest of the
// document takes at a speed by the timing rules.
//
// Words are the words the engine flashes, each once however many chunks it takes: a word
// item's word, "<LINK>" for a web or mail link, an email item's "Email", "Item", "#" and its
// number, an attachment announcement's fifteen words. The words that an attachment skip jumps
// over, up to the next email item, are not read and not counted.
//
// Sentences end as CSentenceEnd says. A paragraph ends at a page marker, and at a newline item;
// in a document that keeps its line breaks (one with two newline items between two words
// somewhere), only at a blank line (two newline items with no word between).
class CReadingNavigator {
public:
    explicit CReadingNavigator(CDataManager* document);

    size_t getWordCount() const { return wordCount; }
    wxCDataInfoListNode* firstWord() const;

    // The number of words before node (node's own words not counted); the word count for null.
    // Cheap when called with nodes in reading order.
    size_t wordsBefore(wxCDataInfoListNode* node);

    // Where to go for "back one sentence": the start of the sentence holding node, or the start
    // of the sentence before when node is already at a start. Never null while there are words.
    wxCDataInfoListNode* previousSentence(wxCDataInfoListNode* node) const;
    // The first word after the sentence holding node; null when it is the last sentence.
    wxCDataInfoListNode* nextSentence(wxCDataInfoListNode* node) const;
    wxCDataInfoListNode* previousParagraph(wxCDataInfoListNode* node) const;
    wxCDataInfoListNode* nextParagraph(wxCDataInfoListNode* node) const;

    // The words of the sentence holding node (at most a bounded number either side), and the
    // index among them of node's word (-1 when node is not in a sentence).
    void sentenceAround(wxCDataInfoListNode* node, std::vector<wxString>* words, int* marked) const;

    // Milliseconds the timing rules give the words from node to the end at the target speed,
    // with words longer than wordLength shown in chunks. fromRestart: reading will go on from
    // node after a restart, which starts the ramp again and forgets the word before. rampSpeed:
    // otherwise, the speed at which a ramp still running times the next word (0: it has ended).
    uint64_t timeLeftMs(wxCDataInfoListNode* node, int speed, unsigned int wordLength,
                        bool fromRestart = false, int rampSpeed = 0);

    // Times words as the engine does with this length unit and hyphenation (null: the cut at
    // the word length); the engine's default until set.
    void setFlashRules(CFlitWordCalcs::eLengthUnit unit, const CHyphenation* hyphenation);

private:
    enum eBoundary { eSentence, eParagraph };

    bool isBoundaryBefore(wxCDataInfoListNode* word, eBoundary boundary) const;
    wxCDataInfoListNode* wordAtOrBefore(wxCDataInfoListNode* node) const;
    wxCDataInfoListNode* startOf(wxCDataInfoListNode* word, eBoundary boundary) const;
    wxCDataInfoListNode* previousStart(wxCDataInfoListNode* node, eBoundary boundary) const;
    wxCDataInfoListNode* nextStart(wxCDataInfoListNode* node, eBoundary boundary) const;
    // Calls visit(text, separator) for each word the engine flashes for the item at node, in
    // order, until visit returns false; false then.
    template <typename Visit> bool forEachWordOf(wxCDataInfoListNode* node, Visit visit) const;
    // The same for the items from node to the end, as reading from node goes.
    template <typename Visit> void forEachWordFrom(wxCDataInfoListNode* node, Visit visit) const;
    void rebuildTimes(int speed, unsigned int wordLength);
    // What one word costs, chunks and blanks included.
    uint64_t wordCost(CFlitWordCalcs& calcs, const char* word, char separator, int speed,
                      unsigned int wordLength) const;
    // What the ramp from rampSpeed adds to the first words from node (first words before it)
    // over the steady speed.
    int64_t rampExtra(wxCDataInfoListNode* node, size_t first, int steady, unsigned int wordLength,
                      bool fromRestart, int rampSpeed) const;

    CDataManager* document;
    size_t wordCount = 0;
    // The newline items between two words that end a paragraph: 1, or 2 in a document that keeps
    // its line breaks.
    int paragraphNewlines = 1;
    // Where wordsBefore last stopped, to continue from there, and whether it was in words that
    // an attachment skip jumps over.
    wxCDataInfoListNode* lastNode = nullptr;
    size_t lastWordsBefore = 0;
    bool lastSkipping = false;
    // Cumulative times of the words at timesSpeed and timesWordLength; times[i] is the time of
    // the words before word i.
    std::vector<uint64_t> times;
    int timesSpeed = -1;
    unsigned int timesWordLength = 0;
    CFlitWordCalcs calcs;
    // Set by setFlashRules.
    CFlitWordCalcs::eLengthUnit lengthUnit = CFlitWordCalcs::eLengthBytes;
    const CHyphenation* hyphenation = nullptr;
};

#endif
