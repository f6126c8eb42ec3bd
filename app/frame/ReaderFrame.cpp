// The reader's main window: its making, the engine's events, its closing, and what the status
// bar shows of the reading.

#include "frame/ReaderFrame.h"

#include "document/OpeningBar.h"
#include "frame/FlashAhead.h"
#include "frame/ReadAloud.h"
#include "frame/ReaderFrameIds.h"
#include "frame/ReaderKeys.h"
#include "frame/ReaderMenus.h"
#include "frame/ReaderStatus.h"
#include "frame/Screenshot.h"
#include "frame/ViewComfort.h"
#include "frame/WindowPlacement.h"
#include "library/ReaderLibrary.h"
#include "reading/NeighbourWords.h"
#include "reading/ReadingNavigator.h"
#include "view/AssessmentView.h"
#include "view/FindBar.h"
#include "view/FlitView.h"
#include "view/PagePane.h"
#include "view/ProgressStrip.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/outside/DataManager.h>

#include <wx/image.h>
#include <wx/infobar.h>
#include <wx/sizer.h>
#include <wx/sound.h>
#include <wx/statusbr.h>

#include <chrono>
#include <cstdio>
#include <utility>

CReaderFrame::CReaderFrame(SReaderOptions readerOptions,
                           std::chrono::steady_clock::time_point started)
    : wxFrame(nullptr, wxID_ANY, "FlitReader", wxDefaultPosition, wxSize(820, 560)),
      options(std::move(readerOptions)), recorder(started), messages(this),
      settings(options, messages) {
    // Backgrounds and screenshots need the picture formats.
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxInitAllImageHandlers();
    }
    // The frame's own background is the theme's. With the default style each repaint of a child
    // (every flashed word) first sent the frame an erase event, whose drawing context looked up
    // the theme's colours and font: a third of the time a word took to go on screen.
    SetBackgroundStyle(wxBG_STYLE_SYSTEM);
    // Under the message bar (made with the frame), whose refusals do not interrupt reading.
    flitView = new CFlitView(this);
    // Under the flash, shown when chosen (View > Page): it follows the place reading is at, and
    // a click on a word moves there as a jump does.
    pagePane = new CPagePane(this);
    pagePane->Hide();
    pagePane->setPlaceSource([this] { return placeNode(); });
    pagePane->setMoveHandler([this](wxCDataInfoListNode* word) { jumpTo(word); });
    assessmentView = new CAssessmentView(this);
    assessmentView->Hide();
    findBar = new CFindBar(this);
    progress = new CProgressStrip(this);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(messages.getBar(), wxSizerFlags().Expand());
    sizer->Add(flitView, wxSizerFlags(1).Expand());
    sizer->Add(pagePane, wxSizerFlags().Expand());
    sizer->Add(assessmentView, wxSizerFlags(1).Expand());
    sizer->Add(findBar, wxSizerFlags().Expand());
    sizer->Add(progress, wxSizerFlags().Expand());
    SetSizer(sizer);

    status = std::make_unique<CReaderStatus>(this, progress, [this] { onStatusTimer(); });
    readAloud = std::make_unique<CReadAloud>(
        recorder, [this](const wxString& text) { status->sayAwhile(text); });
    readAloud->setOn(options.readAloud, nullptr);
    opener = std::make_unique<CDocumentOpener>(this, options.keepLineBreaks, messages, *status,
                                               openHooks());
    // Under the message bar: what is opening, while it opens.
    sizer->Insert(1, opener->getBar(), wxSizerFlags().Expand());
    library = std::make_unique<CReaderLibrary>(this, *status, messages, options.fromStart);
    screenshot = std::make_unique<CScreenshot>(this, flitView, pagePane, progress);
    // Narrower, the status bar's fields would have no or negative widths, which the toolkit
    // refuses when it redraws them.
    SetMinClientSize(wxSize(kMinClientWidth, kMinClientHeight));
    menus = std::make_unique<CReaderMenus>(this, chapters);
    comfort = std::make_unique<CViewComfort>(this, flitView, assessmentView,
                                             [this] { return reading == eReading; });
    applyPreferences();
    progress->setSeekHandler([this](int value, bool dragged) { seekTo(value, dragged); });
    // Files dropped on the frame or the view are opened.
    opener->acceptDrops(this);
    opener->acceptDrops(flitView);

    bindEngineEvents(this, "frame");
    bindEngineEvents(flitView, "view");
    bindEngineEvents(assessmentView, "assessment");
    keys = std::make_unique<CReaderKeys>(this, *comfort);
    // Where the window was left, once its smallest size is known.
    placement = std::make_unique<CWindowPlacement>(this);
    Bind(wxEVT_CLOSE_WINDOW, &CReaderFrame::onClose, this);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { continueReading(); }, wxID_FORWARD);
    updateStatus();
    const wxString& preferencesProblem = settings.getLoadProblem();
    if (!preferencesProblem.empty()) {
        // Said once the window is up and any document given on the command line is open.
        CallAfter(
            [this, preferencesProblem] { messages.show(preferencesProblem, wxICON_WARNING); });
    }
}

CReaderFrame::~CReaderFrame() {
    closeDocument();
}

void CReaderFrame::bindEngineEvents(wxWindow* window, const char* name) {
    for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
        window->Bind(wxEventTypeTag<CFlitCommandEvent>(*entry.type),
                     [this, name](CFlitCommandEvent& event) { onEngineEvent(name, event); });
    }
}

void CReaderFrame::onEngineEvent(const char* window, CFlitCommandEvent& event) {
    recorder.record(window, event);
    if (!manager) {
        return;
    }
    presentEvent(event);
    if (event.waitsForRender()) {
        // On screen before the engine's display time starts.
        flitView->renderNow();
        if (assessmentView->IsShown()) {
            assessmentView->Update();
        }
        manager->signalGuiThreadRendered(event.getRenderTicket());
        recorder.recordRendered(window);
        if (status->isDue() && event.GetEventType() == EVT_FLIT_COMMAND_WORD_MSG &&
            !event.text.empty()) {
            // The engine now waits out the chunk's display time, the longest wait there is.
            updateStatus();
        }
        if (event.GetEventType() == EVT_FLIT_COMMAND_WORD_MSG && !event.text.empty()) {
            // Meanwhile the view draws the next chunk, which then costs a copy to show.
            const flashAhead::SFlash next = flashAhead::next(event.dataInfoListNode, event.text);
            flitView->prepareChunk(next.text, next.before, next.after);
        }
    }
}
void CReaderFrame::presentChunk(CFlitCommandEvent& event) {
    if (flitView->getNeighboursShown() && !event.text.empty()) {
        // A few items either side of the chunk's: as cheap as the chunk itself.
        const neighbourWords::SAround around =
            neighbourWords::around(event.dataInfoListNode, event.text);
        flitView->setNeighbourWords(around.before, around.after);
    }
    flitView->showChunk(event.text);
    if (event.text.empty()) {
        return;
    }
    wxCDataInfoListNode* node = event.dataInfoListNode;
    counter.count(node, event.text, manager->getWordDisplayLength(),
                  manager->getHyphenation() != nullptr || manager->getChunkCut() != eCutAtLength);
    if (CStartupRamp::endedAt(manager->getCurrentSpeed(), manager->getTargetSpeed())) {
        counter.endRamp();
    }
    if (links.noticeItem(node, event.text, std::chrono::steady_clock::now())) {
        updateStatus();
    }
    if (node != nullptr && node->GetData()->getDataInfoType() == eDITWord) {
        lastWordNode = node;
        moveNotShown = false;
        if (reading == ePaused) {
            // The word in hand when the pause came: the context follows it.
            showPausedContext(lastWordNode);
        }
    }
}

void CReaderFrame::presentEvent(CFlitCommandEvent& event) {
    const int type = event.GetEventType();
    if (type == EVT_FLIT_COMMAND_WORD_MSG) {
        presentChunk(event);
    } else if (type == EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG) {
        flitView->showDefaultBackground();
    } else if (type == EVT_FLIT_COMMAND_BACKGROUND_MSG) {
        flitView->showBackgroundImage(event.text);
    } else if (type == EVT_FLIT_COMMAND_BGRAPHIC_MSG) {
        flitView->showBackgroundImage(event.text);
        if (event.number == 1) {
            onDocumentHold(event.dataInfoListNode);
            if (reading == eHeldByDocument) {
                flitView->showHold("A picture holds reading");
            }
        }
    } else if (type == EVT_FLIT_COMMAND_TEXT_COLOUR_MSG) {
        flitView->setTextColour(event.colour);
    } else if (type == EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG) {
        flitView->resetTextColour();
    } else if (type == EVT_FLIT_COMMAND_STYLE_BOLD_MSG) {
        flitView->setBold(event.number == 1);
    } else if (type == EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG) {
        flitView->setHighlight(event.number == 1);
    } else if (type == EVT_FLIT_COMMAND_PAGE_NUM_MSG) {
        status->setPage(event.number);
        flitView->setPageNumber(event.number);
    } else if (type == EVT_FLIT_COMMAND_SPEED_MSG) {
        flitView->setSpeed(manager->getTargetSpeed());
    } else if (type == EVT_FLIT_COMMAND_SOUND_MSG) {
        wxSound sound;
        if (sound.Create(event.text)) {
            sound.Play(wxSOUND_ASYNC);
        }
    } else if (type == EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG) {
        flitView->flashMarker(wxString::Format("Glossary note %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_COURSE_NOTE_MSG) {
        flitView->flashMarker(wxString::Format("Course note %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_RAPID_NOTE_MSG) {
        presentNote(event.number);
    } else if (type == EVT_FLIT_COMMAND_USER_NOTE_MSG) {
        flitView->flashMarker(wxString::Format("Your note %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_DOGEAR_MSG) {
        flitView->flashMarker(wxString::Format("Dogear %d", event.number));
    } else if (type == EVT_FLIT_COMMAND_ASSESSMENT_MSG) {
        assessmentView->showAssessment("Assessment", event.text);
    } else if (type == EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG) {
        assessmentView->showAssessment("Assessment review",
                                       "Look back over your answers, then continue reading.");
    } else if (type == EVT_FLIT_COMMAND_CHANGE_VIEW_MSG) {
        if (event.number == eViewAssessment) {
            showAssessmentView();
        } else {
            showFlitView();
        }
        onDocumentHold(event.dataInfoListNode);
        if (reading == eHeldByDocument) {
            flitView->showHold("The document paused here");
        }
    } else if (type == EVT_FLIT_COMMAND_STOP_MSG) {
        // The document asks to stop; unattended runs read on.
        if (!options.autoContinue && reading == eReading) {
            stopReading();
        }
    } else if (type == EVT_FLIT_COMMAND_DONE_MSG) {
        onDone();
    }
}

void CReaderFrame::onDone() {
    // The engine stopped by itself; a stop command makes the metrics keep the reading's time.
    sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
    reading = eFinished;
    status->stopUpdates();
    rememberReading();
    const CFlitMetricsData* metrics = manager->getFlitMetricsData();
    const wxString summary = wxString::Format(
        "%s words in %s, %s words per minute", formatCount(counter.getWordsShown()),
        formatDuration(metrics->getDurationInMillisecs()),
        formatCount(counter.achievedSpeed(metrics->getDurationInMillisecs())));
    flitView->showChunk(wxString());
    flitView->showMessage("Finished", summary);
    lastWordNode = nullptr;
    updateStatus();
    if (options.exitWhenDone) {
        std::printf("%s: %s\n", opener->getSource().getCurrent().name.utf8_str().data(),
                    summary.utf8_str().data());
        std::fflush(stdout);
        CallAfter(&CReaderFrame::finishUnattended);
    }
}

void CReaderFrame::finishUnattended() {
    Close(true);
}

void CReaderFrame::onClose(wxCloseEvent&) {
    status->stopUpdates();
    settings.saveWaitingSpeed();
    placement->save();
    screenshot->takeAtClose(options.screenshotPath);
    // Stop, hide, end the engine, then the windows.
    Hide();
    closeDocument();
    Destroy();
}

wxString CReaderFrame::getStatusText(int field) const {
    return GetStatusBar()->GetStatusText(field);
}

int CReaderFrame::getProgress() const {
    return progress->getValue();
}

void CReaderFrame::showWarning(const wxString& warning) {
    messages.show(warning, wxICON_WARNING);
}

void CReaderFrame::showNote(const wxString& note) {
    status->showNote(note);
}

void CReaderFrame::updateStatus() {
    comfort->updatePointer();
    if (opener->opening()) {
        status->showOpening();
        return;
    }
    if (!manager || !navigator) {
        status->showNothingOpen();
        return;
    }
    SStatusSources from;
    from.manager = manager.get();
    from.navigator = navigator.get();
    from.counter = &counter;
    from.links = &links;
    from.chapters = &chapters;
    from.wordLength = settings.get().wordLength;
    from.reading = reading == eReading;
    from.finished = reading == eFinished;
    from.achievedShown = reading == eStopped || reading == eFinished;
    from.chosen = resumeNode;
    from.next = reading == eFinished ? nullptr : positionNode();
    from.speech = readAloud->statusText();
    if (reading == eIdle && resumeNode == nullptr) {
        from.next = document->getFirstNode();
    }
    status->showReading(from);
    flitView->setPageNumber(status->getPage());
}

void CReaderFrame::onStatusTimer() {
    // While words flash, the status waits for the next chunk to be on screen: an update takes
    // a millisecond or more of the GUI thread, and coming before a word or a blank it would
    // hold that back. Once a whole period passed without a chunk, it is done at once.
    if (reading == eReading && !status->isDue()) {
        status->markDue();
        return;
    }
    updateStatus();
}

void CReaderFrame::holdStatusUpdates() {
    // Nothing changes while reading is held but a link notice's moment running out.
    status->stopUpdates();
    const long long left = links.noticeLeftMs(std::chrono::steady_clock::now());
    if (left >= 0) {
        status->updateOnceIn(static_cast<int>(left) + 1);
    }
}
