#ifndef FLIT_ENGINE_FLASHEDWORDS_H
#define FLIT_ENGINE_FLASHEDWORDS_H

#include <flitengine/FlitExport.h>
#include <flitengine/outside/DataInfo.h>

#include <cstddef>
#include <string>
#include <vector>

class CDataManager;
class CHyphenation;

// One word that reading flashes, in UTF-8, with the separator character passed with it
// (COvriChars::kSpaceChar, kNewlineChar or kNullByte), which its inter-word delay depends on.
struct SFlashedWord {
    std::string text;
    char separator;

    bool operator==(const SFlashedWord& other) const {
        return text == other.text && separator == other.separator;
    }
};

// How a word longer than the word display length is cut into chunks.
enum eChunkCut {
    // The engine's own cut: displayLength - 1 characters and a hyphen (at the last syllable
    // that fits when a dictionary is given).
    eCutAtLength = 0,
    // A cut for reading: at the word's own hyphens, dashes and slashes, then at syllables, then
    // into near-equal parts, no part shorter than three characters; addresses and file names at
    // their own separators only, never with a hyphen added.
    eCutForReading = 1,
};

// What reading flashes: the words each item of a document stands for, what reading takes after
// an item, and the hyphenated chunks a word is shown in. The presentation thread flashes by
// these rules, and whatever shows or counts reading without the thread (flit-timing, the
// reader's word counts) follows them, so that both always agree; CReadingRules times them.
//
// A word is counted once however many chunks it is shown in.
class FLIT_EXPORT CFlashedWords {
public:
    // The word that stands for a hyperlink or a mail link.
    static const char* const kLinkWord;

    // A hyperlink or a mail link: kLinkWord, with no separator.
    static SFlashedWord linkWord();
    // An email item: "Email", "Item", "#" and the item's number, counted from 1.
    static std::vector<SFlashedWord> emailItemWords(unsigned int value);
    // An attachment announcement: "Press 'A' to read attachment", three times, a line each.
    static std::vector<SFlashedWord> attachmentAnnouncementWords();

    // Whether a word item's text is flashed at all: the engine shows nothing for an empty word,
    // nor for bytes that are not UTF-8 (it takes the word as a wide string, which they leave
    // empty).
    static bool isShown(const char* word);

    // The words that reading the item at node flashes, in order: a word item's own text (none
    // when it is empty or not valid UTF-8), and the words above for links and email items; none
    // for every other item.
    static std::vector<SFlashedWord> wordsOf(const CDataManager& document,
                                             const wxCDataInfoListNode* node);

    // The node that reading takes after the item at node: the next one, except that an
    // attachment skip jumps to the next email item (null when there is none).
    static wxCDataInfoListNode* nextReadNode(wxCDataInfoListNode* node);
    // The same rule item by item, for a walk that must see every node: whether reading passes
    // over the item at node unread (an attachment skip, and what follows it up to the next
    // email item), given whether it passed over the item before.
    static bool passesOver(const wxCDataInfoListNode* node, bool passingOver);

    // The chunks a word is shown in at a word display length, as CReadingRules::shapeOf counts
    // them (SWordShape says how).
    static std::vector<std::string> chunksOf(const std::string& word, unsigned int displayLength);
    // The same, cut at syllables when a dictionary is given (null: the cut above): each chunk
    // but the last ends at the last break of the dictionary (or a hyphen of the word) that
    // leaves it at most displayLength - 1 characters, followed by a hyphen unless it ends in
    // one, and at displayLength - 1 characters when no break fits.
    static std::vector<std::string> chunksOf(const std::string& word, unsigned int displayLength,
                                             const CHyphenation* hyphenation);
    // The chunks of the given cut: eCutAtLength as above; eCutForReading with the dictionary's
    // syllables when there is one, and as above where the word cannot be cut for reading (a
    // display length below four, or too few characters for two parts of three).
    static std::vector<std::string> chunksOf(const std::string& word, unsigned int displayLength,
                                             const CHyphenation* hyphenation, eChunkCut cut);

    // The part of a word that its display time and delay are computed from, the same for each
    // of its chunks (CReadingRules::timedBytes).
    static std::string timedPart(const std::string& word, unsigned int displayLength);
};

#endif
