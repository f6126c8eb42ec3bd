#ifndef FLIT_IMPORT_HTMLIMPORTER_H
#define FLIT_IMPORT_HTMLIMPORTER_H

#include "import/FormatEntry.h"
#include <flitengine/import/FormatImporter.h>

#include <wx/string.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>

// Appends the readable text of HTML and XHTML documents to a document being built, mapping
// their structure to items: block ends and line breaks give newline items, headings and
// emphasis give bold words, marks give highlighted ones. EPUB chapters and Markdown (rendered to
// HTML) go through it too, so every format maps structure the same way.
class CHtmlTextBuilder {
public:
    explicit CHtmlTextBuilder(CDataManager* document);
    CHtmlTextBuilder(const CHtmlTextBuilder&) = delete;
    CHtmlTextBuilder& operator=(const CHtmlTextBuilder&) = delete;

    // Parses bytes as HTML (tolerant of what browsers tolerate) or, with xhtml, as XML with
    // HTML's named entities known, and appends their text. Network access and external entities
    // are off; XHTML that is not well-formed is read as HTML. White space collapses as a browser
    // collapses it; a space or newline item stands only between two words of this text, never
    // at its start or end, and never two in a row. False, with *error saying why, when the
    // elements nest too deeply or the bytes are too many; the items appended so far stay.
    bool append(const char* bytes, std::size_t size, bool xhtml, wxString* error);

    // For the last append: for each element with an id (and each a with a name), the index in
    // the document's item list of its first word, or of the next word after it when it has none
    // (the item count when no word follows): what a link "file#id" points to. And the text of
    // the head's title element.
    const std::map<std::string, std::size_t>& getAnchors() const { return anchors; }
    const wxString& getTitle() const { return title; }

    // The path of the file the next appends read (an EPUB chapter's), by which links from other
    // files name its notes.
    void setFile(const std::string& path);

    // Notes: footnotes, endnotes and asides (an element whose epub:type or role says so, an
    // aside, or a paragraph or list item a note reference pointed at before it came) are not
    // read where they stand; their text goes to the document's notes. A note reference (a link
    // whose epub:type or role says so, a link in or around a sup, a link to a note) is not
    // read either: a rapid note reference item follows the word it stands after. References
    // and notes find one another in any order, across the files of one builder, by the file
    // name and id of the note.
    struct SNotes {
        std::string file;
        // "file#id" of each note met or referred to, and its number in the document.
        std::map<std::string, unsigned int> numbers;
        // The notes marked as notes, met or seen ahead in the file being read.
        std::set<std::string> marked;
    };

private:
    CDataManager* document;
    std::map<std::string, std::size_t> anchors;
    wxString title;
    SNotes notes;
};

// An HTML file: its text through CHtmlTextBuilder, its title as the document's title.
class CHtmlImporter : public CFormatImporter {
public:
    // Its entry in the table of formats: "html", *.html, *.htm and *.xhtml, and a text that
    // starts as only HTML does whatever its name.
    static const SFormatEntry kFormat;

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
