#include "TestHost.h"

#include <flitengine/engine/FlitManager.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/window.h>

#include <algorithm>
#include <thread>

CTestHost::CTestHost() {
    windows[eMainFrame] =
        new wxFrame(nullptr, wxID_ANY, "FlitEngine test host", wxDefaultPosition, wxSize(640, 480));
    windows[eFlitView] = new wxWindow(windows[eMainFrame], wxID_ANY, {0, 0}, {640, 400});
    windows[eAssessmentView] = new wxWindow(windows[eMainFrame], wxID_ANY, {0, 400}, {640, 80});
    for (int which : {eMainFrame, eFlitView, eAssessmentView}) {
        // Every type the engine publishes, so that a window records whatever reaches it.
        for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
            windows[which]->Bind(wxEventTypeTag<CFlitCommandEvent>(*entry.type),
                                 [this, which](CFlitCommandEvent& event) { record(which, event); });
        }
    }
    windows[eMainFrame]->Show();
}

CTestHost::~CTestHost() {
    // Events still queued for the windows go with them.
    delete windows[eMainFrame];
}

void CTestHost::record(int window, CFlitCommandEvent& event) {
    const long ticket = event.getRenderTicket();
    recorded.push_back({window, event.GetEventType(), event.text, event.number, event.colour,
                        event.dataInfoListNode, event.waitsForRender(), ticket});
    if (event.waitsForRender() && rendersHeld) {
        ++heldRenders;
    } else if (event.waitsForRender()) {
        dueRenders.emplace_back(std::chrono::steady_clock::now() + renderDelay, ticket);
    }
    signalDueRenders();
}

void CTestHost::signalDueRenders() {
    while (!dueRenders.empty() && dueRenders.front().first <= std::chrono::steady_clock::now()) {
        if (attachedManager != nullptr && rendersQueued) {
            attachedManager->signalGuiThreadQueued(dueRenders.front().second);
        } else if (attachedManager != nullptr) {
            attachedManager->signalGuiThreadRendered(dueRenders.front().second);
        }
        dueRenders.pop_front();
    }
}

void CTestHost::releaseHeldRenders() {
    for (; heldRenders > 0; --heldRenders) {
        if (attachedManager != nullptr) {
            attachedManager->signalGuiThreadRendered();
        }
    }
}

size_t CTestHost::countOf(int type) const {
    return static_cast<size_t>(
        std::count_if(recorded.begin(), recorded.end(),
                      [type](const SRecordedEvent& e) { return e.type == type; }));
}

void CTestHost::send(CFlitManager& manager, int type, wxCDataInfoListNode* node) {
    CFlitCommandEvent event(type);
    event.dataInfoListNode = node;
    manager.ProcessEvent(event);
}

bool CTestHost::waitFor(const std::function<bool()>& predicate,
                        std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;; std::this_thread::sleep_for(std::chrono::microseconds(200))) {
        wxTheApp->ProcessPendingEvents();
        signalDueRenders();
        const bool holds = predicate();
        if (holds || std::chrono::steady_clock::now() >= end) {
            return holds;
        }
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
