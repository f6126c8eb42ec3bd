#ifndef FLIT_APP_READERLIBRARY_H
#define FLIT_APP_READERLIBRARY_H

#include "library/SessionRecorder.h"

#include <wx/string.h>

#include <cstddef>
#include <string>

class CMessageBar;
class CReaderFrame;
class CReaderStatus;

// The reader's part of the library of documents read: records the documents opened and their
// readings, says the library's problem in the message bar (once), offering there to set a
// damaged library aside and start afresh, and runs File > Library.
class CReaderLibrary {
public:
    // fromStart: the first document recorded starts afresh rather than where it was left. The
    // library's file is looked at from now on, on a worker thread.
    CReaderLibrary(CReaderFrame* frame, CReaderStatus& status, CMessageBar& messages,
                   bool fromStart);

    // Opened on first use; it says what went wrong, if anything.
    CLibrary* getLibrary() { return sessions.getLibrary(); }

    // A document opened from the file at path (empty when from elsewhere), whose bytes hash to
    // hash (empty: the file is read to know it), under its title and with its words: the word
    // to resume at, where its last reading stopped; 0 to start at the beginning (a finished
    // document starts again).
    size_t opened(const wxString& path, const std::string& hash, const wxString& title,
                  size_t words);
    // The document open is not recorded (closed).
    void forget() { sessions.forget(); }
    bool recordsDocument() const { return sessions.recordsDocument(); }
    // A reading begins with this many words shown before it.
    void beginSession(size_t wordsShown) { sessions.beginSession(wordsShown); }
    // A reading stopped with this many words shown, at position (in words; not recorded when
    // negative).
    void stopped(size_t wordsShown, long long position);

    // Lists the documents read, to open or forget one (or to set a damaged library aside).
    void show();
    // Renames the damaged library's file out of the way and starts a new, empty library, which
    // keeps the open document's reading from here on; the message bar says where the old went.
    void setAsideAndStartAfresh();

    // Whether the open document can be marked: it came from a file and the library works.
    bool offersBookmarks() const { return sessions.keepsBookmarks(); }
    // Marks the word at index word of the open document, with a note asked for under its
    // context; false when the user cancelled or the library could not keep it.
    bool addBookmark(size_t word, const wxString& context);
    // Lists the open document's bookmarks (it has words): the word index of the one chosen to
    // go to, -1 when none was.
    long long chooseBookmark(size_t words);

private:
    void sayProblem();

    CReaderFrame* frame;
    CReaderStatus& status;
    CMessageBar& messages;
    CSessionRecorder sessions;
    bool fromStart;
};

#endif
