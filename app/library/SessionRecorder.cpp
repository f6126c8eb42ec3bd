#include "library/SessionRecorder.h"

#include "reading/ShownWordCounter.h"

#include <wx/file.h>
#include <wx/filename.h>

#include <future>

namespace {

// The bytes of a file, to know the document by; false when it cannot be read.
bool readWhole(const wxString& path, std::string* bytes) {
    wxFile file;
    if (!file.Open(path)) {
        return false;
    }
    const wxFileOffset length = file.Length();
    if (length < 0) {
        return false;
    }
    bytes->resize(static_cast<size_t>(length));
    return bytes->empty() ||
           file.Read(&(*bytes)[0], bytes->size()) == static_cast<ssize_t>(bytes->size());
}

} // namespace

void CSessionRecorder::checkAhead() {
    if (libraryPath.empty()) {
        libraryPath = CLibrary::defaultPath();
    }
    if (!library && !checking.valid()) {
        checking =
            std::async(std::launch::async, CLibrary::check, std::string(libraryPath.utf8_str()));
    }
}

CLibrary* CSessionRecorder::getLibrary() {
    if (library) {
        return library.get();
    }
    const wxString path = libraryPath.empty() ? CLibrary::defaultPath() : libraryPath;
    if (checking.valid()) {
        const CLibrary::SCheck checked = checking.get();
        library = std::make_unique<CLibrary>(path, &checked);
    } else {
        library = std::make_unique<CLibrary>(path);
    }
    return library.get();
}

void CSessionRecorder::reopen() {
    library.reset();
    problemSaid = false;
    if (!documentHash.empty()) {
        getLibrary()->opened(documentHash, documentTitle, documentPath, documentWords);
    }
}

bool CSessionRecorder::opened(const wxString& path, const std::string& hash, const wxString& title,
                              long long words, long long* position) {
    documentHash.clear();
    std::string bytes;
    if (path.empty() || (hash.empty() && !readWhole(path, &bytes))) {
        return false;
    }
    wxFileName absolute(path);
    absolute.MakeAbsolute();
    documentHash = hash.empty() ? CLibrary::hashOf(bytes.data(), bytes.size()) : hash;
    documentTitle = title;
    documentPath = absolute.GetFullPath();
    documentWords = words;
    *position = getLibrary()->opened(documentHash, title, documentPath, words).position;
    return true;
}

void CSessionRecorder::beginSession(size_t wordsShown) {
    inSession = true;
    sessionStart = wxDateTime::Now();
    sessionClock = std::chrono::steady_clock::now();
    sessionWordsFrom = wordsShown;
}

void CSessionRecorder::stopped(size_t wordsShown, long long position) {
    if (!recordsDocument()) {
        return;
    }
    if (inSession) {
        inSession = false;
        CLibrary::SSession session;
        session.hash = documentHash;
        session.start = sessionStart;
        session.wordsShown = static_cast<long long>(wordsShown - sessionWordsFrom);
        session.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - sessionClock)
                                 .count();
        session.achievedWpm = CShownWordCounter::wordsPerMinute(
            static_cast<unsigned long long>(session.wordsShown),
            session.durationMs <= 0 ? 0 : static_cast<unsigned long long>(session.durationMs));
        if (session.wordsShown > 0) {
            library->addSession(session);
        }
    }
    if (position >= 0) {
        library->setPosition(documentHash, position);
    }
}

long long CSessionRecorder::addBookmark(long long position, const wxString& note,
                                        const wxString& context) {
    if (!keepsBookmarks()) {
        return 0;
    }
    CLibrary::SBookmark bookmark;
    bookmark.hash = documentHash;
    bookmark.position = position;
    bookmark.note = note;
    bookmark.context = context;
    bookmark.created = wxDateTime::Now();
    return library->addBookmark(bookmark);
}

std::vector<CLibrary::SBookmark> CSessionRecorder::bookmarks() {
    return keepsBookmarks() ? library->bookmarks(documentHash) : std::vector<CLibrary::SBookmark>();
}

wxString CSessionRecorder::takeProblem() {
    // Once: the reader then reads on without remembering, and need not say so again.
    if (library && !problemSaid && !library->getProblem().empty()) {
        problemSaid = true;
        return library->getProblem();
    }
    return wxString();
}
