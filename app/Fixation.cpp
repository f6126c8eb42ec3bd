#include "Fixation.h"

#include "outside/Utf8.h"

#include <string>
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

// Punctuation and symbols that stand around a word rather than in it: ASCII's, Latin-1's
// (inverted marks, guillemets), the general punctuation block (dashes, curly quotes, the
// ellipsis), and the ideographic and full-width punctuation of CJK text.
bool isPunctuation(wchar_t c) {
    if (c < 0x80) {
        return !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
    }
    return (c >= 0xA1 && c <= 0xBF && c != 0xAA && c != 0xB5 && c != 0xBA) ||
           (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
           (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
}

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
    const std::string bytes = chunk.utf8_string();
    std::vector<wxString> clusters;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = CUtf8::clusterBytes(bytes.data() + at, bytes.size() - at);
        clusters.push_back(wxString::FromUTF8(bytes.data() + at, size));
        at += size;
    }
    std::size_t first = 0;
    std::size_t end = clusters.size();
    while (first < end && isPunctuation(clusters[first][0])) {
        ++first;
    }
    while (end > first && isPunctuation(clusters[end - 1][0])) {
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
    const std::size_t letter = first + letterOf(end - first);
    for (std::size_t i = 0; i < clusters.size(); ++i) {
        (i < letter ? parts.before : i == letter ? parts.letter : parts.after) += clusters[i];
    }
    return parts;
}
