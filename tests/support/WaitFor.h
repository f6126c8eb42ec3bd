#ifndef FLIT_TESTS_WAITFOR_H
#define FLIT_TESTS_WAITFOR_H

#include <wx/app.h>
#include <wx/utils.h>

#include <chrono>
#include <functional>
#include <thread>

// Generous enough for a loaded CI machine; tests wait on conditions, never on time.
constexpr std::chrono::seconds kDefaultWaitDeadline{30};

// Delivers pending events until the condition holds or the deadline passes; returns whether the
// condition held. The short pauses between rounds only keep the loop from spinning.
inline bool waitFor(const std::function<bool()>& condition,
                    std::chrono::milliseconds deadline = kDefaultWaitDeadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        if (wxTheApp != nullptr) {
            wxTheApp->ProcessPendingEvents();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

#endif
