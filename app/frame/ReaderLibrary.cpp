// The reader's memory: what the main window tells the library and what it takes back from it.

#include "frame/ReaderFrame.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrameIds.h"
#include "library/Library.h"
#include "library/LibraryDialog.h"
#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/infobar.h>
#include <wx/msgdlg.h>

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

CLibrary* CReaderFrame::getLibrary() {
    if (!library) {
        library = std::make_unique<CLibrary>();
    }
    return library.get();
}

void CReaderFrame::sayLibraryProblem() {
    // Once: the reader then reads on without remembering, and need not say so again.
    if (library && !libraryProblemSaid && !library->getProblem().empty()) {
        libraryProblemSaid = true;
        showNote(library->getProblem());
    }
}

void CReaderFrame::rememberOpened() {
    documentHash.clear();
    std::string bytes;
    if (source.path.empty() || !readWhole(source.path, &bytes)) {
        return;
    }
    wxFileName absolute(source.path);
    absolute.MakeAbsolute();
    const wxString title = document->getTitle().empty() ? source.name : document->getTitle();
    const long long words = static_cast<long long>(navigator->getWordCount());
    documentHash = CLibrary::hashOf(bytes.data(), bytes.size());
    const CLibrary::SDocument known =
        getLibrary()->opened(documentHash, title, absolute.GetFullPath(), words);
    // The command line's document may be asked to start afresh; those opened later resume.
    const bool fromStart = options.fromStart;
    options.fromStart = false;
    sayLibraryProblem();
    // A finished document starts again at the beginning.
    if (fromStart || known.position <= 0 || known.position >= words) {
        return;
    }
    wxCDataInfoListNode* word = nodeOfWord(static_cast<size_t>(known.position));
    if (word != nullptr) {
        // As a move while stopped: the paused view shows the word in its sentence, and Space
        // reads on from it.
        moveTo(word);
    }
}

void CReaderFrame::beginSession() {
    inSession = true;
    sessionStart = wxDateTime::Now();
    sessionClock = std::chrono::steady_clock::now();
    sessionWordsFrom = wordsShown;
}

void CReaderFrame::rememberReading() {
    if (!manager || !navigator || documentHash.empty() || !library) {
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
        const long long kMillisecondsPerMinute = 60000;
        session.achievedWpm =
            session.durationMs <= 0
                ? 0
                : static_cast<unsigned int>(session.wordsShown * kMillisecondsPerMinute /
                                            session.durationMs);
        if (session.wordsShown > 0) {
            library->addSession(session);
        }
    }
    // The word on screen when reading stopped is shown again on return; a move while paused
    // or a pause the document made says where to go on from instead.
    wxCDataInfoListNode* at = resumeNode;
    if (at == nullptr && reading == eHeldByDocument && holdingItem != nullptr) {
        at = holdingItem->GetNext();
    }
    if (at == nullptr) {
        at = lastWordNode != nullptr ? lastWordNode : positionNode();
    }
    if (reading == eFinished) {
        library->setPosition(documentHash, static_cast<long long>(navigator->getWordCount()));
    } else if (at != nullptr) {
        library->setPosition(documentHash, static_cast<long long>(navigator->wordsBefore(at)));
    }
    sayLibraryProblem();
}

void CReaderFrame::showLibrary() {
    // A document opened from the library leaves reading as that open leaves it.
    CPauseWhileModal pause(this);
    CLibraryDialog dialog(this, getLibrary());
    const int choice = dialog.ShowModal();
    if (choice == CLibraryDialog::ID_SET_ASIDE) {
        wxString error;
        if (!CLibrary::setAside(library->getPath(), &error)) {
            wxMessageBox(error, "FlitReader", wxOK | wxICON_ERROR, this);
        }
        library.reset();
        libraryProblemSaid = false;
        getLibrary();
        sayLibraryProblem();
    } else if (choice == wxID_OPEN) {
        const wxString& path = dialog.getChosenPath();
        if (!wxFileName::FileExists(path)) {
            refusal = wxString::Format("Cannot open %s: it no longer exists", path);
            infoBar->ShowMessage(refusal, wxICON_WARNING);
        } else {
            openDocument(path);
        }
    }
}
