#ifndef FLIT_TESTS_FUZZ_FUZZSUPPORT_H
#define FLIT_TESTS_FUZZ_FUZZSUPPORT_H

// Shared by the fuzz targets: the process-wide set-up (this file's LLVMFuzzerInitialize, run
// once before the first input), the process's own folder, an import that checks its own outcome,
// and the checks that every target uses to state what must hold. It includes the standard headers
// that its declarations and every target's entry point use.

#include <flitengine/import/DocumentImporter.h>

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The process's own new folder under the system's temporary folder, removed with everything in
// it when the process exits normally. It holds a few small media files under the names that the
// sample documents use (media/sky.png, media/horn.wav, ...) and a couple of names at its top, so
// that FILE arguments of marked-up texts can resolve, and huge.bin, a sparse file of a terabyte.
// A target may write files of its own there under other names.
const wxString& flitFuzzFolder();

// Reports a broken promise with the detail and aborts, so that the input is kept as a crash.
// Set-up steps that fail use it too: a run without them could prove nothing.
[[noreturn]] void flitFuzzFail(const std::string& what);

#define FLIT_FUZZ_CHECK(condition, detail)                                                         \
    ((condition) ? void() : flitFuzzFail(std::string(#condition) + ": " + (detail)))

// Writes bytes to path, replacing it.
void flitFuzzWriteFile(const wxString& path, const char* data, std::size_t size);

// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
// Written here, apart from the library's own check, so that the two can disagree.
bool flitFuzzIsUtf8(const char* data, std::size_t size);

// Imports the text in the format, FILE arguments relative to the process's folder, plain text's
// line breaks kept when keepLineBreaks, and checks the outcome: either a document and no error,
// or no document and an error placed inside the text (line and column from 1, at most one past
// the end of the text or of the line) or, for bytes refused whole, placed nowhere (0 and 0);
// every word item of a document non-empty valid UTF-8. The import's error, if any, goes to
// *error.
std::unique_ptr<CDataManager> flitFuzzImport(const char* text, std::size_t size,
                                             CDocumentImporter::eFormat format,
                                             wxString* error = nullptr,
                                             bool keepLineBreaks = false);

// The items of a document in order: each one's kind, and the text of the words. Checks on the
// way that no item is null and that every item of the word kind is a word.
std::vector<std::pair<int, std::string>> flitFuzzItems(const CDataManager& document);

// Checks a book read in parts: it opens with a shown page marker, its page markers count the
// parts 1, 2, 3... in order, and every contents entry points into the document, in reading
// order (and has a title, when titled).
void flitFuzzCheckParts(CDataManager& document, bool titled = false);

// Checks that a document holds a word and that every word is non-empty valid UTF-8 (and, when
// unspaced, holds no white space).
void flitFuzzCheckWords(const CDataManager& document, bool unspaced);

#endif
