#include "library/Library.h"

#include <sqlite3.h>

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <iterator>
#include <map>

namespace {

// Two readers open at once wait this long for each other's writes before giving up.
const int kBusyTimeoutMs = 2000;

// The schema each step brings the database to: kMigrations[i] turns version i into i + 1. A
// new version appends a step; a database is brought up to date one step at a time, in one
// transaction, so it is never left half-migrated.
const char* const kMigrations[] = {
    "CREATE TABLE documents ("
    "  hash TEXT PRIMARY KEY,"
    "  title TEXT NOT NULL,"
    "  path TEXT NOT NULL,"
    "  words INTEGER NOT NULL,"
    "  position INTEGER NOT NULL DEFAULT 0,"
    "  last_read INTEGER NOT NULL);"
    "CREATE TABLE sessions ("
    "  id INTEGER PRIMARY KEY,"
    "  hash TEXT NOT NULL,"
    "  start INTEGER NOT NULL,"
    "  words INTEGER NOT NULL,"
    "  duration_ms INTEGER NOT NULL,"
    "  wpm INTEGER NOT NULL);"
    "CREATE INDEX sessions_by_start ON sessions(start);",
    // Version 2: the places marked in documents.
    "CREATE TABLE bookmarks ("
    "  id INTEGER PRIMARY KEY,"
    "  hash TEXT NOT NULL,"
    "  position INTEGER NOT NULL,"
    "  note TEXT NOT NULL DEFAULT '',"
    "  context TEXT NOT NULL DEFAULT '',"
    "  created INTEGER NOT NULL);"
    "CREATE INDEX bookmarks_by_document ON bookmarks(hash, position);",
};
const int kSchemaVersion = static_cast<int>(sizeof(kMigrations) / sizeof(kMigrations[0]));

// The FNV-1a 64-bit parameters.
const std::uint64_t kFnvOffsetBasis = 14695981039346656037ULL;
const std::uint64_t kFnvPrime = 1099511628211ULL;

wxString fromUtf8(const unsigned char* text) {
    return text == nullptr ? wxString() : wxString::FromUTF8(reinterpret_cast<const char*>(text));
}

wxDateTime fromSeconds(long long seconds) {
    return seconds <= 0 ? wxDateTime() : wxDateTime(static_cast<time_t>(seconds));
}

long long toSeconds(const wxDateTime& when) {
    return when.IsValid() ? static_cast<long long>(when.GetTicks()) : 0;
}

// Whether an SQLite result code says the file is not a database, or a damaged one.
bool meansDamaged(int status) {
    const int primary = status & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Runs SQLite's quick check of every page of the open database (it reads the whole file but
// does not compare the indexes with their tables, which is what makes it quick). The result
// code; with SQLITE_OK, *finding is empty when the pages are sound, else the first problem.
int quickCheck(sqlite3* db, std::string* finding) {
    sqlite3_stmt* statement = nullptr;
    int status = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &statement, nullptr);
    if (status == SQLITE_OK) {
        status = sqlite3_step(statement);
        const unsigned char* text =
            status == SQLITE_ROW ? sqlite3_column_text(statement, 0) : nullptr;
        finding->assign(text == nullptr ? "" : reinterpret_cast<const char*>(text));
        status = status == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(db);
    }
    sqlite3_finalize(statement);
    // Its first finding names the schema it is in ("*** in database main ***"): only one here.
    const std::string schema = "*** in database main ***\n";
    if (finding->compare(0, schema.size(), schema) == 0) {
        finding->erase(0, schema.size());
    }
    if (*finding == "ok") {
        finding->clear();
    }
    return status;
}

// What SQLite's result code and its check's finding say of the file.
CLibrary::SCheck verdictOf(sqlite3* db, int status, const std::string& finding) {
    CLibrary::SCheck found;
    if (meansDamaged(status)) {
        found.verdict = CLibrary::SCheck::eDamaged;
        found.reason = sqlite3_errmsg(db);
    } else if (status == SQLITE_OK) {
        found.verdict = finding.empty() ? CLibrary::SCheck::eSound : CLibrary::SCheck::eDamaged;
        found.reason = finding;
    }
    return found;
}

} // namespace

// A prepared statement, finalized when it goes out of scope. Values bind by position from 1.
class CLibrary::CStatement {
public:
    CStatement(CLibrary* owner, const char* sql) : library(owner) {
        if (library->db != nullptr &&
            sqlite3_prepare_v2(library->db, sql, -1, &statement, nullptr) != SQLITE_OK) {
            library->fail("cannot be read");
        }
    }
    ~CStatement() { sqlite3_finalize(statement); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    CStatement& bind(const std::string& text) {
        if (statement != nullptr) {
            sqlite3_bind_text(statement, ++bound, text.data(), static_cast<int>(text.size()),
                              SQLITE_TRANSIENT);
        }
        return *this;
    }
    CStatement& bind(const wxString& text) { return bind(std::string(text.utf8_str().data())); }
    CStatement& bind(long long value) {
        if (statement != nullptr) {
            sqlite3_bind_int64(statement, ++bound, value);
        }
        return *this;
    }
    // The next row: false at the end or when the step failed (the library is then closed).
    bool row() {
        if (statement == nullptr) {
            return false;
        }
        const int status = sqlite3_step(statement);
        if (status == SQLITE_ROW) {
            return true;
        }
        if (status != SQLITE_DONE) {
            library->fail("cannot be read or written");
            statement = finalized();
        }
        return false;
    }
    // Runs a statement that gives no rows; false when it failed.
    bool run() {
        row();
        return statement != nullptr;
    }
    long long integer(int column) const { return sqlite3_column_int64(statement, column); }
    wxString text(int column) const { return fromUtf8(sqlite3_column_text(statement, column)); }

private:
    sqlite3_stmt* finalized() {
        sqlite3_finalize(statement);
        return nullptr;
    }

    CLibrary* library;
    sqlite3_stmt* statement = nullptr;
    int bound = 0;
};

wxString CLibrary::defaultPath() {
    wxString data;
    if (!wxGetEnv("XDG_DATA_HOME", &data) || !wxFileName(data).IsAbsolute()) {
        data = wxFileName::GetHomeDir() + "/.local/share";
    }
    return data + "/flitreader/library.sqlite3";
}

std::string CLibrary::hashOf(const void* bytes, std::size_t size) {
    std::uint64_t hash = kFnvOffsetBasis;
    const unsigned char* byte = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ byte[i]) * kFnvPrime;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

wxString CLibrary::setAside(const wxString& path, wxString* error) {
    // A journal left by the damaged file would be applied to the new one: it goes with it.
    const char* const companions[] = {"", "-journal", "-wal", "-shm"};
    const wxString dated = path + wxDateTime::Now().Format(".damaged-%Y-%m-%d");
    wxString aside = dated;
    const auto taken = [&companions](const wxString& name) {
        return std::any_of(std::begin(companions), std::end(companions),
                           [&name](const char* suffix) { return wxFileExists(name + suffix); });
    };
    for (int again = 2; taken(aside); ++again) {
        aside = wxString::Format("%s-%d", dated, again);
    }
    if (!wxRenameFile(path, aside, false)) {
        *error = wxString::Format("Cannot set the library %s aside as %s", path, aside);
        return wxString();
    }
    for (const char* suffix : companions) {
        if (*suffix != '\0' && wxFileExists(path + suffix)) {
            wxRenameFile(path + suffix, aside + suffix, false);
        }
    }
    return aside;
}

CLibrary::SCheck CLibrary::check(const std::string& path) {
    sqlite3* db = nullptr;
    // Read-only: nothing is written, no journal made, no hot journal rolled back.
    int status = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::string finding;
    if (status == SQLITE_OK) {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_extended_result_codes(db, 1);
        status = quickCheck(db, &finding);
    }
    SCheck found = verdictOf(db, status, finding);
    sqlite3_close_v2(db);
    return found;
}

CLibrary::CLibrary(const wxString& path, const SCheck* checked) : filePath(path) {
    const wxFileName file(path);
    if (!file.DirExists() && !wxFileName::Mkdir(file.GetPath(), 0700, wxPATH_MKDIR_FULL)) {
        problem = wxString::Format("The library cannot be kept: cannot create the folder %s",
                                   file.GetPath());
        return;
    }
    const bool existed = file.FileExists();
    const SCheck found = checked != nullptr ? *checked : check(std::string(path.utf8_str()));
    if (found.verdict == SCheck::eDamaged) {
        failDamaged(found.reason);
        return;
    }
    if (sqlite3_open_v2(path.utf8_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        fail("cannot be opened");
        return;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    if (existed && found.verdict != SCheck::eSound) {
        // Not looked at read-only (a crash's journal, say, which this first read rolls back):
        // looked at now, still before anything is written.
        std::string finding;
        const int status = quickCheck(db, &finding);
        const SCheck now = verdictOf(db, status, finding);
        if (now.verdict == SCheck::eDamaged) {
            failDamaged(now.reason);
            return;
        }
    }
    migrate();
}

CLibrary::~CLibrary() {
    sqlite3_close_v2(db);
}

void CLibrary::failDamaged(const std::string& reason) {
    if (problem.empty()) {
        problem = wxString::Format("The library is damaged (%s), so reading goes on without "
                                   "remembering; the file is left as it is: %s",
                                   wxString::FromUTF8(reason), filePath);
    }
    damaged = true;
    sqlite3_close_v2(db);
    db = nullptr;
}

void CLibrary::fail(const char* what) {
    if (db != nullptr && meansDamaged(sqlite3_extended_errcode(db))) {
        // Found damaged while in use: nothing more is written to it.
        failDamaged(sqlite3_errmsg(db));
        return;
    }
    if (problem.empty()) {
        const wxString reason =
            db != nullptr ? wxString::FromUTF8(sqlite3_errmsg(db)) : wxString("out of memory");
        problem = wxString::Format("The library %s %s (%s): reading without remembering", filePath,
                                   what, reason);
    }
    sqlite3_close_v2(db);
    db = nullptr;
}

bool CLibrary::execute(const char* sql) {
    if (db != nullptr && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail("cannot be written");
    }
    return db != nullptr;
}

long long CLibrary::readVersion() {
    CStatement read(this, "PRAGMA user_version");
    return read.row() ? read.integer(0) : 0;
}

void CLibrary::migrate() {
    // Reading the version is the first read of the file: a damaged file fails here, before
    // anything is written to it.
    long long version = readVersion();
    if (db != nullptr && version < kSchemaVersion && execute("BEGIN IMMEDIATE")) {
        // Another reader may have migrated it while this one waited for the lock.
        version = readVersion();
        for (long long step = version; db != nullptr && step < kSchemaVersion; ++step) {
            execute(kMigrations[step]);
        }
        const std::string setVersion = "PRAGMA user_version = " + std::to_string(kSchemaVersion);
        if (version < kSchemaVersion && execute(setVersion.c_str())) {
            version = kSchemaVersion;
        }
        execute("COMMIT");
    }
    if (db != nullptr && version > kSchemaVersion) {
        // Left as it is: the newer reader that wrote it still needs it.
        problem = wxString::Format("The library %s was written by a newer FlitReader (version "
                                   "%lld): reading without remembering",
                                   filePath, version);
        sqlite3_close_v2(db);
        db = nullptr;
    }
}

CLibrary::SDocument CLibrary::opened(const std::string& hash, const wxString& title,
                                     const wxString& path, long long words) {
    SDocument document;
    document.hash = hash;
    document.title = title;
    document.path = path;
    document.words = words;
    {
        CStatement known(this, "SELECT position, last_read FROM documents WHERE hash = ?");
        if (known.bind(hash).row()) {
            document.position = known.integer(0);
            document.lastRead = fromSeconds(known.integer(1));
        }
    }
    // The file changed since: its old entry's places mean nothing in the new text.
    CStatement(this, "DELETE FROM bookmarks WHERE hash IN "
                     "(SELECT hash FROM documents WHERE path = ? AND hash <> ?)")
        .bind(path)
        .bind(hash)
        .run();
    CStatement(this, "DELETE FROM documents WHERE path = ? AND hash <> ?")
        .bind(path)
        .bind(hash)
        .run();
    CStatement(this, "INSERT INTO documents (hash, title, path, words, last_read) "
                     "VALUES (?, ?, ?, ?, ?) ON CONFLICT(hash) DO UPDATE SET "
                     "title = excluded.title, path = excluded.path, words = excluded.words, "
                     "last_read = excluded.last_read")
        .bind(hash)
        .bind(title)
        .bind(path)
        .bind(words)
        .bind(toSeconds(wxDateTime::Now()))
        .run();
    return document;
}

void CLibrary::setPosition(const std::string& hash, long long position) {
    CStatement(this, "UPDATE documents SET position = ?, last_read = ? WHERE hash = ?")
        .bind(position)
        .bind(toSeconds(wxDateTime::Now()))
        .bind(hash)
        .run();
}

void CLibrary::addSession(const SSession& session) {
    CStatement(this, "INSERT INTO sessions (hash, start, words, duration_ms, wpm) "
                     "VALUES (?, ?, ?, ?, ?)")
        .bind(session.hash)
        .bind(toSeconds(session.start))
        .bind(session.wordsShown)
        .bind(session.durationMs)
        .bind(static_cast<long long>(session.achievedWpm))
        .run();
}

std::vector<CLibrary::SDocument> CLibrary::documents() {
    std::vector<SDocument> found;
    CStatement list(this, "SELECT hash, title, path, words, position, last_read FROM documents "
                          "ORDER BY last_read DESC, rowid DESC");
    while (list.row()) {
        SDocument document;
        document.hash = std::string(list.text(0).utf8_str().data());
        document.title = list.text(1);
        document.path = list.text(2);
        document.words = list.integer(3);
        document.position = list.integer(4);
        document.lastRead = fromSeconds(list.integer(5));
        found.push_back(document);
    }
    return found;
}

void CLibrary::remove(const std::string& hash) {
    // The sessions stay: the statistics count the words read, whatever became of the book.
    CStatement(this, "DELETE FROM documents WHERE hash = ?").bind(hash).run();
    CStatement(this, "DELETE FROM bookmarks WHERE hash = ?").bind(hash).run();
}

long long CLibrary::addBookmark(const SBookmark& bookmark) {
    const bool added =
        CStatement(this, "INSERT INTO bookmarks (hash, position, note, context, created) "
                         "VALUES (?, ?, ?, ?, ?)")
            .bind(bookmark.hash)
            .bind(bookmark.position)
            .bind(bookmark.note)
            .bind(bookmark.context)
            .bind(toSeconds(bookmark.created.IsValid() ? bookmark.created : wxDateTime::Now()))
            .run();
    return added && db != nullptr ? sqlite3_last_insert_rowid(db) : 0;
}

std::vector<CLibrary::SBookmark> CLibrary::bookmarks(const std::string& hash) {
    std::vector<SBookmark> found;
    CStatement list(this, "SELECT id, position, note, context, created FROM bookmarks "
                          "WHERE hash = ? ORDER BY position, id");
    list.bind(hash);
    while (list.row()) {
        SBookmark bookmark;
        bookmark.id = list.integer(0);
        bookmark.hash = hash;
        bookmark.position = list.integer(1);
        bookmark.note = list.text(2);
        bookmark.context = list.text(3);
        bookmark.created = fromSeconds(list.integer(4));
        found.push_back(bookmark);
    }
    return found;
}

void CLibrary::setBookmarkNote(long long id, const wxString& note) {
    CStatement(this, "UPDATE bookmarks SET note = ? WHERE id = ?").bind(note).bind(id).run();
}

void CLibrary::removeBookmark(long long id) {
    CStatement(this, "DELETE FROM bookmarks WHERE id = ?").bind(id).run();
}

std::vector<CLibrary::SSession> CLibrary::sessionsSince(const wxDateTime& since) {
    std::vector<SSession> found;
    CStatement list(this, "SELECT hash, start, words, duration_ms, wpm FROM sessions "
                          "WHERE start >= ? ORDER BY start, id");
    list.bind(toSeconds(since));
    while (list.row()) {
        SSession session;
        session.hash = std::string(list.text(0).utf8_str().data());
        session.start = fromSeconds(list.integer(1));
        session.wordsShown = list.integer(2);
        session.durationMs = list.integer(3);
        session.achievedWpm = static_cast<unsigned int>(list.integer(4));
        found.push_back(session);
    }
    return found;
}

std::vector<CLibrary::SDay> CLibrary::wordsPerDay(const wxDateTime& since) {
    std::vector<SDay> days;
    const wxDateTime today = wxDateTime::Today();
    for (wxDateTime day = since.IsValid() ? since.GetDateOnly() : today; day <= today;
         day += wxDateSpan::Day()) {
        days.push_back(SDay{day, 0});
    }
    if (days.empty()) {
        return days;
    }
    for (const SSession& session : sessionsSince(days.front().day)) {
        const wxDateTime day = session.start.GetDateOnly();
        auto at = std::find_if(days.begin(), days.end(),
                               [&day](const SDay& entry) { return entry.day == day; });
        if (at != days.end()) {
            at->words += session.wordsShown;
        }
    }
    return days;
}
