#ifndef FLIT_TESTS_FUZZ_FUZZSUPPORT_H
#define FLIT_TESTS_FUZZ_FUZZSUPPORT_H

// Shared by the fuzz targets: the process-wide set-up that LLVMFuzzerInitialize runs once, a
// private temporary folder, and the checks that every target uses to state what must hold.

#include <wx/string.h>

#include <cstddef>
#include <string>

class CDataManager;

// Initialises the wxWidgets base library for the whole run, makes a failed wxASSERT abort (so
// the fuzzer reports it as a crash with its input), and silences the log: refused inputs are
// the normal case and their messages would drown the fuzzer's own output.
void flitFuzzInitialize();

// A new empty folder under the system's temporary folder, removed with everything in it when
// the process exits normally.
wxString flitFuzzMakeTempDir(const char* prefix);

// A folder holding a few small media files under the names that the sample documents use
// (media/sky.png, media/horn.wav, ...) and a couple of names at its top, so that FILE
// arguments of marked-up texts can resolve, and huge.bin, a sparse file of a terabyte. Made once
// per process.
const wxString& flitFuzzMediaDir();

// Writes bytes to path, replacing it; aborts when that fails (the run could prove nothing).
void flitFuzzWriteFile(const wxString& path, const char* data, std::size_t size);

// Reports a broken promise with the detail and aborts, so that the input is kept as a crash.
[[noreturn]] void flitFuzzFail(const std::string& what);

#define FLIT_FUZZ_CHECK(condition, detail)                                                         \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            flitFuzzFail(std::string(#condition) + ": " + (detail));                               \
        }                                                                                          \
    } while (false)

// Whether the bytes are well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
// Written here, apart from the library's own check, so that the two can disagree.
bool flitFuzzIsUtf8(const char* data, std::size_t size);

// Checks the outcome of one import of text: either a document and no error, or no document
// and an error placed inside the text (line and column from 1, at most one past the end of
// the text or of the line); every word item of a document non-empty valid UTF-8 without NUL.
void flitFuzzCheckImport(const char* text, std::size_t size, const CDataManager* document,
                         const wxString& error, const wxString& errorMessage, int line, int column);

#endif
