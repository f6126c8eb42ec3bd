#include "engine/ReadingCut.h"

#include <flitengine/engine/Hyphenation.h>
#include <flitengine/outside/Utf8.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <tuple>

namespace readingCut {

namespace {

const char kHyphen = '-';

// Longer words are cut evenly (evenPartsOf): planning the cut takes memory for each character.
constexpr std::size_t kLongestPlanned = 4096;

// The marks after which an ordinary word is cut: hyphens, dashes and slashes. A non-breaking
// hyphen (U+2011) asks not to be cut at.
bool isWordMark(UChar32 c) {
    switch (c) {
    case '-':
    case '/':
    case '\\':
    case 0x2010: // hyphen
    case 0x2012: // figure dash
    case 0x2013: // en dash
    case 0x2014: // em dash
    case 0x2015: // horizontal bar
        return true;
    default:
        return false;
    }
}

// The separators inside the names of an address or a file name (a domain's dots, a file's
// extension): it is cut after them only where the separators between names do not serve.
bool isMinorAddressMark(UChar32 c) {
    switch (c) {
    case '.':
    case '-':
    case '_':
    case '=':
    case '+':
    case '~':
    case '%':
    case ',':
    case ';':
    case '!':
    case '$':
    case '*':
    case '|':
    case '"':
    case '\'':
    case '(':
    case ')':
    case '[':
    case ']':
    case '{':
    case '}':
    case '<':
    case '>':
        return true;
    default:
        return false;
    }
}

// The separators after which an address or a file name is cut: those between its names
// (slashes, the at sign, the marks of a query) and those inside them.
bool isAddressMark(UChar32 c) {
    switch (c) {
    case '@':
    case ':':
    case '?':
    case '&':
    case '#':
        return true;
    default:
        return isWordMark(c) || isMinorAddressMark(c);
    }
}

bool isAsciiAlnum(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Quotes, brackets and sentence marks around a word are not part of an address.
bool isWrapping(char c) {
    return std::string("\"'([{<>}]).,;:!?").find(c) != std::string::npos;
}

enum eCutKind { eNoCut, eMarkCut, eMinorMarkCut, eSyllableCut, eAnyCut };

// What the cuts up to a position cost, compared in this order; sums add up part by part.
struct SCost {
    long anyCuts = 0;
    long parts = 0;
    long minorCuts = 0;
    long syllableCuts = 0;
    long squares = 0;

    bool operator<(const SCost& other) const {
        return std::tie(anyCuts, parts, minorCuts, syllableCuts, squares) <
               std::tie(other.anyCuts, other.parts, other.minorCuts, other.syllableCuts,
                        other.squares);
    }
};

} // namespace

bool isAddress(const std::string& word) {
    std::size_t first = 0;
    std::size_t end = word.size();
    while (first < end && isWrapping(word[first]) && word[first] != '.') {
        ++first;
    }
    while (end > first && isWrapping(word[end - 1])) {
        --end;
    }
    const std::string core = word.substr(first, end - first);
    std::string lower = core;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("://") != std::string::npos || lower.compare(0, 4, "www.") == 0 ||
        core.find('\\') != std::string::npos) {
        return true;
    }
    // An at sign before a letter or a digit (a mail address, a name in a template), and the
    // marks of code (a variable, a block, an assignment).
    const std::size_t at = core.find('@');
    if ((at != std::string::npos && at + 1 < core.size() && isAsciiAlnum(core[at + 1])) ||
        core.find_first_of("${}=") != std::string::npos) {
        return true;
    }
    if (core.compare(0, 1, "/") == 0 || core.compare(0, 2, "~/") == 0 ||
        core.compare(0, 2, "./") == 0 || core.compare(0, 3, "../") == 0) {
        return true;
    }
    // A dot or an underscore between letters or digits: a domain, a file name, a name in code.
    for (std::size_t i = 1; i + 1 < core.size(); ++i) {
        if ((core[i] == '.' || core[i] == '_') && isAsciiAlnum(core[i - 1]) &&
            isAsciiAlnum(core[i + 1])) {
            return true;
        }
    }
    return false;
}

namespace {

// A word of many characters (a line of code, a text without spaces) is cut into parts of
// near-equal length without looking for marks or syllables, in time and memory that grow with
// its bytes alone.
std::vector<std::string> evenPartsOf(const std::string& word, std::size_t count,
                                     std::size_t length) {
    const bool hyphen = !isAddress(word);
    const std::size_t widest = length - (hyphen ? 1 : 0);
    const std::size_t parts = (count + widest - 1) / widest;
    std::vector<std::string> cut;
    const char* rest = word.data();
    std::size_t restBytes = word.size();
    for (std::size_t part = 0; part < parts; ++part) {
        const std::size_t characters = count / parts + (part < count % parts ? 1 : 0);
        const std::size_t bytes = CUtf8::clusterPrefixBytes(rest, restBytes, characters);
        cut.emplace_back(rest, bytes);
        if (hyphen && part + 1 < parts) {
            cut.back() += kHyphen;
        }
        rest += bytes;
        restBytes -= bytes;
    }
    return cut;
}

} // namespace

std::vector<std::string> partsOf(const std::string& word, unsigned int displayLength,
                                 const CHyphenation* hyphenation) {
    const std::size_t total = CUtf8::countClusters(word.data(), word.size());
    if (total <= displayLength) {
        return {word};
    }
    if (total > kLongestPlanned) {
        return evenPartsOf(word, total, displayLength);
    }
    // Where each character (grapheme cluster) begins, and the code point it begins with.
    std::vector<std::size_t> starts;
    std::vector<UChar32> leads;
    for (std::size_t at = 0; at < word.size();) {
        starts.push_back(at);
        int32_t next = static_cast<int32_t>(at);
        UChar32 c = 0;
        U8_NEXT(word.data(), next, static_cast<int32_t>(word.size()), c);
        leads.push_back(c);
        const std::size_t bytes = CUtf8::clusterBytes(word.data() + at, word.size() - at);
        at += bytes > 0 ? bytes : word.size() - at;
    }
    starts.push_back(word.size());
    const std::size_t count = leads.size();
    const std::size_t length = displayLength;
    if (count <= length) {
        return {word};
    }

    const bool address = isAddress(word);
    const auto isMark = [address](UChar32 c) { return address ? isAddressMark(c) : isWordMark(c); };
    // How a part may end before each character: after a run of marks; at a syllable break
    // (never inside an address); anywhere else but just before a mark. A hyphen is added to a
    // part of a plain word that ends neither at a mark cut nor in a mark (inside a run of them).
    std::vector<eCutKind> cuts(count + 1, eNoCut);
    std::vector<bool> hyphenated(count + 1, false);
    for (std::size_t p = 1; p < count; ++p) {
        const bool afterMark = isMark(leads[p - 1]);
        if (afterMark && !isMark(leads[p])) {
            const bool minor = address && isMinorAddressMark(leads[p - 1]);
            cuts[p] = minor ? eMinorMarkCut : eMarkCut;
        } else if (afterMark || !isMark(leads[p])) {
            cuts[p] = eAnyCut;
            hyphenated[p] = !address && !afterMark;
        }
    }
    if (hyphenation != nullptr && !address) {
        const std::vector<std::size_t> breaks = hyphenation->breaksOf(word);
        for (std::size_t p = 1, b = 0; p < count && b < breaks.size(); ++p) {
            while (b < breaks.size() && breaks[b] < starts[p]) {
                ++b;
            }
            if (b < breaks.size() && breaks[b] == starts[p] && hyphenated[p]) {
                cuts[p] = eSyllableCut;
            }
        }
    }

    // best[p]: the cheapest way to cut the first p characters into parts; from[p] where its
    // last part begins.
    const std::size_t none = std::numeric_limits<std::size_t>::max();
    std::vector<SCost> best(count + 1);
    std::vector<std::size_t> from(count + 1, none);
    from[0] = 0;
    for (std::size_t end = kMinPart; end <= count; ++end) {
        const eCutKind cut = end == count ? eMarkCut : cuts[end];
        if (cut == eNoCut) {
            continue;
        }
        const std::size_t hyphen = end < count && hyphenated[end] ? 1 : 0;
        if (length < kMinPart + hyphen) {
            continue;
        }
        const std::size_t longest = length - hyphen;
        for (std::size_t start = end > longest ? end - longest : 0; start + kMinPart <= end;
             ++start) {
            if (from[start] == none) {
                continue;
            }
            const long width = static_cast<long>(end - start + hyphen);
            SCost cost = best[start];
            cost.anyCuts += cut == eAnyCut ? 1 : 0;
            cost.parts += 1;
            cost.minorCuts += cut == eMinorMarkCut ? 1 : 0;
            cost.syllableCuts += cut == eSyllableCut ? 1 : 0;
            cost.squares += width * width;
            if (from[end] == none || cost < best[end]) {
                best[end] = cost;
                from[end] = start;
            }
        }
    }
    if (from[count] == none) {
        return {};
    }
    std::vector<std::string> parts;
    for (std::size_t end = count; end > 0; end = from[end]) {
        const std::size_t start = from[end];
        parts.push_back(word.substr(starts[start], starts[end] - starts[start]));
        if (end < count && hyphenated[end]) {
            parts.back() += kHyphen;
        }
    }
    std::reverse(parts.begin(), parts.end());
    return parts;
}

} // namespace readingCut
