#include "frame/ReaderFrame.h"

#include "frame/ReaderFrameIds.h"
#include "library/Library.h"
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

CReaderFrame::CReaderFrame(SReaderOptions readerOptions,
                           std::chrono::steady_clock::time_point started)
    : wxFrame(nullptr, wxID_ANY, "FlitReader", wxDefaultPosition, wxSize(820, 560)),
      options(std::move(readerOptions)), recorder(started), keepLineBreaks(options.keepLineBreaks) {
    // Backgrounds and screenshots need the picture formats.
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxInitAllImageHandlers();
    }
    // What the command line asks for holds for this run; it is saved with the next preference
    // the user changes.
    wxString preferencesProblem = userPreferences::takeProblem();
    wxString valuesProblem;
    preferences = userPreferences::load(*wxConfigBase::Get(), &valuesProblem);
    if (preferencesProblem.empty()) {
        preferencesProblem = valuesProblem;
    }
    if (options.wpm > 0) {
        preferences.speed = static_cast<unsigned int>(options.wpm);
    }
    if (options.wordLengthGiven) {
        preferences.wordLength = static_cast<unsigned int>(options.wordLength);
    }
    options.overrideFlashRules(&preferences);
    wordDisplayLength = preferences.wordLength;

    // The frame's own background is the theme's. With the default style each repaint of a child
    // (every flashed word) first sent the frame an erase event, whose drawing context looked up
    // the theme's colours and font: a third of the time a word took to go on screen.
    SetBackgroundStyle(wxBG_STYLE_SYSTEM);
    // Refusals show in a bar at the top that does not interrupt reading.
    infoBar = new wxInfoBar(this);
    flitView = new CFlitView(this);
    assessmentView = new CAssessmentView(this);
    assessmentView->Hide();
    progress = new CProgressStrip(this);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(infoBar, wxSizerFlags().Expand());
    sizer->Add(flitView, wxSizerFlags(1).Expand());
    sizer->Add(assessmentView, wxSizerFlags(1).Expand());
    sizer->Add(progress, wxSizerFlags().Expand());
    SetSizer(sizer);

    CreateStatusBar(eFieldCount);
    const int widths[eFieldCount] = {-2, -2, -3, -2, -3, -4};
    GetStatusBar()->SetStatusWidths(eFieldCount, widths);
    // Narrower, the status bar's fields would have no or negative widths, which the toolkit
    // refuses when it redraws them.
    SetMinClientSize(wxSize(kMinClientWidth, kMinClientHeight));
    createMenus();
    applyPreferences();
    setUpComfort();
    acceptDroppedFiles();

    bindEngineEvents(this, "frame");
    bindEngineEvents(flitView, "view");
    bindEngineEvents(assessmentView, "assessment");
    Bind(wxEVT_CHAR_HOOK, &CReaderFrame::onCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &CReaderFrame::onClose, this);
    statusTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { onStatusTimer(); });
    speedSaveTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { savePreferences(); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { continueReading(); }, wxID_FORWARD);
    updateStatus();
    if (!preferencesProblem.empty()) {
        // Said once the window is up and any document given on the command line is open.
        CallAfter([this, preferencesProblem] {
            refusal = preferencesProblem;
            infoBar->ShowMessage(refusal, wxICON_WARNING);
        });
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

void CReaderFrame::sendCommand(int type, wxCDataInfoListNode* node) {
    if (!manager) {
        return;
    }
    CFlitCommandEvent command(type);
    command.dataInfoListNode = node;
    manager->ProcessEvent(command);
}

void CReaderFrame::sendRestartingCommand(int type, wxCDataInfoListNode* node) {
    if (type == EVT_FLIT_COMMAND_START_MSG) {
        // A start measures a new reading, as the engine's metrics do.
        wordsShown = 0;
    }
    if (type != EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG) {
        // Read from here on, the chapter tells more than a note about the opening.
        note.clear();
    }
    // The position is the node reading goes on from until its first word shows. A move while
    // reading lets the word in hand finish first: its chunks still count as one word.
    if (type != EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG) {
        shownNode = node;
        wordOfItem = 0;
        lastChunk.clear();
    }
    rampRunning = true;
    sendCommand(type, node);
    if (type != EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG) {
        beginSession();
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
        if (statusDue && event.GetEventType() == EVT_FLIT_COMMAND_WORD_MSG && !event.text.empty()) {
            // The engine now waits out the chunk's display time, the longest wait there is.
            updateStatus();
        }
    }
}

void CReaderFrame::onStatusTimer() {
    // While words flash, the status waits for the next chunk to be on screen: an update takes
    // a millisecond or more of the GUI thread, and coming before a word or a blank it would
    // hold that back. Once a whole period passed without a chunk, it is done at once.
    if (reading == eReading && !statusDue) {
        statusDue = true;
        return;
    }
    updateStatus();
}

void CReaderFrame::presentEvent(CFlitCommandEvent& event) {
    const int type = event.GetEventType();
    if (type == EVT_FLIT_COMMAND_WORD_MSG) {
        flitView->showChunk(event.text);
        if (!event.text.empty()) {
            countShownChunk(event);
            noticeItem(event);
        }
        if (!event.text.empty() && event.dataInfoListNode != nullptr &&
            event.dataInfoListNode->GetData()->getDataInfoType() == eDITWord) {
            lastWordNode = event.dataInfoListNode;
            if (reading == ePaused) {
                // The word in hand when the pause came: the context follows it.
                showPausedContext(lastWordNode);
            }
        }
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
        pageNumber = event.number;
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
        flitView->flashMarker(wxString::Format("Rapid note %d", event.number));
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

void CReaderFrame::onDocumentHold(wxCDataInfoListNode* item) {
    if (reading != eReading) {
        return;
    }
    reading = eHeldByDocument;
    holdingItem = item;
    rememberReading();
    if (options.autoContinue) {
        continueReading();
    } else {
        holdStatusUpdates();
        updateStatus();
    }
}

void CReaderFrame::onDone() {
    // The engine stopped by itself; a stop command makes the metrics keep the reading's time.
    sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
    reading = eFinished;
    statusTimer.Stop();
    rememberReading();
    const CFlitMetricsData* metrics = manager->getFlitMetricsData();
    const wxString summary = wxString::Format(
        "%s words in %s, %s words per minute", formatCount(wordsShown),
        formatDuration(metrics->getDurationInMillisecs()), formatCount(achievedSpeed()));
    flitView->showChunk(wxString());
    flitView->showMessage("Finished", summary);
    lastWordNode = nullptr;
    updateStatus();
    if (options.exitWhenDone) {
        std::printf("%s: %s\n", source.name.utf8_str().data(), summary.utf8_str().data());
        std::fflush(stdout);
        CallAfter(&CReaderFrame::finishUnattended);
    }
}

void CReaderFrame::finishUnattended() {
    Close(true);
}

void CReaderFrame::startFromBeginning() {
    if (!manager) {
        return;
    }
    showFlitView();
    flitView->clearOverlay();
    lastWordNode = holdingItem = resumeNode = nullptr;
    reading = eReading;
    sendRestartingCommand(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    statusTimer.Start(static_cast<int>(CFlitManager::kTimerDelayInMilliseconds));
    updateStatus();
}

void CReaderFrame::togglePause() {
    switch (reading) {
    case eReading:
        pauseReading();
        break;
    case ePaused:
    case eHeldByDocument:
        continueReading();
        break;
    case eStopped:
    case eIdle:
    case eFinished:
        if (!manager) {
            return;
        }
        // A new reading, measured afresh, from the position the user chose or the beginning.
        {
            wxCDataInfoListNode* from =
                reading == eStopped || resumeNode != nullptr ? positionNode() : nullptr;
            if (from == nullptr) {
                startFromBeginning();
                return;
            }
            showFlitView();
            flitView->clearOverlay();
            resumeNode = holdingItem = nullptr;
            reading = eReading;
            sendRestartingCommand(EVT_FLIT_COMMAND_START_MSG, from);
            statusTimer.Start(static_cast<int>(CFlitManager::kTimerDelayInMilliseconds));
            updateStatus();
        }
        break;
    }
}

void CReaderFrame::pauseReading() {
    if (reading != eReading) {
        return;
    }
    sendCommand(EVT_FLIT_COMMAND_PAUSE_MSG, nullptr);
    reading = ePaused;
    holdStatusUpdates();
    rememberReading();
    showPausedContext(lastWordNode);
    updateStatus();
}

void CReaderFrame::continueReading() {
    if (!manager || (reading != ePaused && reading != eHeldByDocument)) {
        return;
    }
    wxCDataInfoListNode* from = positionNode();
    showFlitView();
    flitView->clearOverlay();
    resumeNode = holdingItem = nullptr;
    reading = eReading;
    sendRestartingCommand(EVT_FLIT_COMMAND_CONTINUE_MSG, from);
    statusTimer.Start(static_cast<int>(CFlitManager::kTimerDelayInMilliseconds));
    updateStatus();
}

void CReaderFrame::stopReading() {
    if (reading != eReading && reading != ePaused && reading != eHeldByDocument) {
        return;
    }
    sendCommand(EVT_FLIT_COMMAND_STOP_MSG, nullptr);
    reading = eStopped;
    statusTimer.Stop();
    rememberReading();
    showFlitView();
    showPausedContext(positionNode());
    updateStatus();
}

void CReaderFrame::showFlitView() {
    if (assessmentView->IsShown()) {
        assessmentView->Hide();
        flitView->Show();
        Layout();
    }
}

void CReaderFrame::showAssessmentView() {
    if (!assessmentView->IsShown()) {
        flitView->Hide();
        assessmentView->Show();
        Layout();
        assessmentView->getContinueButton()->SetFocus();
    }
}

void CReaderFrame::onClose(wxCloseEvent&) {
    statusTimer.Stop();
    if (speedSaveTimer.IsRunning()) {
        speedSaveTimer.Stop();
        savePreferences();
    }
    if (!options.screenshotPath.empty() && !screenshotTaken) {
        wxString error;
        if (!saveScreenshot(options.screenshotPath, &error)) {
            std::fprintf(stderr, "flitreader: %s\n", error.utf8_str().data());
        }
    }
    // Stop, hide, end the engine, then the windows.
    Hide();
    closeDocument();
    Destroy();
}
