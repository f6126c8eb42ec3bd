#ifndef FLIT_OUTSIDE_DOCUMENTIMPORTER_H
#define FLIT_OUTSIDE_DOCUMENTIMPORTER_H

#include "FlitExport.h"
#include "outside/DataManager.h"

#include <wx/string.h>

#include <cstddef>
#include <memory>
#include <string>

// Builds a document from UTF-8 text.
//
// Plain text: each maximal run of characters other than white space is a word, each run of
// blanks one space item, each line break one newline item (CTextTokenizer says which characters
// are which). A byte order mark at the start is skipped.
//
// Marked-up text reads the same, plus directives in braces, each an item (or a change of the
// pen that later words are written with) at its place in the text: "sea{rest 2}wall" is the
// word "sea", a rest of 2 units and the word "wall", while "{bold}sea{/bold}wall" is the one
// word "seawall". "{{" and "}}" are literal braces and stay inside their word. A directive ends
// on the line it starts on. FILE arguments name files relative to the base folder; their bytes
// are stored in the document under the name as written, so the document needs nothing from
// disk afterwards.
//
// An import builds the whole document or nothing: on any fault the result is null and the
// error names the line and column (1-based, counted in characters from after a byte order
// mark) and what is wrong.
class FLIT_EXPORT CDocumentImporter {
public:
    enum eFormat { ePlainText, eMarkedUp };

    // ".flit" (in any case) is marked up, anything else plain.
    static eFormat formatForPath(const wxString& path);

    // The largest file readFile reads: a text or a media file is held in memory whole, and the
    // size a file claims (a sparse file, a file under /proc) can be far more than memory holds.
    static constexpr std::size_t kMaxFileBytes = std::size_t(256) << 20;

    // Reads a whole regular file; false with the reason in *reason when it cannot (a folder, a
    // special file such as a pipe or a device, a file larger than kMaxFileBytes, too little
    // memory to hold it, or the system's reason).
    static bool readFile(const wxString& path, std::string* bytes, wxString* reason);
    // Reads the whole of standard input, whatever it is (a pipe, a terminal, a file), with the
    // same limit; false with the reason in *reason as for readFile.
    static bool readStandardInput(std::string* bytes, wxString* reason);

    CDocumentImporter();

    // baseDir: the folder that FILE arguments are relative to.
    std::unique_ptr<CDataManager> importText(const std::string& utf8, eFormat format,
                                             const wxString& baseDir);
    std::unique_ptr<CDataManager> importText(const char* utf8, std::size_t size, eFormat format,
                                             const wxString& baseDir);
    // Reads the file; the format follows its name and FILE arguments are relative to its folder.
    std::unique_ptr<CDataManager> importFile(const wxString& path);

    // The last import's fault, e.g. "line 3, column 14: unknown directive \"{fog}\""; empty
    // after a successful import.
    const wxString& getError() const { return error; }
    // The same without its place.
    const wxString& getErrorMessage() const { return errorMessage; }
    // The fault's place; 0 when it has none (a file that cannot be read at all).
    int getErrorLine() const { return errorLine; }
    int getErrorColumn() const { return errorColumn; }

private:
    void clearError();
    void fail(const wxString& message);
    void failAt(const char* text, std::size_t size, std::size_t offset, const wxString& message);

    wxString error;
    wxString errorMessage;
    int errorLine;
    int errorColumn;
};

#endif
