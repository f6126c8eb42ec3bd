// The reader's main window and its documents: one opening in the background (the document
// open is held, and comes back as it was when the open ends without a new one), shown, read
// again by another line-break rule, and closed.

#include "frame/ReaderFrame.h"

#include "frame/ReadAloud.h"
#include "frame/ReaderFrameIds.h"
#include "frame/ReaderMenus.h"
#include "frame/ReaderStatus.h"
#include "library/ReaderLibrary.h"
#include "preferences/HyphenationLoading.h"
#include "reading/ReadingNavigator.h"
#include "view/AssessmentView.h"
#include "view/FindBar.h"
#include "view/FlitView.h"
#include "view/PagePane.h"

#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/outside/DataManager.h>

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/menu.h>

#include <malloc.h>

#include <utility>

CDocumentOpener::SFrameHooks CReaderFrame::openHooks() {
    CDocumentOpener::SFrameHooks hooks;
    hooks.show = [this](SPreparedDocument prepared) { return showDocument(std::move(prepared)); };
    hooks.rules = [this] { return prepareRules(); };
    hooks.began = [this] { onOpenBegan(); };
    hooks.abandoned = [this] { onOpenAbandoned(); };
    return hooks;
}

void CReaderFrame::onOpenBegan() {
    resumeAfterOpen = false;
    if (reading == eReading) {
        pauseReading();
        resumeAfterOpen = true;
    }
    updateStatus();
}

void CReaderFrame::onOpenAbandoned() {
    const bool resume = resumeAfterOpen;
    resumeAfterOpen = false;
    updateStatus();
    if (resume) {
        continueReading();
    }
}

SPrepareRules CReaderFrame::prepareRules() const {
    // The flash rules applyFlashRules will give the navigator once the document is shown, so
    // that it keeps the times made while the document was read.
    const SPreferences& preferences = settings.get();
    SPrepareRules rules;
    rules.wordLength = preferences.wordLength;
    rules.unit = preferences.count;
    rules.cut = preferences.cutForReading ? eCutForReading : eCutAtLength;
    if (preferences.hyphenate || preferences.cutForReading) {
        // The user's language, else the document's, else the system's (asked here, on the GUI
        // thread); a dictionary not loaded yet is applied once it is.
        const bool chosen = !preferences.language.empty();
        const std::string fallback = preferences.hyphenationLanguage(std::string());
        rules.hyphenation = [chosen, fallback](const std::string& documentLanguage) {
            const std::string& language =
                chosen || documentLanguage.empty() ? fallback : documentLanguage;
            return hyphenationLoading::isReady(language) ? CHyphenation::forLanguage(language)
                                                         : nullptr;
        };
    }
    return rules;
}

bool CReaderFrame::showDocument(SPreparedDocument prepared) {
    closeDocument();
    resumeAfterOpen = false;
    document = std::move(prepared.document);
    // The file's text and the old document are gone: give their pages back to the system, so
    // that a long text leaves the reader no larger than its document.
    malloc_trim(0);
    navigator = std::move(prepared.navigator);
    // From now on other rules or another word length time the words on a worker: the status
    // shows the time left once they are timed.
    navigator->retimeInBackground([this] { CallAfter([this] { updateStatus(); }); });
    manager = std::make_unique<CFlitManager>();
    manager->setTargetSpeed(readAloud->speedFor(settings.get().speed));
    manager->setWordDisplayLength(settings.get().wordLength);
    applyFlashRules();
    CDocumentSource& source = opener->getSource();
    source.adopt(std::move(prepared.origin));
    if (!manager->initialize(document.get(), this, flitView, assessmentView)) {
        manager.reset();
        navigator.reset();
        document.reset();
        opener->refuse(source.getCurrent(), "the engine cannot read this document", false);
        return false;
    }
    readAloud->attach(manager.get(), document->getLanguage(), chosenVoice());
    messages.dismiss();
    reading = eIdle;
    lastWordNode = holdingItem = resumeNode = nullptr;
    pagePane->setDocument(document->getFirstNode());
    counter.reset();
    links = CLinkNotices(document.get());
    status->setPage(0);
    status->setNote(prepared.notice);
    chapters = std::move(prepared.chapters);
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
    rememberOpened(prepared.hash);
    updateStatus();
    return true;
}

void CReaderFrame::closeDocument() {
    status->stopUpdates();
    rememberReading();
    library->forget();
    if (manager) {
        // Reading stops first; destroying the manager then ends the presentation thread, which
        // must be gone before the document and the windows it posts to. The voice goes first.
        readAloud->detach(manager.get());
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
    findBar->forgetDocument();
    chapters = CChapterIndex();
    links = CLinkNotices();
    history.clear();
    navigator.reset();
    pagePane->setDocument(nullptr);
    // Nothing holds the document now: a long one's millions of items end on a worker.
    opener->dispose(std::move(document));
    status->forgetDocument();
}

void CReaderFrame::setKeepLineBreaks(bool keep) {
    const bool readsDifferently = opener->getSource().setKeepLineBreaks(keep);
    GetMenuBar()->Check(ID_KEEP_LINE_BREAKS, keep);
    if (!manager || !readsDifferently) {
        return;
    }
    // The same words either way: reading goes on from the word it was at.
    wxCDataInfoListNode* at = placeNode();
    const size_t word = at == nullptr ? 0 : navigator->wordsBefore(at);
    const eReadingState was = reading;
    if (!opener->reopen()) {
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

void CReaderFrame::rememberOpened(const std::string& hash) {
    const size_t resumeAt =
        library->opened(opener->getSource().getCurrent().path, hash,
                        opener->getSource().shownName(*document), navigator->getWordCount());
    wxCDataInfoListNode* word = resumeAt == 0 ? nullptr : navigator->itemOfWord(resumeAt);
    // Nothing remembered: a book opens at the start of its body (past its cover, title page and
    // contents) when it says where that is; Home still goes to the very beginning.
    if (resumeAt == 0 && document->getBodyStart() != 0) {
        word = document->getFirstNode();
        for (size_t index = 0; word != nullptr && index < document->getBodyStart(); ++index) {
            word = word->GetNext();
        }
        while (word != nullptr && word->GetData()->getDataInfoType() != eDITWord) {
            word = word->GetNext();
        }
    }
    if (word != nullptr) {
        // As a jump while stopped: the paused view shows the word in its sentence, Space reads
        // on from it, and Back returns to the beginning.
        jumpTo(word);
    }
}
