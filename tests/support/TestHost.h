#ifndef FLIT_TESTS_TESTHOST_H
#define FLIT_TESTS_TESTHOST_H

#include <flitengine/engine/FlitCommandEvent.h>

#include <wx/colour.h>
#include <wx/string.h>

#include <chrono>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

class CFlitManager;
class wxWindow;

// One event as a host window received it.
struct SRecordedEvent {
    int window; // CTestHost::eHostWindow
    int type;
    wxString text;
    int number;
    wxColour colour;
    wxCDataInfoListNode* node;
    bool waitedFor;
    long ticket;
};

// A host for engine tests: a real frame with the three host windows (the frame itself is the
// main frame window), each recording every engine event it receives. After recording an event
// the engine waits for, it calls signalGuiThreadRendered with the event's ticket, at once or
// after a render delay; the delay defers the signal and never blocks the GUI thread. Renders can
// also be held back entirely, to leave the presentation thread blocked in the handshake; held
// renders are released with the call without a ticket, once each, as a simple host does.
//
// Events arrive only while the GUI thread pumps them: use waitFor.
class CTestHost {
public:
    enum eHostWindow { eMainFrame, eFlitView, eAssessmentView };

    CTestHost();
    ~CTestHost();
    CTestHost(const CTestHost&) = delete;
    CTestHost& operator=(const CTestHost&) = delete;

    wxWindow* mainFrame() const { return windows[eMainFrame]; }
    wxWindow* flitView() const { return windows[eFlitView]; }
    wxWindow* assessmentView() const { return windows[eAssessmentView]; }

    // The manager to signal; null stops the signals (set it before destroying the manager).
    void attach(CFlitManager* manager) { attachedManager = manager; }
    void setRenderDelay(std::chrono::milliseconds delay) { renderDelay = delay; }
    // While held, waited-for events are recorded but not signalled.
    void holdRenders(bool hold) { rendersHeld = hold; }
    // While set, renders are signalled as queued for their time, as a compositor does.
    void queueRenders(bool queue) { rendersQueued = queue; }
    int heldRenderCount() const { return heldRenders; }
    // Signals every held render now.
    void releaseHeldRenders();

    const std::vector<SRecordedEvent>& events() const { return recorded; }
    size_t countOf(int type) const;
    void clearEvents() { recorded.clear(); }

    // Sends a command event to the manager the way a host does, synchronously on this thread.
    void send(CFlitManager& manager, int type, wxCDataInfoListNode* node = nullptr);

    // Pumps events until the predicate holds or the deadline passes; returns the predicate's
    // last value.
    bool waitFor(const std::function<bool()>& predicate,
                 std::chrono::milliseconds deadline = std::chrono::seconds(20));
    // Pumps events for a while, to let anything still in flight arrive.
    void pumpFor(std::chrono::milliseconds duration);

private:
    void record(int window, CFlitCommandEvent& event);
    // Signals the renders whose delay has passed.
    void signalDueRenders();

    wxWindow* windows[3];
    CFlitManager* attachedManager = nullptr;
    std::chrono::milliseconds renderDelay{0};
    bool rendersHeld = false;
    bool rendersQueued = false;
    int heldRenders = 0;
    // The tickets of the renders to signal, each with the moment it is due, in that order.
    std::deque<std::pair<std::chrono::steady_clock::time_point, long>> dueRenders;
    std::vector<SRecordedEvent> recorded;
};

// Makes every timing zero while it lives (all percentages of the process-wide table set to 0),
// so engine tests run at full speed; restores the default table afterwards.
class CZeroTimingTable {
public:
    CZeroTimingTable();
    ~CZeroTimingTable();
};

#endif
