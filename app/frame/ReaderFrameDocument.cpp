// The reader's main window: the document it reads (opened, refused, read again, closed) and
// what the library remembers of its reading.

#include "frame/ReaderFrame.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrameIds.h"
#include "frame/ReaderMenus.h"
#include "frame/ReaderStatus.h"
#include "library/LibraryDialog.h"
#include "reading/ReadingNavigator.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"

#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>

#include <malloc.h>

#include <cstdio>
#include <utility>

bool CReaderFrame::openRecord(const wxString& path, wxString* error) {
    return recorder.open(path, error);
}

bool CReaderFrame::openDocument(const wxString& path, bool quiet) {
    if (path != "-") {
        return openOrigin(SDocumentOrigin::file(path), quiet);
    }
    SDocumentOrigin origin;
    wxString reason;
    if (!SDocumentOrigin::standardInput(&origin, &reason)) {
        refuse(origin, reason, quiet);
        return false;
    }
    return openOrigin(std::move(origin), quiet);
}

bool CReaderFrame::pasteDocument() {
    std::string bytes;
    if (wxTheClipboard->Open()) {
        wxTextDataObject text;
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) && wxTheClipboard->GetData(text)) {
            // The buffer may point into the string: the string must outlive it.
            const wxString pasted = text.GetText();
            const wxScopedCharBuffer utf8 = pasted.utf8_str();
            bytes.assign(utf8.data(), utf8.length());
        }
        wxTheClipboard->Close();
    }
    if (wxString::FromUTF8(bytes).Strip(wxString::both).empty()) {
        status->showNote("The clipboard holds no text to read");
        return false;
    }
    return openOrigin(SDocumentOrigin::clipboard(std::move(bytes)), false);
}

bool CReaderFrame::openOrigin(SDocumentOrigin origin, bool quiet) {
    wxString error;
    wxString notice;
    std::unique_ptr<CDataManager> imported = source.read(&origin, &error, &notice);
    if (!imported) {
        refuse(origin, error, quiet);
        return false;
    }
    showDocument(std::move(imported), std::move(origin), notice);
    return document != nullptr;
}

void CReaderFrame::openImported(std::unique_ptr<CDataManager> imported, const wxString& name) {
    showDocument(std::move(imported), SDocumentOrigin::imported(name), wxString());
}

void CReaderFrame::refuse(const SDocumentOrigin& origin, const wxString& error, bool quiet) {
    if (quiet) {
        std::fprintf(stderr, "flitreader: %s: %s\n", origin.refusedName().utf8_str().data(),
                     error.utf8_str().data());
        return;
    }
    // One message at a time: a new refusal replaces the last.
    messages.show(wxString::Format("Cannot open %s: %s", origin.subject, error), wxICON_ERROR);
}

void CReaderFrame::showDocument(std::unique_ptr<CDataManager> imported, SDocumentOrigin origin,
                                const wxString& notice) {
    closeDocument();
    document = std::move(imported);
    // The file's text and the old document are gone: give their pages back to the system, so
    // that a long text leaves the reader no larger than its document.
    malloc_trim(0);
    navigator = std::make_unique<CReadingNavigator>(document.get());
    manager = std::make_unique<CFlitManager>();
    manager->setTargetSpeed(preferences.speed);
    manager->setWordDisplayLength(preferences.wordLength);
    applyFlashRules();
    source.adopt(std::move(origin));
    if (!manager->initialize(document.get(), this, flitView, assessmentView)) {
        manager.reset();
        navigator.reset();
        document.reset();
        refuse(source.getCurrent(), "the engine cannot read this document", false);
        return;
    }
    messages.dismiss();
    reading = eIdle;
    lastWordNode = holdingItem = resumeNode = nullptr;
    counter.reset();
    links = CLinkNotices(document.get());
    status->setPage(0);
    status->setNote(notice);
    chapters = CChapterIndex(*document, *navigator);
    menus->getChapterMenu().rebuild(chapters, !document->getContents().empty());
    const wxString shownName = source.shownName(*document);
    SetTitle(shownName + " - FlitReader");
    const wxString& path = source.getCurrent().path;
    if (!path.empty()) {
        // Absolute, so that the entry still finds the file from another working folder.
        wxFileName absolute(path);
        absolute.MakeAbsolute();
        menus->addRecentFile(absolute.GetFullPath());
    }
    showFlitView();
    flitView->showDefaultBackground();
    flitView->setSpeed(manager->getTargetSpeed());
    flitView->showMessage(
        document->getTitle().empty() ? wxFileName(source.getCurrent().name).GetName() : shownName,
        wxString::Format("%zu words. Press Space to start reading.", navigator->getWordCount()));
    rememberOpened();
    updateStatus();
}

void CReaderFrame::setKeepLineBreaks(bool keep) {
    const bool readsDifferently = source.setKeepLineBreaks(keep);
    GetMenuBar()->Check(ID_KEEP_LINE_BREAKS, keep);
    if (!manager || !readsDifferently) {
        return;
    }
    // The same words either way: reading goes on from the word it was at.
    wxCDataInfoListNode* at = placeNode();
    const size_t word = at == nullptr ? 0 : navigator->wordsBefore(at);
    const eReadingState was = reading;
    if (!openOrigin(source.getCurrent(), false)) {
        return;
    }
    wxCDataInfoListNode* target = at == nullptr ? nullptr : navigator->itemOfWord(word);
    if (target != nullptr) {
        moveTo(target);
    }
    if (was == eReading) {
        togglePause();
    }
}

void CReaderFrame::closeDocument() {
    status->stopUpdates();
    rememberReading();
    sessions.forget();
    if (manager) {
        // Reading stops first; destroying the manager then ends the presentation thread, which
        // must be gone before the document and the windows it posts to.
        sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
        manager.reset();
        // Events the old engine queued refer to the old document: they go with it. (The
        // application's list of handlers with pending events must forget the windows too.)
        for (wxWindow* window : {static_cast<wxWindow*>(this), static_cast<wxWindow*>(flitView),
                                 static_cast<wxWindow*>(assessmentView)}) {
            wxEvtHandler* handler = window->GetEventHandler();
            handler->DeletePendingEvents();
            if (wxTheApp != nullptr) {
                wxTheApp->RemovePendingEventHandler(handler);
            }
        }
    }
    chapters = CChapterIndex();
    links = CLinkNotices();
    navigator.reset();
    document.reset();
    status->forgetDocument();
}

CLibrary* CReaderFrame::getLibrary() {
    return sessions.getLibrary();
}

void CReaderFrame::sayLibraryProblem() {
    const wxString problem = sessions.takeProblem();
    if (!problem.empty()) {
        status->showNote(problem);
    }
}

void CReaderFrame::rememberOpened() {
    long long position = 0;
    const long long words = static_cast<long long>(navigator->getWordCount());
    if (!sessions.opened(source.getCurrent().path, source.shownName(*document), words, &position)) {
        return;
    }
    // The command line's document may be asked to start afresh; those opened later resume.
    const bool fromStart = options.fromStart;
    options.fromStart = false;
    sayLibraryProblem();
    // A finished document starts again at the beginning.
    if (fromStart || position <= 0 || position >= words) {
        return;
    }
    wxCDataInfoListNode* word = navigator->itemOfWord(static_cast<size_t>(position));
    if (word != nullptr) {
        // As a move while stopped: the paused view shows the word in its sentence, and Space
        // reads on from it.
        moveTo(word);
    }
}

void CReaderFrame::rememberReading() {
    if (!manager || !navigator || !sessions.recordsDocument()) {
        return;
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
    long long position = -1;
    if (reading == eFinished) {
        position = static_cast<long long>(navigator->getWordCount());
    } else if (at != nullptr) {
        position = static_cast<long long>(navigator->wordsBefore(at));
    }
    sessions.stopped(counter.getWordsShown(), position);
    sayLibraryProblem();
}

void CReaderFrame::showLibrary() {
    // A document opened from the library leaves reading as that open leaves it.
    CPauseWhileModal pause(this);
    CLibraryDialog dialog(this, getLibrary());
    const int choice = dialog.ShowModal();
    if (choice == CLibraryDialog::ID_SET_ASIDE) {
        wxString error;
        if (!CLibrary::setAside(getLibrary()->getPath(), &error)) {
            wxMessageBox(error, "FlitReader", wxOK | wxICON_ERROR, this);
        }
        sessions.reopen();
        sayLibraryProblem();
    } else if (choice == wxID_OPEN) {
        const wxString& path = dialog.getChosenPath();
        if (!wxFileName::FileExists(path)) {
            showWarning(wxString::Format("Cannot open %s: it no longer exists", path));
        } else {
            openDocument(path);
        }
    }
}
