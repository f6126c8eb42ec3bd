#include "view/Fixation.h"

#include <flitengine/outside/Utf8.h>

#include <string>
#include <utility>
#include <vector>

// The eye recognises a word fastest when it lands a little left of the word's middle, about a
// third of the way in: most of the letters that tell words apart are near their start, and the
// letters right of the landing place are seen more sharply than those left of it. A short word
// is seen whole from its second letter, so the point moves left the shorter the word is. In
// steps of four letters, which keeps the point still for words of similar length:
//   1 letter        -> the 1st
//   2 to 5 letters  -> the 2nd
//   6 to 9 letters  -> the 3rd
//   10 to 13        -> the 4th
//   14 and longer   -> the 5th (further in, a long word is read in two fixations anyway)

namespace {

struct SLengthStep {
    std::size_t upToLetters;
    std::size_t letter;
};
const SLengthStep kLengthSteps[] = {{1, 0}, {5, 1}, {9, 2}, {13, 3}};
const std::size_t kLongWordLetter = 4;

} // namespace

std::size_t CFixation::letterOf(std::size_t letters) {
    for (const SLengthStep& step : kLengthSteps) {
        if (letters <= step.upToLetters) {
            return step.letter;
        }
    }
    return kLongWordLetter;
}

CFixation::SParts CFixation::split(const wxString& chunk) {
    // The chunk's characters, as byte ranges of its UTF-8 form.
    const std::string bytes = chunk.utf8_string();
    std::vector<std::pair<std::size_t, std::size_t>> clusters;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = CUtf8::clusterBytes(bytes.data() + at, bytes.size() - at);
        clusters.emplace_back(at, size);
        at += size;
    }
    // Punctuation and symbols of any script stand around a word rather than in it.
    const auto standsAround = [&bytes](const std::pair<std::size_t, std::size_t>& cluster) {
        return CUtf8::isPunctuationOrSymbol(bytes.data() + cluster.first, cluster.second);
    };
    std::size_t first = 0;
    std::size_t end = clusters.size();
    while (first < end && standsAround(clusters[first])) {
        ++first;
    }
    while (end > first && standsAround(clusters[end - 1])) {
        --end;
    }
    if (first == end) {
        first = 0;
        end = clusters.size();
    }
    SParts parts;
    if (clusters.empty()) {
        return parts;
    }
    // A phrase is placed as one word: its letters are counted, not the spaces between its
    // words, and the letter chosen is one of them.
    const auto isSpace = [&bytes](const std::pair<std::size_t, std::size_t>& cluster) {
        return bytes[cluster.first] == ' ';
    };
    std::size_t letters = 0;
    for (std::size_t at = first; at < end; ++at) {
        letters += isSpace(clusters[at]) ? 0 : 1;
    }
    std::size_t letter = first + letterOf(end - first);
    if (letters > 0 && letters < end - first) {
        letter = first;
        for (std::size_t passed = letterOf(letters); isSpace(clusters[letter]) || passed > 0;
             ++letter) {
            passed -= isSpace(clusters[letter]) ? 0 : 1;
        }
    }
    const auto text = [&bytes](std::size_t from, std::size_t to) {
        return wxString::FromUTF8(bytes.data() + from, to - from);
    };
    const std::size_t letterStart = clusters[letter].first;
    const std::size_t letterEnd = letterStart + clusters[letter].second;
    parts.before = text(0, letterStart);
    parts.letter = text(letterStart, letterEnd);
    parts.after = text(letterEnd, bytes.size());
    return parts;
}
