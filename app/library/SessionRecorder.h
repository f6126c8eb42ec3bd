#ifndef FLIT_APP_SESSIONRECORDER_H
#define FLIT_APP_SESSIONRECORDER_H

#include "library/Library.h"

#include <wx/datetime.h>
#include <wx/string.h>

#include <chrono>
#include <cstddef>
#include <future>
#include <memory>
#include <string>
#include <vector>

// What the reader writes to the library: the documents opened from files (known by their
// bytes), where their reading stopped, and each reading session with the words it showed and
// its speed. The library is opened on first use. Needs no window.
class CSessionRecorder {
public:
    // path: the library's file; empty for the default one, as it is when first used.
    explicit CSessionRecorder(const wxString& path = wxString()) : libraryPath(path) {}

    // Starts looking at the library's file on a worker thread, so that a large library's check
    // does not hold the window up; its first use waits for the look to end.
    void checkAhead();
    CLibrary* getLibrary();
    // Forgets the library (one set aside, say) and opens it afresh; its problem is said again.
    // The document open is recorded in it, so that its reading is kept from there on.
    void reopen();

    // A document opened from the file at path, under its title and with its words: recorded,
    // and where its last reading stopped given in *position (in words). False when the file
    // cannot be read to know the document by: nothing is recorded of its reading then.
    bool opened(const wxString& path, const wxString& title, long long words, long long* position) {
        return opened(path, std::string(), title, words, position);
    }
    // The same, known by the hash of the file's bytes when it is given (not empty).
    bool opened(const wxString& path, const std::string& hash, const wxString& title,
                long long words, long long* position);
    // The document open is not recorded (closed, or not from a file).
    void forget() { documentHash.clear(); }
    bool recordsDocument() const { return !documentHash.empty() && library; }

    // A reading session begins, with this many words shown before it.
    void beginSession(size_t wordsShown);
    // A reading stopped with this many words shown: the session running is recorded (when it
    // showed any), and the position, unless negative.
    void stopped(size_t wordsShown, long long position);

    // Whether the open document can be marked: it is recorded and the library works.
    bool keepsBookmarks() const { return recordsDocument() && library->isAvailable(); }
    // Marks the word at position of the open document; the bookmark's id, 0 when not kept.
    long long addBookmark(long long position, const wxString& note, const wxString& context);
    // The open document's bookmarks, in the order of their places.
    std::vector<CLibrary::SBookmark> bookmarks();

    // The library's problem, said once: empty after the first time and while there is none.
    wxString takeProblem();

private:
    wxString libraryPath;
    std::future<CLibrary::SCheck> checking;
    std::unique_ptr<CLibrary> library;
    // The open document's hash, empty when it is not recorded; what it was recorded with.
    std::string documentHash;
    wxString documentTitle;
    wxString documentPath;
    long long documentWords = 0;
    bool problemSaid = false;
    // The reading session running: when it began and the words shown before it.
    bool inSession = false;
    wxDateTime sessionStart;
    std::chrono::steady_clock::time_point sessionClock;
    size_t sessionWordsFrom = 0;
};

#endif
