#include "TestHost.h"

#include "engine/FlitManager.h"
#include "timing/FlitWordCalcs.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/window.h>

#include <algorithm>
#include <thread>

namespace {

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
        // Every type the engine publishes, so that a window records whatever reaches it.
        for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
            const int windowId = which;
            window->Bind(wxEventTypeTag<CFlitCommandEvent>(*entry.type),
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
                        event.number, event.colour, event.dataInfoListNode, event.waitsForRender(),
                        event.getRenderTicket()});
    if (!event.waitsForRender()) {
        return;
    }
    if (rendersHeld) {
        ++heldRenders;
    } else if (renderDelay.count() == 0) {
        if (attachedManager != nullptr) {
            attachedManager->signalGuiThreadRendered(event.getRenderTicket());
        }
    } else {
        dueRenders.push_back(
            {std::chrono::steady_clock::now() + renderDelay, event.getRenderTicket()});
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

std::vector<wxString> CTestHost::wordTexts() const {
    std::vector<wxString> texts;
    for (const SRecordedEvent& event : eventsOfType(EVT_FLIT_COMMAND_WORD_MSG)) {
        texts.push_back(event.text);
    }
    return texts;
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
    while (!dueRenders.empty() && dueRenders.front().due <= now) {
        const long ticket = dueRenders.front().ticket;
        dueRenders.pop_front();
        if (attachedManager != nullptr) {
            attachedManager->signalGuiThreadRendered(ticket);
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
