#include "frame/ReaderFrame.h"

#include "frame/ReaderFrameIds.h"
#include "reading/ReadingNavigator.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"
#include "view/ProgressStrip.h"

#include <flitengine/debug/FEDebugDlg.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/Utf8.h>

#include <wx/aboutdlg.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choicdlg.h>
#include <wx/clipbrd.h>
#include <wx/config.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/infobar.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/numdlg.h>
#include <wx/sizer.h>
#include <wx/sound.h>
#include <wx/statusbr.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// Files dropped on the reader's windows: the first is opened once the drop is over.
class CDocumentDropTarget : public wxFileDropTarget {
public:
    explicit CDocumentDropTarget(CReaderFrame* readerFrame) : frame(readerFrame) {}

    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
        if (files.empty()) {
            return false;
        }
        const wxString& path = files[0];
        frame->CallAfter([frame = frame, path] { frame->openDocument(path); });
        return true;
    }

private:
    CReaderFrame* frame;
};

} // namespace

bool CReaderFrame::openRecord(const wxString& path, wxString* error) {
    return recorder.open(path, error);
}

bool CReaderFrame::openDocument(const wxString& path, bool quiet) {
    SSource from;
    if (path == "-") {
        from.name = from.subject = from.label = "standard input";
        from.fromBytes = true;
        wxString reason;
        if (!CDocumentImporter::readStandardInput(&from.bytes, &reason)) {
            refuse(from, reason, quiet);
            return false;
        }
    } else {
        from.path = path;
        from.name = from.subject = wxFileName(path).GetFullName();
    }
    return openSource(std::move(from), quiet);
}

bool CReaderFrame::pasteDocument() {
    SSource from;
    from.name = "Clipboard text";
    from.subject = "the clipboard's text";
    from.label = "clipboard";
    from.fromBytes = true;
    if (wxTheClipboard->Open()) {
        wxTextDataObject text;
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) && wxTheClipboard->GetData(text)) {
            // The buffer may point into the string: the string must outlive it.
            const wxString pasted = text.GetText();
            const wxScopedCharBuffer utf8 = pasted.utf8_str();
            from.bytes.assign(utf8.data(), utf8.length());
        }
        wxTheClipboard->Close();
    }
    if (wxString::FromUTF8(from.bytes).Strip(wxString::both).empty()) {
        showNote("The clipboard holds no text to read");
        return false;
    }
    return openSource(std::move(from), false);
}

bool CReaderFrame::openSource(SSource from, bool quiet) {
    CDocumentImporter importer;
    importer.setKeepLineBreaks(keepLineBreaks);
    std::unique_ptr<CDataManager> imported =
        from.fromBytes ? importer.importBytes(from.bytes.data(), from.bytes.size(),
                                              CDocumentImporter::eAutomatic, from.label, wxGetCwd())
                       : importer.importFile(from.path);
    if (!imported) {
        refuse(from, importer.getError(), quiet);
        return false;
    }
    from.format = importer.getFormat();
    showDocument(std::move(imported), std::move(from), importer.getNotice());
    return document != nullptr;
}

void CReaderFrame::openImported(std::unique_ptr<CDataManager> imported, const wxString& name) {
    SSource from;
    from.name = from.subject = name;
    from.fromBytes = true;
    showDocument(std::move(imported), std::move(from), wxString());
}

void CReaderFrame::refuse(const SSource& from, const wxString& error, bool quiet) {
    if (quiet) {
        std::fprintf(stderr, "flitreader: %s: %s\n",
                     (from.path.empty() ? from.subject : from.path).utf8_str().data(),
                     error.utf8_str().data());
        return;
    }
    // One message at a time: a new refusal replaces the last.
    refusal = wxString::Format("Cannot open %s: %s", from.subject, error);
    infoBar->ShowMessage(refusal, wxICON_ERROR);
}

wxString CReaderFrame::getRefusal() const {
    return infoBar->IsShown() ? refusal : wxString();
}

void CReaderFrame::showDocument(std::unique_ptr<CDataManager> imported, SSource from,
                                const wxString& notice) {
    closeDocument();
    document = std::move(imported);
    // The file's text and the old document are gone: give their pages back to the system, so
    // that a long text leaves the reader no larger than its document.
    malloc_trim(0);
    navigator = std::make_unique<CReadingNavigator>(document.get());
    manager = std::make_unique<CFlitManager>();
    manager->setTargetSpeed(preferences.speed);
    manager->setWordDisplayLength(wordDisplayLength);
    applyFlashRules();
    source = std::move(from);
    if (!manager->initialize(document.get(), this, flitView, assessmentView)) {
        manager.reset();
        navigator.reset();
        document.reset();
        refuse(source, "the engine cannot read this document", false);
        return;
    }
    infoBar->Dismiss();
    reading = eIdle;
    lastWordNode = holdingItem = resumeNode = shownNode = nullptr;
    wordsShown = wordOfItem = 0;
    lastChunk.clear();
    pageNumber = 0;
    note = notice;
    markChapters();
    rebuildChapterMenu();
    const wxString shownName = document->getTitle().empty() ? source.name : document->getTitle();
    SetTitle(shownName + " - FlitReader");
    if (!source.path.empty()) {
        // Absolute, so that the entry still finds the file from another working folder.
        wxFileName absolute(source.path);
        absolute.MakeAbsolute();
        fileHistory.AddFileToHistory(absolute.GetFullPath());
        fileHistory.Save(*wxConfigBase::Get());
    }
    showFlitView();
    flitView->showDefaultBackground();
    flitView->setSpeed(manager->getTargetSpeed());
    flitView->showMessage(
        document->getTitle().empty() ? wxFileName(source.name).GetName() : shownName,
        wxString::Format("%zu words. Press Space to start reading.", navigator->getWordCount()));
    rememberOpened();
    updateStatus();
}

void CReaderFrame::setKeepLineBreaks(bool keep) {
    keepLineBreaks = keep;
    GetMenuBar()->Check(ID_KEEP_LINE_BREAKS, keep);
    if (!manager || source.format != CDocumentImporter::ePlainText) {
        return;
    }
    // The same words either way: reading goes on from the word it was at.
    wxCDataInfoListNode* at = resumeNode ? resumeNode : lastWordNode;
    const size_t word = at == nullptr ? 0 : navigator->wordsBefore(at);
    const eReadingState was = reading;
    if (!openSource(source, false)) {
        return;
    }
    wxCDataInfoListNode* target = at == nullptr ? nullptr : nodeOfWord(word);
    if (target != nullptr) {
        moveTo(target);
    }
    if (was == eReading) {
        togglePause();
    }
}

void CReaderFrame::showNote(const wxString& text) {
    note = text;
    SetStatusText(note, eFieldChapter);
}

void CReaderFrame::closeDocument() {
    statusTimer.Stop();
    rememberReading();
    documentHash.clear();
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
    navigator.reset();
    document.reset();
    shownCounted = nullptr;
    linkAddress.clear();
    announcedAttachment = nullptr;
}

void CReaderFrame::acceptDroppedFiles() {
    SetDropTarget(new CDocumentDropTarget(this));
    flitView->SetDropTarget(new CDocumentDropTarget(this));
}
