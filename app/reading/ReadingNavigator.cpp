#include "reading/ReadingNavigator.h"
#include "reading/NavigatorWords.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/PageManager.h>
#include <flitengine/timing/SentenceEnd.h>

#include <algorithm>
#include <functional>

namespace {

// Items between two marks: counting the words before a node walks at most this many back and
// as many forward.
const size_t kMarkSpacing = 512;

// Items a worker timing the words walks between two looks at whether to stop.
const size_t kStopSpacing = 4096;

} // namespace

using navigatorWords::wordOf;

CReadingNavigator::CReadingNavigator(CDataManager* doc, unsigned int wordLength,
                                     CFlitWordCalcs::eLengthUnit unit,
                                     const CHyphenation* hyphenation, eChunkCut cut)
    : document(doc), times(CTimesRetiming::SRules{wordLength, unit, hyphenation, cut},
                           [this](CReadingTimes& into, const std::function<bool()>& stop) {
                               classifyWords(into, stop);
                           }) {
    build(wordLength);
}

template <typename Visit>
bool CReadingNavigator::forEachWordOf(wxCDataInfoListNode* node, Visit visit) const {
    // Word items, by far the most, without building a list; every other item as the engine
    // flashes it.
    if (node->GetData()->getDataInfoType() == eDITWord) {
        return !navigatorWords::isShownWord(node) ||
               visit(wordOf(node), CReadingRules::separatorAfter(*document, node));
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
    for (; node != nullptr; node = CFlashedWords::nextReadNode(node)) {
        if (!forEachWordOf(node, visit)) {
            return;
        }
    }
}

wxCDataInfoListNode* CReadingNavigator::firstWord() const {
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (navigatorWords::isShownWord(node)) {
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
        skipping = CFlashedWords::passesOver(at, skipping);
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
        skipping = CFlashedWords::passesOver(at, skipping);
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
        if (navigatorWords::isShownWord(node)) {
            return node;
        }
    }
    return nullptr;
}

bool CReadingNavigator::isBoundaryBefore(wxCDataInfoListNode* word, eBoundary boundary) const {
    int newlines = 0;
    for (wxCDataInfoListNode* at = word->GetPrevious(); at != nullptr; at = at->GetPrevious()) {
        const eDataInfoType type = at->GetData()->getDataInfoType();
        if (type == eDITWord && navigatorWords::isShownWord(at)) {
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
        if (navigatorWords::isShownWord(at) && isBoundaryBefore(at, boundary)) {
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
        if (navigatorWords::isShownWord(at) && isBoundaryBefore(at, boundary)) {
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

int CReadingNavigator::pageOfWord(size_t wordIndex) const {
    const auto after = std::upper_bound(
        pages.begin(), pages.end(), wordIndex,
        [](size_t index, const std::pair<uint32_t, int>& page) { return index < page.first; });
    return after == pages.begin() ? 0 : (after - 1)->second;
}

void CReadingNavigator::build(unsigned int wordLength) {
    // One walk, as walking a long document's items is what costs: the words, the marks, the
    // paragraph rule and the timing classes. A paragraph ends at one newline item, as plain
    // text, HTML, EPUB and Markdown end their paragraphs, unless the document has two newline
    // items between two words somewhere: then it keeps its line breaks (a marked-up text, or
    // plain text read with every line break kept), and only a blank line ends a paragraph.
    wordCount = 0;
    marks.clear();
    pages.clear();
    times.current().begin(wordLength, document->getItemCount());
    const auto classifyWord = [this](const char* word, char separator) {
        ++wordCount;
        times.current().addWord(word, separator);
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
        const bool word = navigatorWords::isShownWord(node);
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
        skipping = CFlashedWords::passesOver(node, skipping);
        if (!skipping && type == eDITPageInfoRef) {
            notePage(node);
        }
        if (!skipping && word) {
            classifyWord(wordOf(node), CReadingRules::separatorAfter(*document, node));
        } else if (!skipping && node->GetData()->getDataInfoType() != eDITWord) {
            forEachWordOf(node, classifyWord);
        }
    }
    marks.shrink_to_fit();
    pages.shrink_to_fit();
    marksByNode.resize(marks.size());
    for (size_t i = 0; i < marks.size(); ++i) {
        marksByNode[i] = static_cast<uint32_t>(i);
    }
    std::sort(marksByNode.begin(), marksByNode.end(), [this](uint32_t a, uint32_t b) {
        return std::less<>()(marks[a].node, marks[b].node);
    });
    times.current().end();
}

void CReadingNavigator::notePage(wxCDataInfoListNode* node) {
    // A marker without a record, or of a hidden page, shows nothing, as the engine reads it.
    const CPageInfo* page = document->getPageManager()->getPageInfoAt(
        static_cast<const CDITPageInfoRef*>(node->GetData())->getPageInfoListNode());
    if (page != nullptr && page->pageType != CPageInfo::kHiddenPageType) {
        pages.emplace_back(static_cast<uint32_t>(wordCount), static_cast<int>(page->pageNum));
    }
}

size_t CReadingNavigator::tableBytes() const {
    return marks.capacity() * sizeof(SMark) + marksByNode.capacity() * sizeof(uint32_t) +
           pages.capacity() * sizeof(pages[0]) + times.current().tableBytes();
}

void CReadingNavigator::classifyWords(CReadingTimes& into,
                                      const std::function<bool()>& stop) const {
    // The words build gives, in the same order, without the marks.
    const auto add = [&into](const char* word, char separator) {
        into.addWord(word, separator);
        return true;
    };
    bool skipping = false;
    size_t items = 0;
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (++items % kStopSpacing == 0 && stop()) {
            return;
        }
        const bool word = navigatorWords::isShownWord(node);
        skipping = CFlashedWords::passesOver(node, skipping);
        if (!skipping && word) {
            add(wordOf(node), CReadingRules::separatorAfter(*document, node));
        } else if (!skipping && node->GetData()->getDataInfoType() != eDITWord) {
            forEachWordOf(node, add);
        }
    }
}

void CReadingNavigator::setFlashRules(CFlitWordCalcs::eLengthUnit unit,
                                      const CHyphenation* dictionary, eChunkCut cut) {
    times.ask(CTimesRetiming::SRules{times.rules().wordLength, unit, dictionary, cut});
}

uint64_t CReadingNavigator::timeLeftMs(wxCDataInfoListNode* node, int speed,
                                       unsigned int wordLength, bool fromRestart, int rampSpeed) {
    CTimesRetiming::SRules rules = times.rules();
    rules.wordLength = wordLength;
    times.ask(rules);
    if (node == nullptr || !times.known()) {
        return 0;
    }
    const size_t before = std::min(wordsBefore(node), wordCount);
    const auto wordsFrom = [this, node](const CReadingTimes::WordVisitor& visit) {
        forEachWordFrom(node, visit);
    };
    return times.current().timeLeftMs(before, wordsFrom, speed, fromRestart, rampSpeed);
}
