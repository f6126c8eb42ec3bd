#ifndef FLIT_APP_PREPAREDDOCUMENT_H
#define FLIT_APP_PREPAREDDOCUMENT_H

#include "document/DocumentSource.h"
#include "reading/ChapterIndex.h"
#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class CDataManager;
class CHyphenation;

// How a document is prepared: the rules the frame reads it by when it opens.
struct SPrepareRules {
    bool keepLineBreaks = false;
    // The navigator times words at this display length, unit and cut, with the hyphenation
    // this gives for the document's language (empty: none), as the frame will ask; the frame
    // then finds them as it wants them, and the GUI thread times nothing again.
    unsigned int wordLength = 12;
    CFlitWordCalcs::eLengthUnit unit = CFlitWordCalcs::eLengthBytes;
    eChunkCut cut = eCutAtLength;
    // Called on the preparing thread: it must only read what it holds.
    std::function<const CHyphenation*(const std::string& documentLanguage)> hyphenation;
};

// A document read and made ready to show: everything that takes time in proportion to its
// size and needs no window, so that a worker can do it while the window answers. On a fault,
// document is null and error says why.
struct SPreparedDocument {
    SDocumentOrigin origin;
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
    CChapterIndex chapters;
    // The hash of the file's bytes the library knows the document by; empty when not from a
    // file.
    std::string hash;
    wxString notice;
    wxString error;

    // Told of the parts read and the parts in all; false abandons the preparing.
    using Progress = std::function<bool(std::size_t done, std::size_t total)>;

    // Reads the origin and prepares the document. Runs on any thread; progress (may be empty)
    // is called on the same thread. Throws nothing: a fault thrown (too little memory
    // included) leaves no document and says so in error.
    static SPreparedDocument prepare(SDocumentOrigin origin, const SPrepareRules& rules,
                                     const Progress& progress);
    // The navigator and the chapters of the document read.
    void prepareParts(const SPrepareRules& rules);

private:
    void read(const SPrepareRules& rules, const Progress& progress);
    // Drops what was read, with why in error.
    void fail(const wxString& why);
};

#endif
