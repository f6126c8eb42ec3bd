#ifndef FLIT_IMPORT_MARKUPREADER_H
#define FLIT_IMPORT_MARKUPREADER_H

#include <flitengine/outside/DataManager.h>

#include <wx/string.h>

#include <cstddef>
#include <map>
#include <string>

// Applies the directives of a marked-up text, one at a time, to the document being built: it
// appends the items they stand for, records the links, tags and pages those items refer to, and
// keeps the pen that later words are written with (style, font colour and own background). The
// importer walks the text and hands over each directive and the bytes of each word.
//
// A word ends at white space and at a directive that appends an item; a directive that only
// changes the pen (a style switched on or off, the end of a background) stands inside the word.
// Such a word is bold or highlighted when any of its characters is, and carries the colour and
// background in force at its first character.
//
// Used by the marked-up text importer (CTextImporter) only; not part of the library's interface.
class CMarkupReader {
public:
    // FILE arguments are read relative to baseDir (the current folder when it is empty).
    CMarkupReader(CDataManager* document, const wxString& baseDir);
    CMarkupReader(const CMarkupReader&) = delete;
    CMarkupReader& operator=(const CMarkupReader&) = delete;

    // Adds bytes to the word being written, which begins when the last one ended.
    void appendToWord(const char* bytes, std::size_t size);
    // Appends the word being written, if any.
    void endWord();

    // Applies the directive text[open..close], text[open] being its "{" and text[close] its
    // "}". The directive holds no brace and no line break in between. Returns false, with the
    // error set, for a directive that is unknown or whose arguments are missing or wrong.
    bool applyDirective(const char* text, std::size_t open, std::size_t close);

    // The byte offset in the text that the last error is about, and what is wrong.
    std::size_t getErrorOffset() const { return errorOffset; }
    const wxString& getErrorMessage() const { return errorMessage; }

private:
    static const std::size_t kMaxArguments = 4;

    struct SArgument {
        const char* data;
        std::size_t size;
        std::size_t offset; // in the whole text
    };

    // One directive split at blanks: its name and the arguments after it. Arguments past
    // kMaxArguments are counted but not kept; no directive takes that many.
    struct SDirective {
        const char* text; // the whole text
        std::size_t open;
        std::size_t close;
        SArgument name;
        SArgument arguments[kMaxArguments];
        std::size_t count;
        std::size_t end; // just past the last word
    };

    typedef bool (CMarkupReader::*DirectiveHandler)(const SDirective&);
    struct SDirectiveEntry {
        const char* name;
        DirectiveHandler handler;
    };
    static const SDirectiveEntry kDirectives[];

    bool readRest(const SDirective& d);
    bool readSustain(const SDirective& d);
    bool readColour(const SDirective& d);
    bool readBold(const SDirective& d);
    bool readBoldEnd(const SDirective& d);
    bool readHighlight(const SDirective& d);
    bool readHighlightEnd(const SDirective& d);
    bool readPage(const SDirective& d);
    bool readBackground(const SDirective& d);
    bool readLGraphic(const SDirective& d);
    bool readBGraphic(const SDirective& d);
    bool readSound(const SDirective& d);
    bool readVideo(const SDirective& d);
    bool readSpeed(const SDirective& d);
    bool readAssessment(const SDirective& d);
    bool readWebLink(const SDirective& d);
    bool readMailto(const SDirective& d);
    bool readNote(const SDirective& d);
    bool readDogear(const SDirective& d);
    bool readReview(const SDirective& d);
    bool readEmail(const SDirective& d);
    bool readAttachment(const SDirective& d);
    bool readView(const SDirective& d);
    bool readCommand(const SDirective& d);

    // Shared by the directive readers; each returns false with the error set.
    bool fail(std::size_t offset, const wxString& message);
    bool takesAtMost(const SDirective& d, std::size_t count);
    // A number from 0 to maximum.
    bool needNumber(const SDirective& d, std::size_t index, const char* what, unsigned int maximum,
                    unsigned int* value);
    bool readValueRef(const SDirective& d, eDataInfoType type, const char* what,
                      unsigned int maximum);
    bool switchStyle(const SDirective& d, eStyleInfoType styleBit, bool on);
    // A file link: FILE, then an optional hold in seconds (or "pause" when pauseAllowed) when
    // holdAllowed. Appends the link's reference item; *link (when not null) gets its node.
    bool readFileLink(const SDirective& d, eLinkInfoType type, bool holdAllowed, bool pauseAllowed,
                      wxCLinkInfoListNode** link);
    // A link whose data is its argument text.
    bool readTextLink(const SDirective& d, eLinkInfoType type, const char* what);
    // Stores the bytes of the file that the argument names under that name, once per name.
    bool loadFile(const SArgument& file, wxString* name);
    // The directive in quotes for a message, cut short when it is long.
    wxString quotedDirective(const SDirective& d) const;
    // The document, to append an item to: the word being written ends first.
    CDataManager* items();

    CDataManager* document;
    wxString baseDir;

    CStyleInfo style;
    wxCTagInfoListNode* colourTag;
    wxCLinkInfoListNode* background;
    // One tag per colour and flag, shared by every directive that names it.
    std::map<unsigned long, wxCTagInfoListNode*> tagsByColour;

    // The word being written and its pen.
    std::string pendingWord;
    CStyleInfo wordStyle;
    wxCLinkInfoListNode* wordBackground;
    wxCTagInfoListNode* wordColourTag;

    std::size_t errorOffset;
    wxString errorMessage;
};

#endif
