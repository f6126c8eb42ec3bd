#ifndef FLIT_APP_LIBRARY_H
#define FLIT_APP_LIBRARY_H

#include <wx/datetime.h>
#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

// The reader's memory of the documents it opened, in an SQLite database (by default
// $XDG_DATA_HOME/flitreader/library.sqlite3, created on first use, its schema versioned and
// migrated). A document is known by a hash of its content, so a moved or renamed file is
// recognised and a changed one is new. Two readers share it through SQLite's locking, each
// waiting a moment for the other's writes.
//
// The library never stops the reader from reading: when the database cannot be opened or
// written (locked, corrupt, from a newer version, on a read-only disk) every call does nothing
// and returns what "nothing remembered" means, and getProblem() says once what went wrong.
// A file SQLite finds damaged is never written: it is looked at read-only first, and only a
// sound one is opened for writing (and migrated).
class CLibrary {
public:
    struct SDocument {
        std::string hash;
        wxString title;
        wxString path;
        long long words = 0;
        // The index of the word where reading last stopped (0: the beginning).
        long long position = 0;
        wxDateTime lastRead; // invalid when never read
    };

    struct SSession {
        std::string hash;
        wxDateTime start;
        long long wordsShown = 0;
        long long durationMs = 0;
        unsigned int achievedWpm = 0;
    };

    // A place marked in a document, with the user's note and a few words around it.
    struct SBookmark {
        long long id = 0;
        std::string hash;
        long long position = 0; // the index of the word marked
        wxString note;
        wxString context;
        wxDateTime created;
    };

    struct SDay {
        wxDateTime day; // local midnight
        long long words = 0;
    };

    // The default database file, in the user's data folder.
    static wxString defaultPath();
    // A hash of a document's bytes, as the library keys documents.
    static std::string hashOf(const void* bytes, std::size_t size);

    // What a read-only look at a library file found, before anything is written to it.
    struct SCheck {
        enum eVerdict {
            eSound,
            eDamaged,
            // Not looked at: no file yet, locked, or a journal left by a crash that only a
            // connection allowed to write may roll back.
            eUnchecked,
        };
        eVerdict verdict = eUnchecked;
        std::string reason; // SQLite's words for the damage (UTF-8)
    };
    // Opens the file at path (UTF-8) read-only, when there is one, and runs SQLite's quick
    // check of its pages. Its time grows with the file (a tenth of a second for ten thousand
    // books with their sessions), so the reader runs it on a worker thread; safe on any thread.
    static SCheck check(const std::string& path);

    // Opens (creating or migrating) the database at path; see getProblem() when it could not.
    // checked: what check() found of it, when that was run already (else it is run here).
    explicit CLibrary(const wxString& path = defaultPath(), const SCheck* checked = nullptr);
    ~CLibrary();
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    // Whether the library remembers anything: false once the database failed.
    bool isAvailable() const { return db != nullptr; }
    // What went wrong, for the reader to say once; empty when nothing did.
    const wxString& getProblem() const { return problem; }
    // Whether the file is not a database or a damaged one (rather than locked, unwritable or
    // from a newer version): only then may the user set it aside and start afresh.
    bool isDamaged() const { return damaged; }
    const wxString& getPath() const { return filePath; }
    // Renames a damaged library file out of the way, with its journal files, so that the next
    // library starts empty: kept beside it with the date in its name (path.damaged-YYYY-MM-DD,
    // -2, -3... when that is taken). Gives the new name; empty with *error set when it cannot.
    static wxString setAside(const wxString& path, wxString* error);

    // Records that a document was opened (adds it, or updates its title, path, words and date)
    // and gives what is known of it, its position included. Another document known at the same
    // path is the file before it changed: it is forgotten (its sessions stay).
    SDocument opened(const std::string& hash, const wxString& title, const wxString& path,
                     long long words);
    // Remembers where reading stopped.
    void setPosition(const std::string& hash, long long position);
    // Records one reading session of the document.
    void addSession(const SSession& session);
    // Every document, the last read first.
    std::vector<SDocument> documents();
    // Forgets a document and its bookmarks.
    void remove(const std::string& hash);

    // Marks a place in a document; the bookmark's id, 0 when it could not be kept.
    long long addBookmark(const SBookmark& bookmark);
    // A document's bookmarks, in the order of their places.
    std::vector<SBookmark> bookmarks(const std::string& hash);
    void setBookmarkNote(long long id, const wxString& note);
    void removeBookmark(long long id);

    // Reading sessions that began at or after since, oldest first.
    std::vector<SSession> sessionsSince(const wxDateTime& since);
    // Words shown per local day from since's day to today, one entry per day (0 for days
    // without reading).
    std::vector<SDay> wordsPerDay(const wxDateTime& since);

private:
    class CStatement;
    friend class CStatement;

    // Closes the database after a failure, keeping the first problem.
    void fail(const char* what);
    // Closes the database (if open) as one found damaged, for the reason given.
    void failDamaged(const std::string& reason);
    bool execute(const char* sql);
    long long readVersion();
    // Creates the schema, or brings an older one up to date.
    void migrate();

    wxString filePath;
    sqlite3* db = nullptr;
    wxString problem;
    bool damaged = false;
};

#endif
