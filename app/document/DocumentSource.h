#ifndef FLIT_APP_DOCUMENTSOURCE_H
#define FLIT_APP_DOCUMENTSOURCE_H

#include <flitengine/import/DocumentImporter.h>

#include <wx/string.h>

#include <string>
#include <utility>

class CDataManager;

// Where a document comes from: a file, or bytes (standard input, the clipboard) kept to read
// them again when the line-break rule changes.
struct SDocumentOrigin {
    wxString path;    // the file; empty for bytes
    wxString name;    // what the window title and the messages call it
    wxString subject; // what a refusal says could not be opened or read
    wxString label;   // for bytes: the name the importer chooses their format by
    std::string bytes;
    bool fromBytes = false;
    // The format the document was read in, once it was.
    CDocumentImporter::eFormat format = CDocumentImporter::eAutomatic;

    static SDocumentOrigin file(const wxString& path);
    // Standard input read whole; false with the reason when it cannot be read (the origin still
    // names it, for the refusal).
    static bool standardInput(SDocumentOrigin* origin, wxString* reason);
    static SDocumentOrigin clipboard(std::string text);
    // A document imported elsewhere, shown under the name given.
    static SDocumentOrigin imported(const wxString& name);

    // What a refusal on standard error names: the path as given, or the subject.
    const wxString& refusedName() const { return path.empty() ? subject : path; }
};

// The reader's source of documents: the line-break rule chosen, and the origin of the document
// open, to read it again when the rule changes. Needs no window.
class CDocumentSource {
public:
    explicit CDocumentSource(bool keep) : keepLineBreaks(keep) {}

    // The origin of the document now open.
    void adopt(SDocumentOrigin origin) { current = std::move(origin); }
    const SDocumentOrigin& getCurrent() const { return current; }
    // The name the window shows: the document's title, or its origin's name.
    wxString shownName(const CDataManager& document) const;

    bool getKeepLineBreaks() const { return keepLineBreaks; }
    // Sets the rule; true when the document open reads differently by it (a plain text) and
    // must be read again.
    bool setKeepLineBreaks(bool keep);

private:
    bool keepLineBreaks;
    SDocumentOrigin current;
};

#endif
