#ifndef FLIT_APP_READINGNAVIGATOR_H
#define FLIT_APP_READINGNAVIGATOR_H

#include "reading/TimesRetiming.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class CHyphenation;

class CDataManager;
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
//
// No answer walks the document: the navigator keeps a mark every few hundred items (the words
// before it), so that counting the words before a node walks back to the nearest mark and
// forward from it; and it hands the words to CReadingTimes, which times them at any speed.
//
// Timing the words again (other flash rules, another word length) walks the whole document: by
// default at once, or, once retimeInBackground was asked, on a worker thread while every other
// answer stays as it was and the time left is unknown.
class CReadingNavigator {
public:
    // wordLength: the word display length the time left will most likely be asked for; the
    // words are timed with the flash rules given (see setFlashRules).
    explicit CReadingNavigator(CDataManager* document, unsigned int wordLength = 12,
                               CFlitWordCalcs::eLengthUnit unit = CFlitWordCalcs::eLengthBytes,
                               const CHyphenation* hyphenation = nullptr,
                               eChunkCut cut = eCutAtLength);

    size_t getWordCount() const { return wordCount; }
    wxCDataInfoListNode* firstWord() const;

    // The number of words before node (node's own words not counted); the word count for null.
    size_t wordsBefore(wxCDataInfoListNode* node);
    // The item that holds the word wordIndex words come before (the first item whose words
    // reach past it); null past the last word.
    wxCDataInfoListNode* itemOfWord(size_t wordIndex) const;

    // Where to go for "back one sentence": the start of the sentence holding node, or the start
    // of the sentence before when node is already at a start. Never null while there are words.
    wxCDataInfoListNode* previousSentence(wxCDataInfoListNode* node) const;
    // The first word after the sentence holding node; null when it is the last sentence.
    wxCDataInfoListNode* nextSentence(wxCDataInfoListNode* node) const;
    wxCDataInfoListNode* previousParagraph(wxCDataInfoListNode* node) const;
    wxCDataInfoListNode* nextParagraph(wxCDataInfoListNode* node) const;

    // The page number shown at the word wordIndex words come before: the last shown page
    // marker's before it (0 when none is).
    int pageOfWord(size_t wordIndex) const;

    // Where the words sentenceAround gives stop short of their sentence.
    struct SCut {
        bool before = false;
        bool after = false;
    };
    // The words of the sentence holding node (at most a bounded number either side), and the
    // index among them of node's word (-1 when node is not in a sentence); cut, when given,
    // says at which ends the sentence was cut short.
    void sentenceAround(wxCDataInfoListNode* node, std::vector<wxString>* words, int* marked,
                        SCut* cut = nullptr) const;

    // Milliseconds the timing rules give the words from node to the end at the target speed,
    // with words longer than wordLength shown in chunks. fromRestart: reading will go on from
    // node after a restart, which starts the ramp again and forgets the word before. rampSpeed:
    // otherwise, the speed at which a ramp still running times the next word (0: it has ended).
    // 0 while the words are timed again in the background (timesKnown is false).
    uint64_t timeLeftMs(wxCDataInfoListNode* node, int speed, unsigned int wordLength,
                        bool fromRestart = false, int rampSpeed = 0);

    // Times words as the engine does with this length unit, hyphenation (null: the cut at the
    // word length) and cut; the engine's default until set. A change sorts the words again.
    void setFlashRules(CFlitWordCalcs::eLengthUnit unit, const CHyphenation* hyphenation,
                       eChunkCut cut = eCutAtLength);

    // From now on the words are timed again on a worker thread. ready is called on that thread
    // when new times are there to take (it may only post to the GUI thread); the next
    // timesKnown or timeLeftMs takes them.
    void retimeInBackground(std::function<void()> ready) { times.inBackground(std::move(ready)); }
    // Whether the time left can be given now, for the rules and word length last asked.
    bool timesKnown() { return times.known(); }

    // The bytes the navigator's tables take, and the number of timing classes.
    size_t tableBytes() const;
    size_t classCount() const { return times.current().classCount(); }

private:
    enum eBoundary { eSentence, eParagraph };
    // A mark on every kMarkSpacing-th item, from the first: the words before it; whether it
    // lies in words an attachment skip jumps over (before the item itself is seen); and whether
    // a sentence or a paragraph starts at a word between it and the next mark.
    static constexpr uint32_t kSkipping = 1;
    static constexpr uint32_t kSentenceStarts = 2;
    // After a newline item or a page marker; after two newline items or a page marker.
    static constexpr uint32_t kParagraphStarts = 4;
    static constexpr uint32_t kBlankLineParagraphStarts = 8;
    struct SMark {
        wxCDataInfoListNode* node;
        uint32_t wordsBefore;
        uint32_t flags;
    };
    bool isBoundaryBefore(wxCDataInfoListNode* word, eBoundary boundary) const;
    bool hasStart(const SMark& mark, eBoundary boundary) const;
    wxCDataInfoListNode* wordAtOrBefore(wxCDataInfoListNode* node) const;
    wxCDataInfoListNode* startOf(wxCDataInfoListNode* word, eBoundary boundary) const;
    wxCDataInfoListNode* previousStart(wxCDataInfoListNode* node, eBoundary boundary) const;
    wxCDataInfoListNode* nextStart(wxCDataInfoListNode* node, eBoundary boundary) const;
    // Calls visit(text, separator) for each word the engine flashes for the item at node, in
    // order, until visit returns false; false then.
    template <typename Visit> bool forEachWordOf(wxCDataInfoListNode* node, Visit visit) const;
    // The same for the items from node to the end, as reading from node goes.
    template <typename Visit> void forEachWordFrom(wxCDataInfoListNode* node, Visit visit) const;
    // Counts the words, marks the items, and sorts every word into its timing class at
    // wordLength, counting the classes by blocks.
    void build(unsigned int wordLength);
    // Gives every word to into, in reading order, as build does, until stop() is true.
    void classifyWords(CReadingTimes& into, const std::function<bool()>& stop) const;
    // Notes the page marker at node, after the words counted so far.
    void notePage(wxCDataInfoListNode* node);
    // The mark at node; null when node has none.
    const SMark* markAt(const wxCDataInfoListNode* node) const;

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

    // The marks, and their indexes in the order of their nodes' addresses, to tell a marked node.
    std::vector<SMark> marks;
    std::vector<uint32_t> marksByNode;

    // The shown page markers in reading order: the words before each, and its page number.
    std::vector<std::pair<uint32_t, int>> pages;

    // The timing classes of the words, timed again when the rules change.
    CTimesRetiming times;
};

#endif
