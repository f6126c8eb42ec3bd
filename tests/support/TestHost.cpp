#include "TestHost.h"

#include "engine/FlitManager.h"
#include "timing/FlitWordCalcs.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/window.h>

#include <algorithm>
#include <thread>

namespace {

// Every event type the engine publishes, so that a window records whatever reaches it.
const int* const kAllEventTypes[] = {
    &EVT_FLIT_COMMAND_DONE_MSG,
    &EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG,
    &EVT_FLIT_COMMAND_BACKGROUND_MSG,
    &EVT_FLIT_COMMAND_TEXT_COLOUR_MSG,
    &EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG,
    &EVT_FLIT_COMMAND_WORD_MSG,
    &EVT_FLIT_COMMAND_VIDEO_MSG,
    &EVT_FLIT_COMMAND_SOUND_MSG,
    &EVT_FLIT_COMMAND_CHANGE_VIEW_MSG,
    &EVT_FLIT_COMMAND_ASSESSMENT_MSG,
    &EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG,
    &EVT_FLIT_COMMAND_BGRAPHIC_MSG,
    &EVT_FLIT_COMMAND_COURSE_NOTE_MSG,
    &EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG,
    &EVT_FLIT_COMMAND_RAPID_NOTE_MSG,
    &EVT_FLIT_COMMAND_USER_NOTE_MSG,
    &EVT_FLIT_COMMAND_DOGEAR_MSG,
    &EVT_FLIT_COMMAND_PAGE_NUM_MSG,
    &EVT_FLIT_COMMAND_SPEED_MSG,
    &EVT_FLIT_COMMAND_STYLE_BOLD_MSG,
    &EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG,
    &EVT_FLIT_COMMAND_START_MSG,
    &EVT_FLIT_COMMAND_PAUSE_MSG,
    &EVT_FLIT_COMMAND_CONTINUE_MSG,
    &EVT_FLIT_COMMAND_STOP_MSG,
    &EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG,
    &EVT_FLIT_COMMAND_RETURN_TO_PREVIOUS_APP_MSG,
};

const auto kPumpInterval = std::chrono::microseconds(200);

} // namespace

CTestHost::CTestHost() {
    frame =
        new wxFrame(nullptr, wxID_ANY, "FlitEngine test host", wxDefaultPosition, wxSize(640, 480));
    flitViewWindow = new wxWindow(frame, wxID_ANY, wxPoint(0, 0), wxSize(640, 400));
    assessmentViewWindow = new wxWindow(frame, wxID_ANY, wxPoint(0, 400), wxSize(640, 80));
    const std::pair<wxWindow*, int> windows[] = {
        {frame, eMainFrame}, {flitViewWindow, eFlitView}, {assessmentViewWindow, eAssessmentView}};
    for (const auto& [window, which] : windows) {
        for (const int* type : kAllEventTypes) {
            const int windowId = which;
            window->Bind(wxEventTypeTag<CFlitCommandEvent>(*type),
                         [this, windowId](CFlitCommandEvent& event) { record(windowId, event); });
        }
    }
    frame->Show();
}

CTestHost::~CTestHost() {
    // Events still queued for the windows go with them.
    delete frame;
}

wxWindow* CTestHost::mainFrame() const {
    return frame;
}

void CTestHost::record(int window, CFlitCommandEvent& event) {
    recorded.push_back({std::chrono::steady_clock::now(), window, event.GetEventType(), event.text,
                        event.number, event.colour, event.dataInfoListNode,
                        event.waitsForRender()});
    if (!event.waitsForRender()) {
        return;
    }
    if (rendersHeld) {
        ++heldRenders;
    } else if (renderDelay.count() == 0) {
        if (attachedManager != nullptr) {
            attachedManager->signalGuiThreadRendered();
        }
    } else {
        dueRenders.push_back(std::chrono::steady_clock::now() + renderDelay);
    }
}

void CTestHost::releaseHeldRenders() {
    for (; heldRenders > 0; --heldRenders) {
        if (attachedManager != nullptr) {
            attachedManager->signalGuiThreadRendered();
        }
    }
}

std::vector<SRecordedEvent> CTestHost::eventsOfType(int type) const {
    std::vector<SRecordedEvent> found;
    std::copy_if(recorded.begin(), recorded.end(), std::back_inserter(found),
                 [type](const SRecordedEvent& event) { return event.type == type; });
    return found;
}

size_t CTestHost::countOf(int type) const {
    return static_cast<size_t>(
        std::count_if(recorded.begin(), recorded.end(),
                      [type](const SRecordedEvent& event) { return event.type == type; }));
}

void CTestHost::send(CFlitManager& manager, int type, wxCDataInfoListNode* node) {
    CFlitCommandEvent event(type);
    event.dataInfoListNode = node;
    manager.ProcessEvent(event);
}

void CTestHost::pumpOnce() {
    wxTheApp->ProcessPendingEvents();
    const auto now = std::chrono::steady_clock::now();
    while (!dueRenders.empty() && dueRenders.front() <= now) {
        dueRenders.pop_front();
        if (attachedManager != nullptr) {
            attachedManager->signalGuiThreadRendered();
        }
    }
}

bool CTestHost::waitFor(const std::function<bool()>& predicate,
                        std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        pumpOnce();
        if (predicate()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(kPumpInterval);
    }
}

void CTestHost::pumpFor(std::chrono::milliseconds duration) {
    waitFor([] { return false; }, duration);
}

CZeroTimingTable::CZeroTimingTable() {
    for (CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
        // Field 0 is the speed; the rest are percentages.
        for (int field = 1; field < CTimingTableData::kFieldCount; ++field) {
            row.*CTimingTableData::kFields[field] = 0;
        }
    }
}

CZeroTimingTable::~CZeroTimingTable() {
    CFlitWordCalcs::restoreDefaultTimingTable();
}
