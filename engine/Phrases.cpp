#include <flitengine/engine/Phrases.h>

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataInfo.h>
#include <flitengine/outside/Utf8.h>
#include <flitengine/timing/SentenceEnd.h>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <climits>
#include <cstring>

namespace {

// A dash of any script (hyphen-minus, en and em dashes, the two-em dash...).
bool isDash(UChar32 c) {
    return c == '-' || (c > 0x7F && u_charType(c) == U_DASH_PUNCTUATION);
}

// The code points of a valid UTF-8 word, one after another.
class CCodePoints {
public:
    explicit CCodePoints(const char* text)
        : word(text), size(static_cast<int32_t>(std::strlen(text))) {}
    bool next(UChar32* c) {
        if (at >= size) {
            return false;
        }
        U8_NEXT(word, at, size, *c);
        return true;
    }

private:
    const char* word;
    int32_t size;
    int32_t at = 0;
};

std::size_t charactersOf(const char* word) {
    return CUtf8::countClusters(word, std::strlen(word));
}

} // namespace

unsigned int CPhrases::characterLimit(unsigned int chosen, unsigned int displayLength) {
    if (chosen != 0) {
        return chosen;
    }
    return CReadingRules::limits(displayLength) ? displayLength : kDefaultCharacters;
}

bool CPhrases::endsPhrase(const char* word) {
    CCodePoints points(word);
    UChar32 c = 0;
    UChar32 last = 0;
    bool first = true;
    while (points.next(&c)) {
        // A mark anywhere earns the word a pause, so a phrase never runs on through it. A
        // hyphen joins the parts of a word; at either end, or any other dash, parts a clause.
        if (CSentenceEnd::markKindOf(static_cast<char32_t>(c)) != CSentenceEnd::eNoMark ||
            (isDash(c) && (c != '-' || first || last == '-'))) {
            return true;
        }
        if (!CSentenceEnd::isClosing(static_cast<char32_t>(c))) {
            last = c;
        }
        first = false;
    }
    return last == '-' || CSentenceEnd::endsSentence(word);
}

bool CPhrases::opensWithDash(const char* word) {
    CCodePoints points(word);
    UChar32 c = 0;
    return points.next(&c) && isDash(c);
}

std::vector<wxCDataInfoListNode*> CPhrases::phraseAt(wxCDataInfoListNode* first,
                                                     const SPhraseLimits& limits) {
    std::vector<wxCDataInfoListNode*> words;
    if (first == nullptr || first->GetData()->getDataInfoType() != eDITWord) {
        return words;
    }
    CDITWord* item = static_cast<CDITWord*>(first->GetData());
    if (!CFlashedWords::isShown(item->getWord())) {
        return words;
    }
    words.push_back(first);
    const unsigned int limit = characterLimit(limits.characters, limits.displayLength);
    // A word too long for a phrase, or shown in chunks, flashes alone.
    const auto alone = [&limits, limit](const char* word, std::size_t characters) {
        return characters > limit ||
               CReadingRules::shapeOf(word, std::strlen(word), limits.displayLength,
                                      limits.hyphenation)
                       .chunks > 1;
    };
    std::size_t length = charactersOf(item->getWord());
    if (alone(item->getWord(), length)) {
        return words;
    }
    for (wxCDataInfoListNode* node = first;
         words.size() < limits.words && !endsPhrase(item->getWord());) {
        // Only spaces may stand between the words of a phrase.
        node = node->GetNext();
        if (node == nullptr || node->GetData()->getDataInfoType() != eDITSpace) {
            break;
        }
        while (node != nullptr && node->GetData()->getDataInfoType() == eDITSpace) {
            node = node->GetNext();
        }
        if (node == nullptr || node->GetData()->getDataInfoType() != eDITWord) {
            break;
        }
        CDITWord* next = static_cast<CDITWord*>(node->GetData());
        const char* text = next->getWord();
        if (!CFlashedWords::isShown(text) || opensWithDash(text) ||
            !(next->getStyleInfo() == item->getStyleInfo()) ||
            next->getFontColourTagInfoListNode() != item->getFontColourTagInfoListNode() ||
            next->getBackgroundLinkInfoNode() != item->getBackgroundLinkInfoNode()) {
            break;
        }
        const std::size_t characters = charactersOf(text);
        if (alone(text, characters) || length + 1 + characters > limit) {
            break;
        }
        words.push_back(node);
        length += 1 + characters;
        item = next;
    }
    return words;
}

SWordTiming CPhrases::extended(const SWordTiming& phrase, const SWordTiming& next) {
    const long long shown = static_cast<long long>(phrase.displayMs) + phrase.delayMs +
                            static_cast<long long>(next.displayMs);
    return {static_cast<int>(shown < INT_MAX ? shown : INT_MAX), next.delayMs};
}
