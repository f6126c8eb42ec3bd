#ifndef FLIT_ENGINE_READINGCUT_H
#define FLIT_ENGINE_READINGCUT_H

#include <cstddef>
#include <string>
#include <vector>

class CHyphenation;

// The cut of long words made for reading (CFlashedWords::eCutForReading): a word is cut where
// its own hyphens, dashes and slashes are (each part keeping its mark, no hyphen added after
// one), else at the syllables of the dictionary, else into parts of near-equal length with a
// hyphen added, so that no part holds fewer than kMinPart characters. Web and mail addresses and
// file names are cut at their own separators only (/ . @ - _ : and the like), never with a
// hyphen added; a stretch of one longer than the display length is cut into near-equal parts,
// still without a hyphen.
//
// Of all the cuts that keep every part within the display length (an added hyphen included)
// and at least kMinPart characters long, the one taken has the fewest cuts at no mark or
// syllable, then the fewest parts, then the fewest cuts inside an address's names (after a dot
// of a domain rather than a slash), then the fewest syllable cuts, then the most even lengths.
namespace readingCut {

constexpr std::size_t kMinPart = 3;

// Whether word reads as a web or mail address or a file name, leading and trailing quotes,
// brackets and sentence marks aside.
bool isAddress(const std::string& word);

// The parts of a word longer than displayLength characters (grapheme clusters), cut as above;
// empty when no such cut exists (a display length below four, or a word too short to give
// two parts of kMinPart), for the caller to cut at the length.
std::vector<std::string> partsOf(const std::string& word, unsigned int displayLength,
                                 const CHyphenation* hyphenation);

} // namespace readingCut

#endif
