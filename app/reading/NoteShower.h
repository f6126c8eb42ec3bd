#ifndef FLIT_APP_NOTESHOWER_H
#define FLIT_APP_NOTESHOWER_H

#include <wx/string.h>

class CDataManager;
class CReaderFrame;

// The notes of a book (footnotes, endnotes, asides) as reading passes their references: the
// last one passed is said in a line, and shown whole on demand.
class CNoteShower {
public:
    // How many characters of a note the line that says it holds.
    static const size_t kLineCharacters = 80;

    explicit CNoteShower(CReaderFrame* owner) : frame(owner) {}

    // A reference to note number of document passed: the line that says it ("Note 3: its first
    // words…"), kept as the last note passed. Empty, and nothing kept, when the document has no
    // such note or it is empty.
    wxString notePassed(const CDataManager* document, unsigned int number);
    // Shows the whole of the last note passed in document in a dialog, reading paused
    // meanwhile; false when none was passed in it.
    bool showLast(const CDataManager* document);

    // The line for a note: its number and as many of its words as fit in kLineCharacters.
    static wxString lineOf(unsigned int number, const wxString& text);

private:
    CReaderFrame* frame;
    const CDataManager* lastDocument = nullptr;
    unsigned int lastNumber = 0;
    wxString lastText;
};

#endif
