#include "reading/TextSearch.h"

#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataInfo.h>
#include <flitengine/outside/DataManager.h>

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>

namespace {

// The kana voicing marks, which make another word and so are not ignored as accents are.
const UChar32 kKanaVoicedMark = 0x3099;
const UChar32 kKanaSemiVoicedMark = 0x309A;

bool isIgnoredMark(UChar32 c) {
    return u_charType(c) == U_NON_SPACING_MARK && c != kKanaVoicedMark && c != kKanaSemiVoicedMark;
}

// A character of a script written without spaces between words, whose importer cuts runs of
// text into dictionary words.
bool isSpaceless(UChar32 c) {
    static const UScriptCode kScripts[] = {USCRIPT_HAN,    USCRIPT_HIRAGANA, USCRIPT_KATAKANA,
                                           USCRIPT_THAI,   USCRIPT_LAO,      USCRIPT_KHMER,
                                           USCRIPT_MYANMAR};
    // Below Thai, every script writes spaces.
    const UChar32 kFirstSpaceless = 0x0E00;
    return c >= kFirstSpaceless &&
           std::any_of(std::begin(kScripts), std::end(kScripts),
                       [c](UScriptCode script) { return uscript_hasScript(c, script); });
}

UChar32 firstCodePoint(const std::string& utf8) {
    if (utf8.empty()) {
        return 0;
    }
    UChar32 c = 0;
    int32_t at = 0;
    U8_NEXT(utf8.data(), at, static_cast<int32_t>(utf8.size()), c);
    return c;
}

UChar32 lastCodePoint(const std::string& utf8) {
    if (utf8.empty()) {
        return 0;
    }
    UChar32 c = 0;
    int32_t at = static_cast<int32_t>(utf8.size());
    U8_PREV(utf8.data(), 0, at, c);
    return c;
}

// Whether two words (or query terms) are joined without a space.
bool joinsWithoutSpace(UChar32 lastOfFirst, UChar32 firstOfSecond) {
    return isSpaceless(lastOfFirst) && isSpaceless(firstOfSecond);
}

std::string foldUtf8(const char* utf8, size_t length) {
    const bool ascii = std::all_of(utf8, utf8 + length,
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        // Most words of most books: the normal forms leave ASCII as it is.
        std::string folded(utf8, length);
        std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return folded;
    }
    UErrorCode status = U_ZERO_ERROR;
    static const icu::Normalizer2* caseless = icu::Normalizer2::getNFKCCasefoldInstance(status);
    static const icu::Normalizer2* decomposed = icu::Normalizer2::getNFDInstance(status);
    if (caseless == nullptr || decomposed == nullptr) {
        return std::string(utf8, length);
    }
    const icu::UnicodeString word =
        icu::UnicodeString::fromUTF8(icu::StringPiece(utf8, static_cast<int32_t>(length)));
    status = U_ZERO_ERROR;
    const icu::UnicodeString split =
        decomposed->normalize(caseless->normalize(word, status), status);
    if (U_FAILURE(status)) {
        return std::string(utf8, length);
    }
    icu::UnicodeString kept;
    for (int32_t at = 0; at < split.length(); at = split.moveIndex32(at, 1)) {
        const UChar32 c = split.char32At(at);
        if (!isIgnoredMark(c)) {
            kept.append(c);
        }
    }
    std::string folded;
    kept.toUTF8String(folded);
    return folded;
}

// Joins a query's terms as the document's words are joined.
std::string joinTerms(const std::string& folded) {
    std::string joined;
    size_t at = 0;
    while (at < folded.size()) {
        const size_t start = folded.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos) {
            break;
        }
        const size_t end = std::min(folded.find_first_of(" \t\r\n", start), folded.size());
        const std::string term = folded.substr(start, end - start);
        if (!joined.empty() && !joinsWithoutSpace(lastCodePoint(joined), firstCodePoint(term))) {
            joined += ' ';
        }
        joined += term;
        at = end;
    }
    return joined;
}

// A word item that reading flashes.
const char* shownWordOf(const wxCDataInfoListNode* node) {
    if (node->GetData()->getDataInfoType() != eDITWord) {
        return nullptr;
    }
    const char* word = static_cast<const CDITWord*>(node->GetData())->getWord();
    return CFlashedWords::isShown(word) ? word : nullptr;
}

// Adds a word to shown words, with a space unless both sides are written without one.
void appendShown(wxString* to, const wxString& word, bool atFront) {
    if (to->empty()) {
        *to = word;
        return;
    }
    const wxString& first = atFront ? word : *to;
    const wxString& second = atFront ? *to : word;
    const bool joined = !first.empty() && !second.empty() &&
                        joinsWithoutSpace(static_cast<UChar32>(first.Last().GetValue()),
                                          static_cast<UChar32>(second[0].GetValue()));
    *to = first + (joined ? "" : " ") + second;
}

} // namespace

CTextSearch::CTextSearch(CDataManager& searched, CReadingNavigator& positions)
    : document(searched), navigator(positions) {}

CTextSearch::~CTextSearch() {
    stopping = true;
    if (worker.joinable()) {
        worker.join();
    }
}

void CTextSearch::indexInBackground(std::function<void()> whenReady) {
    if (indexed) {
        return;
    }
    indexed = true;
    worker = std::thread([this, whenReady = std::move(whenReady)] {
        buildIndex();
        if (!stopping) {
            ready = true;
            whenReady();
        }
    });
}

void CTextSearch::ensureIndexed() {
    if (worker.joinable()) {
        worker.join();
    } else if (!indexed) {
        indexed = true;
        buildIndex();
        ready = true;
    }
}

std::string CTextSearch::fold(const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return foldUtf8(utf8.data(), utf8.length());
}

void CTextSearch::buildIndex() {
    // The words counted as the navigator counts them, by the rules of what reading flashes:
    // a word item's word, and the words an item such as a link stands for.
    size_t wordsBefore = 0;
    bool skipping = false;
    UChar32 last = 0;
    // A book repeats its words: each is folded once.
    std::unordered_map<std::string_view, std::string> foldedWords;
    // A closing document stops the worker between two blocks of items.
    const size_t kItemsBetweenChecks = 4096;
    size_t items = 0;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node; node = node->GetNext()) {
        if (++items % kItemsBetweenChecks == 0 && stopping) {
            return;
        }
        skipping = CFlashedWords::passesOver(node, skipping);
        if (skipping) {
            continue;
        }
        if (node->GetData()->getDataInfoType() != eDITWord) {
            wordsBefore += CFlashedWords::wordsOf(document, node).size();
            continue;
        }
        const char* word = shownWordOf(node);
        if (word == nullptr) {
            continue;
        }
        const std::string_view key(word);
        auto known = foldedWords.find(key);
        if (known == foldedWords.end()) {
            known = foldedWords.emplace(key, foldUtf8(key.data(), key.size())).first;
        }
        const std::string& folded = known->second;
        if (!starts.empty() && !joinsWithoutSpace(last, firstCodePoint(folded))) {
            text += ' ';
        }
        starts.push_back(static_cast<uint32_t>(text.size()));
        wordIndexes.push_back(static_cast<uint32_t>(wordsBefore++));
        text += folded;
        last = lastCodePoint(folded);
    }
    text.shrink_to_fit();
}

void CTextSearch::matchAll(const std::string& wanted) {
    if (wanted == query) {
        return;
    }
    query = wanted;
    found.clear();
    if (query.empty()) {
        return;
    }
    // Knuth, Morris and Pratt: one pass, however the query repeats itself.
    std::vector<size_t> border(query.size(), 0);
    for (size_t at = 1, length = 0; at < query.size(); ++at) {
        while (length > 0 && query[at] != query[length]) {
            length = border[length - 1];
        }
        if (query[at] == query[length]) {
            ++length;
        }
        border[at] = length;
    }
    const auto wordAt = [this](size_t offset) {
        return static_cast<uint32_t>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                     starts.begin() - 1);
    };
    for (size_t at = 0, length = 0; at < text.size(); ++at) {
        while (length > 0 && text[at] != query[length]) {
            length = border[length - 1];
        }
        if (text[at] == query[length]) {
            ++length;
        }
        if (length == query.size()) {
            found.push_back({wordAt(at + 1 - length), wordAt(at)});
            length = 0; // matches do not overlap
        }
    }
}

CTextSearch::SMatch CTextSearch::matchAt(size_t ordinal, bool wrapped) const {
    SMatch match;
    match.ordinal = ordinal;
    match.count = found.size();
    match.word = wordIndexes[found[ordinal].first];
    match.words = found[ordinal].last - found[ordinal].first + 1;
    match.node = navigator.itemOfWord(match.word);
    match.wrapped = wrapped;
    return match;
}

bool CTextSearch::find(const wxString& wanted, size_t fromWord, int direction, SMatch* match) {
    ensureIndexed();
    matchAll(joinTerms(fold(wanted)));
    if (found.empty()) {
        return false;
    }
    // The first match starting at or after fromWord.
    const size_t after =
        static_cast<size_t>(std::partition_point(found.begin(), found.end(),
                                                 [&](const SFound& each) {
                                                     return wordIndexes[each.first] < fromWord;
                                                 }) -
                            found.begin());
    if (direction > 0) {
        *match = after < found.size() ? matchAt(after, false) : matchAt(0, true);
    } else {
        *match = after > 0 ? matchAt(after - 1, false) : matchAt(found.size() - 1, true);
    }
    return true;
}

bool CTextSearch::step(const SMatch& from, int direction, SMatch* match) {
    if (found.empty() || from.count != found.size()) {
        return false;
    }
    const size_t count = found.size();
    if (direction > 0) {
        *match = matchAt((from.ordinal + 1) % count, from.ordinal + 1 == count);
    } else {
        *match = matchAt((from.ordinal + count - 1) % count, from.ordinal == 0);
    }
    return true;
}

CTextSearch::SContext CTextSearch::contextOf(const SMatch& match, size_t reach) const {
    SContext context;
    if (match.node == nullptr) {
        return context;
    }
    size_t taken = 0;
    wxCDataInfoListNode* node = match.node->GetPrevious();
    for (; node != nullptr && taken < reach; node = node->GetPrevious()) {
        if (const char* word = shownWordOf(node)) {
            appendShown(&context.before, wxString::FromUTF8(word), true);
            ++taken;
        }
    }
    taken = 0;
    for (node = match.node; node != nullptr && taken < match.words + reach;
         node = node->GetNext()) {
        if (const char* word = shownWordOf(node)) {
            appendShown(taken < match.words ? &context.match : &context.after,
                        wxString::FromUTF8(word), false);
            ++taken;
        }
    }
    return context;
}
