#ifndef FLIT_APP_TEXTSEARCH_H
#define FLIT_APP_TEXTSEARCH_H

#include <wx/string.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class CDataManager;
class CReadingNavigator;
class wxCDataInfoListNode;

// Finds text in the open document's words, ignoring case and accents in any script.
//
// Words and queries are folded alike: compatibility forms and case folded together (NFKC with
// case folding, which also drops soft hyphens and joiners), then decomposed, then stripped of
// their nonspacing marks, so that "Cafe" finds "Café", "ΣΟΦΙΑ" "σοφία", Hebrew without points
// the pointed word. Only the kana voicing marks stay: か and が are different words.
//
// The document's folded words are joined into one text, with a space between two words except
// where both sides are of a script written without spaces (Chinese, Japanese, Thai...), whose
// importer cuts a run into dictionary words: there a query typed without spaces runs across
// them. Spaces in a query match the spaces between consecutive words.
//
// The folded text is built once, in one pass over the document: at the first search, or ahead
// of it on a worker (indexInBackground), so that a long book's first search does not hold the
// window; a new query finds all its matches in one pass over that text; moving between matches
// then costs a binary search. Words that reading passes over (an attachment not asked for) are not
// searched. Positions are the navigator's word indexes.
class CTextSearch {
public:
    struct SMatch {
        size_t ordinal = 0;                  // among the matches, from 0
        size_t count = 0;                    // matches in the document
        size_t word = 0;                     // the word the match starts in
        size_t words = 0;                    // the words it covers
        wxCDataInfoListNode* node = nullptr; // the item of that word
        bool wrapped = false; // the search went round the end of the document (or its start)
    };
    // A match's words and some either side, to show it where it stands.
    struct SContext {
        wxString before;
        wxString match;
        wxString after;
    };

    CTextSearch(CDataManager& document, CReadingNavigator& navigator);
    // Stops and joins a worker still building the text.
    ~CTextSearch();
    CTextSearch(const CTextSearch&) = delete;
    CTextSearch& operator=(const CTextSearch&) = delete;

    // Builds the folded text on a worker thread, then calls whenReady on it. The document must
    // stay open until the search is destroyed. Does nothing once the text is built or begun.
    void indexInBackground(std::function<void()> whenReady);
    // Whether a search can run now without building the text first.
    bool isReady() const { return ready; }

    // The first match of query at or after the word fromWord (direction > 0), or the last one
    // before it (direction < 0), going round the document's end once. False when query (folded)
    // is empty or has no match.
    bool find(const wxString& query, size_t fromWord, int direction, SMatch* match);
    // The match after (direction > 0) or before the one given, round the ends.
    bool step(const SMatch& from, int direction, SMatch* match);
    // Up to reach words either side of the match.
    SContext contextOf(const SMatch& match, size_t reach) const;

    // A text as searches compare it: folded, in UTF-8. Needs no document.
    static std::string fold(const wxString& text);

private:
    struct SFound {
        uint32_t first; // the indexed words the match starts and ends in
        uint32_t last;
    };
    // Builds the folded text, unless stopping is set first (then the text is left partial).
    void buildIndex();
    // The text built, on the worker or here, before anything reads it.
    void ensureIndexed();
    // Finds every match of query, unless it is the one already found.
    void matchAll(const std::string& query);
    SMatch matchAt(size_t ordinal, bool wrapped) const;

    CDataManager& document;
    CReadingNavigator& navigator;
    bool indexed = false;
    std::atomic<bool> ready{false};
    std::atomic<bool> stopping{false};
    std::thread worker;
    // The folded words joined; where each word starts in it, and the navigator's index of it.
    std::string text;
    std::vector<uint32_t> starts;
    std::vector<uint32_t> wordIndexes;
    // The folded query last searched for, and its matches in the order of the text.
    std::string query;
    std::vector<SFound> found;
};

#endif
