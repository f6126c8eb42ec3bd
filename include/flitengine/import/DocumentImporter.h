#ifndef FLIT_IMPORT_DOCUMENTIMPORTER_H
#define FLIT_IMPORT_DOCUMENTIMPORTER_H

#include <flitengine/FlitExport.h>
#include <flitengine/import/FormatImporter.h>
#include <flitengine/outside/DataManager.h>

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The one way in for documents: reads a file, standard input or bytes, chooses the format by the
// content first and the file name second, and hands the bytes to that format's importer.
//
// Formats (docs/formats.md says what each reads and how its structure maps to items):
// - plain text: words, spaces and line breaks; a blank line ends a paragraph (a newline item),
//   a single line break inside a paragraph is a space unless the text has no blank line at all
//   or keepLineBreaks is set. Text that is not UTF-8 is read as UTF-16 (with its byte order
//   mark) or Windows-1252 when that decodes it, and the notice says so.
// - marked-up text (".flit"): plain text with every line break kept, plus directives in braces,
//   each an item (or a change of the pen that later words are written with) at its place in the
//   text: "sea{rest 2}wall" is the word "sea", a rest of 2 units and the word "wall", while
//   "{bold}sea{/bold}wall" is the one word "seawall". "{{" and "}}" are literal braces. FILE
//   arguments name files relative to the base folder; their bytes are stored in the document.
// - EPUB, HTML, Markdown and PDF: their text in reading order, with line breaks, bold,
//   highlights, pages, title and table of contents from their structure.
// - Kindle books (MOBI, AZW3) without DRM: their HTML parts as EPUB chapters are read.
// - FictionBook 2 (".fb2", or a zip holding one): its sections as pages and table of contents.
//
// Bytes that are no document (a picture, a program, an archive, binary data) are refused as "not
// a document this reader knows", with the kind when it is known.
//
// An import builds the whole document or nothing: on any fault the result is null and the error
// says what is wrong; for a text, with the line and column (1-based, counted in characters from
// after a byte order mark).
class FLIT_EXPORT CDocumentImporter {
public:
    enum eFormat {
        ePlainText,
        eMarkedUp,
        eEpub,
        eHtml,
        eMarkdown,
        ePdf,
        eMobi,
        eFictionBook,
        // Chosen from the content and the name: see chooseFormat.
        eAutomatic,
    };

    // The format's name as the programs' --format option spells it ("text", "flit", "epub",
    // "html", "markdown", "pdf", "mobi", "fb2", "auto").
    static const char* formatName(eFormat format);
    // The format a name stands for; false for an unknown name.
    static bool formatFromName(const wxString& name, eFormat* format);
    // Every format's name, as a sentence lists them: "text, flit, epub, html, markdown or pdf".
    // glossed: a name that does not say what it reads is followed by what it does ("flit
    // (marked-up text)"); withAutomatic: "auto" ends the list.
    static wxString formatNameList(bool glossed, bool withAutomatic);
    // A wxFileDialog wildcard for opening a document: every format's extensions together first,
    // then each format's own ("Web pages (*.html;*.htm;*.xhtml)"), then all files.
    static wxString fileDialogWildcard();

    // The format the file name's extension (in any case) says: ".flit" marked up, ".epub",
    // ".html"/".htm"/".xhtml", ".md"/".markdown", ".pdf", ".mobi"/".azw3"/".azw",
    // ".fb2"/".fb2.zip"; anything else plain text.
    static eFormat formatForPath(const wxString& path);
    // The format of bytes: a zip holding an EPUB's mimetype, "%PDF-", the start of an HTML
    // document, a Palm database of the type "BOOKMOBI", a FictionBook root or a zip whose first
    // entry is a .fb2 file say so whatever the name; otherwise the name's extension decides.
    static eFormat chooseFormat(const char* bytes, std::size_t size, const wxString& path);

    // The largest file readFile reads: a text or a media file is held in memory whole, and the
    // size a file claims (a sparse file, a file under /proc) can be far more than memory holds.
    static constexpr std::size_t kMaxFileBytes = std::size_t(256) << 20;

    // The most a document may hold, in every format and from every program: items (its words
    // and the spaces, line breaks and marks between them) and bytes of its words' texts. A
    // document costs some 60 bytes an item besides its text (docs/reliability.md), so at the
    // limits it holds ten times the words of a long novel in well under a gigabyte; an import
    // stops where it would go beyond them and refuses the document.
    static constexpr std::size_t kMaxItems = 10000000;
    static constexpr std::size_t kMaxTextBytes = std::size_t(128) << 20;

    // Reads a whole regular file; false with the reason in *reason when it cannot (a folder, a
    // special file such as a pipe or a device, a file larger than kMaxFileBytes, too little
    // memory to hold it, or the system's reason).
    static bool readFile(const wxString& path, std::string* bytes, wxString* reason);
    // Reads the whole of standard input, whatever it is (a pipe, a terminal, a file), with the
    // same limit; false with the reason in *reason as for readFile.
    static bool readStandardInput(std::string* bytes, wxString* reason);

    CDocumentImporter();

    // Limits lower than kMaxItems and kMaxTextBytes, for a host that wants documents smaller.
    void setLimits(std::size_t maxItems, std::size_t maxTextBytes) {
        limits.maxItems = maxItems;
        limits.maxTextBytes = maxTextBytes;
    }
    // Plain text only: keep every line break as a newline item.
    void setKeepLineBreaks(bool keep) { keepLineBreaks = keep; }
    // Told of the parts read of a document read in parts, and may abandon the import (see
    // SImportContext::progress); none by default.
    void setProgress(std::function<bool(std::size_t done, std::size_t total)> handler) {
        progress = std::move(handler);
    }
    // Every format's MIME types, as a desktop entry lists them, each once, in the formats' order.
    static std::vector<std::string> mimeTypes();

    // Imports bytes in the format (eAutomatic: chosen by chooseFormat from the bytes and name).
    // name is the file's path or a label such as "standard input", used only to choose the
    // format; baseDir is the folder that names inside the document are relative to.
    std::unique_ptr<CDataManager> importBytes(const char* bytes, std::size_t size, eFormat format,
                                              const wxString& name, const wxString& baseDir);
    std::unique_ptr<CDataManager> importText(const std::string& text, eFormat format,
                                             const wxString& baseDir);
    std::unique_ptr<CDataManager> importText(const char* text, std::size_t size, eFormat format,
                                             const wxString& baseDir);
    // Reads the file and imports it; names inside it are relative to its folder.
    std::unique_ptr<CDataManager> importFile(const wxString& path, eFormat format = eAutomatic);

    // The last import's fault, e.g. "line 3, column 14: unknown directive \"{fog}\""; empty
    // after a successful import.
    const wxString& getError() const { return error; }
    // The same without its place.
    const wxString& getErrorMessage() const { return report.error; }
    // The fault's place; 0 when it has none (a file that cannot be read at all).
    int getErrorLine() const { return report.line; }
    int getErrorColumn() const { return report.column; }
    // What the last successful import has to say about how it read the document, e.g. "not
    // UTF-8: read as Windows-1252"; empty when nothing.
    const wxString& getNotice() const { return report.notice; }
    // The format the last import used.
    eFormat getFormat() const { return usedFormat; }

private:
    void fail(const wxString& message);

    bool keepLineBreaks;
    CDataManager::SLimits limits;
    std::function<bool(std::size_t done, std::size_t total)> progress;
    SImportReport report;
    wxString error;
    eFormat usedFormat;
};

#endif
