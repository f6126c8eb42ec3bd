#ifndef FLIT_IMPORT_WORDWRITER_H
#define FLIT_IMPORT_WORDWRITER_H

#include <flitengine/outside/DataManager.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The one way the importers of text (plain text, HTML, Markdown, EPUB, PDF) append words and
// the spaces and newlines between them, so that every format flashes the same words:
//
// - A word in a script written without spaces (Chinese, Japanese, Thai, Lao, Khmer, Burmese)
//   is cut into the words of a dictionary (ICU's word break iterator), with a space item
//   between them. A Japanese particle or ending of one or two hiragana, a Chinese particle
//   (的 了 着 过 吗 呢 吧 啊) and a counter after a number stay with the word before, so long
//   as it holds at most kMaxJoinedCharacters characters.
// - A word made only of punctuation never stands alone: closing and pausing marks and dashes
//   (. , ; : ! ? … » ” ) ] 。 、 — and the like) join the word before, opening marks
//   (« “ ( [ ¿ ¡ 「) the word after, with no space between, and take its style. A mark with no
//   word on its side in the same paragraph joins the word on the other side; a paragraph of
//   marks alone keeps them as they are. A straight quote alone opens and closes by turns.
//
// A word is held back until the next word, newline or flush shows that no mark will join it;
// the importer flushes before appending any other kind of item and at the end.
class CWordWriter {
public:
    // The longest word, in characters, that joining the pieces of unspaced text makes: inside
    // the reader's default display length of 12 with room for a mark or two.
    static const std::size_t kMaxJoinedCharacters = 8;

    // anchors, when given, receives the item index of the word each anchor's token ended in.
    explicit CWordWriter(CDataManager* document,
                         std::map<std::string, std::size_t>* anchors = nullptr);
    ~CWordWriter();
    CWordWriter(const CWordWriter&) = delete;
    CWordWriter& operator=(const CWordWriter&) = delete;

    // A word: size bytes of valid UTF-8 without white space. The anchors given (emptied) name
    // the word's first piece.
    void appendWord(const char* text, std::size_t size, const CStyleInfo& style = CStyleInfo(),
                    std::vector<std::string>* anchorNames = nullptr);
    void appendSpace();
    void appendNewline();
    // Appends the word held back, and the space after it.
    void flush();
    // Appends the word held back, then a note reference item for each number (emptied).
    void appendNoteReferences(std::vector<unsigned int>* numbers);

    // Whether a line break, with any blanks around it, between the text that ends at before
    // and the text that starts at after joins them with no space: between two characters of
    // Chinese or Japanese, whose lines are wrapped anywhere.
    static bool joinsAcrossLineBreak(const char* before, std::size_t beforeSize, const char* after,
                                     std::size_t afterSize);

private:
    enum eMark { eNotMark, eOpeningMark, eClosingMark, eStraightQuote };
    struct SToken {
        std::string text;
        CStyleInfo style;
        eMark mark = eNotMark;
        std::vector<std::string> anchors;
    };
    class CSegmenter;

    void segment(const char* text, std::size_t size, const CStyleInfo& style,
                 std::vector<std::string>* anchorNames);
    void addToken(const char* text, std::size_t size, const CStyleInfo& style,
                  std::vector<std::string>* anchorNames);
    void settle();
    void write(SToken* token);
    static eMark markOf(const char* text, std::size_t size);
    static void join(SToken* to, SToken* from);

    CDataManager* document;
    std::map<std::string, std::size_t>* anchors;
    std::unique_ptr<CSegmenter> segmenter;

    // The word held back, and the marks that came after it in its paragraph (or, without a
    // word, since the paragraph began).
    bool holding = false;
    SToken held;
    std::vector<SToken> marks;
    // Whether a space came between the word held and what came after it, and after the last
    // token held.
    bool spaceAfterWord = false;
    bool spaceAfterLast = false;
    // Whether a straight quote standing alone opened a quotation in this paragraph.
    bool quoteOpen = false;
};

#endif
