#ifndef FLIT_APP_REOPENLAST_H
#define FLIT_APP_REOPENLAST_H

#include "library/Library.h"

#include <wx/string.h>

#include <vector>

class CReaderFrame;
struct SPreferences;
struct SReaderOptions;

// Started without a document, the reader reopens the last one read, where it was left.

// Whether a start with options reopens the last document: a start without a document of its
// own, with the preference on, and attended. A run that reads by itself, quits when done,
// records or takes a screenshot is a script's: it never picks up an old book.
bool reopensLast(const SReaderOptions& options, const SPreferences& preferences);
// The file of the last document read, of the library's documents (the last read first). Empty
// when there is none; empty with note saying why when its file is gone or cannot be read.
wxString lastDocumentPath(const std::vector<CLibrary::SDocument>& documents, wxString* note);
// At the start, when reopensLast says so: opens the last document in frame (which resumes it
// where it was left), or says quietly in the status bar why it cannot.
void reopenLastDocument(CReaderFrame& frame, const SReaderOptions& options);

#endif
