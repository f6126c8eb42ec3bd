#ifndef FLIT_IMPORT_FORMATIMPORTER_H
#define FLIT_IMPORT_FORMATIMPORTER_H

#include <flitengine/outside/DataManager.h>

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <memory>

// What an import is given besides the bytes.
struct SImportContext {
    // The folder that names inside the document (a marked-up text's FILE arguments) are relative
    // to; empty for the current folder.
    wxString baseDir;
    // Plain text: every line break is a newline item, as in a text with one paragraph per line,
    // rather than only the blank lines that end paragraphs.
    bool keepLineBreaks = false;
    // Told of the parts read so far of a document read in parts (an EPUB's chapters, a PDF's
    // pages), with the parts in all, before each part; returning false abandons the import with
    // kCancelled as its fault. Empty: the import runs to its end untold.
    std::function<bool(std::size_t done, std::size_t total)> progress;

    // The limits every document the import makes is held to (null: none). Once one is
    // reached the import reads no further, and the document is refused for it.
    CDataManager::SLimits* limits = nullptr;

    // The fault of an import its progress handler abandoned.
    static constexpr const char* kCancelled = "the import was cancelled";
    // Whether to read on: not once the document has reached its limits; otherwise asks the
    // progress handler, when there is one.
    bool readOn(std::size_t done, std::size_t total) const {
        return (limits == nullptr || !limits->reached) && (!progress || progress(done, total));
    }
    // An empty document held to the limits: every importer makes its document here.
    std::unique_ptr<CDataManager> newDocument() const {
        auto document = std::make_unique<CDataManager>();
        document->setLimits(limits);
        return document;
    }
};

// What an import reports besides the document.
struct SImportReport {
    // Why there is no document; empty after a successful import.
    wxString error;
    // Where in a text the fault is, counted from 1 (columns in characters); 0 when the fault has
    // no place in a text (a zip's missing entry, a PDF without text).
    int line = 0;
    int column = 0;
    // Something a reader should know about a document that was read, e.g. that a text was not
    // UTF-8 and was read as Windows-1252; empty when there is nothing to say.
    wxString notice;
};

// Turns the bytes of one format into a document. An importer builds the whole document or
// nothing: on a fault the result is null and report->error says what is wrong.
class CFormatImporter {
public:
    virtual ~CFormatImporter() = default;

    virtual std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                               const SImportContext& context,
                                               SImportReport* report) = 0;
};

#endif
