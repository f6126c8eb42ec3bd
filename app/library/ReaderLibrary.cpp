#include "library/ReaderLibrary.h"

#include "frame/MessageBar.h"
#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrame.h"
#include "frame/ReaderStatus.h"
#include "library/BookmarksDialog.h"
#include "library/Library.h"
#include "library/LibraryDialog.h"

#include <wx/filename.h>
#include <wx/infobar.h>

CReaderLibrary::CReaderLibrary(CReaderFrame* readerFrame, CReaderStatus& readerStatus,
                               CMessageBar& messageBar, bool startAfresh)
    : frame(readerFrame), status(readerStatus), messages(messageBar), fromStart(startAfresh) {
    sessions.checkAhead();
    messages.getBar()->Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { setAsideAndStartAfresh(); },
        CLibraryDialog::ID_SET_ASIDE);
}

size_t CReaderLibrary::opened(const wxString& path, const std::string& hash, const wxString& title,
                              size_t words) {
    long long position = 0;
    const long long count = static_cast<long long>(words);
    if (!sessions.opened(path, hash, title, count, &position)) {
        return 0;
    }
    // The command line's document may be asked to start afresh; those opened later resume.
    const bool afresh = fromStart;
    fromStart = false;
    sayProblem();
    if (afresh || position <= 0 || position >= count) {
        return 0;
    }
    return static_cast<size_t>(position);
}

void CReaderLibrary::stopped(size_t wordsShown, long long position) {
    sessions.stopped(wordsShown, position);
    sayProblem();
}

void CReaderLibrary::sayProblem() {
    const wxString problem = sessions.takeProblem();
    if (problem.empty()) {
        return;
    }
    if (getLibrary()->isDamaged()) {
        messages.offer(problem, wxICON_WARNING, CLibraryDialog::ID_SET_ASIDE,
                       "Set Aside and Start Afresh");
    } else {
        messages.show(problem, wxICON_WARNING);
    }
}

void CReaderLibrary::setAsideAndStartAfresh() {
    if (!getLibrary()->isDamaged()) {
        return;
    }
    messages.dismiss();
    wxString error;
    const wxString aside = CLibrary::setAside(getLibrary()->getPath(), &error);
    if (aside.empty()) {
        messages.show(error, wxICON_ERROR);
        return;
    }
    sessions.reopen();
    if (!getLibrary()->getProblem().empty()) {
        sayProblem();
        return;
    }
    messages.show(
        wxString::Format("A new, empty library is in use; the damaged one was kept as %s", aside),
        wxICON_INFORMATION);
}

void CReaderLibrary::show() {
    // A document opened from the library leaves reading as that open leaves it.
    CPauseWhileModal pause(frame);
    CLibraryDialog dialog(frame, getLibrary());
    const int choice = dialog.ShowModal();
    if (choice == CLibraryDialog::ID_SET_ASIDE) {
        setAsideAndStartAfresh();
    } else if (choice == wxID_OPEN) {
        const wxString& path = dialog.getChosenPath();
        if (!wxFileName::FileExists(path)) {
            frame->showWarning(wxString::Format("Cannot open %s: it no longer exists", path));
        } else {
            frame->openDocument(path);
        }
    }
}

bool CReaderLibrary::addBookmark(size_t word, const wxString& context) {
    wxString note;
    if (!CBookmarksDialog::askNote(frame, "Add Bookmark", context, &note)) {
        return false;
    }
    const bool kept = sessions.addBookmark(static_cast<long long>(word), note, context) != 0;
    sayProblem();
    if (kept) {
        status.say("Bookmark added: Go > Bookmarks lists it");
    }
    return kept;
}

long long CReaderLibrary::chooseBookmark(size_t words) {
    CBookmarksDialog dialog(frame, getLibrary(), sessions.bookmarks(), words);
    return dialog.ShowModal() == wxID_OK ? dialog.getChosen() : -1;
}
