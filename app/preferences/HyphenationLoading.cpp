#include "preferences/HyphenationLoading.h"

#include "frame/ReaderFrame.h"

#include <flitengine/engine/Hyphenation.h>

#include <wx/app.h>
#include <wx/toplevel.h>

#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

// The loads running. A process that ends without finish (a test's window) waits for them as it
// exits, rather than ending with a thread still running.
struct SLoads {
    std::vector<std::thread> threads;
    SLoads() = default;
    SLoads(const SLoads&) = delete;
    SLoads& operator=(const SLoads&) = delete;
    ~SLoads() {
        for (std::thread& load : threads) {
            load.join();
        }
    }
};

std::mutex loadsMutex;
SLoads loads;
std::set<std::string> started;

// Runs on the GUI thread once a dictionary has loaded. Windows are found afresh, so a window
// closed in the meantime is not touched.
void applyEverywhere() {
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* frame = dynamic_cast<CReaderFrame*>(window)) {
            frame->applyFlashRules();
        }
    }
}

} // namespace

namespace hyphenationLoading {

bool isReady(const std::string& tag) {
    return CHyphenation::isResolved(tag);
}

void start(const std::string& tag) {
    std::lock_guard<std::mutex> lock(loadsMutex);
    if (!started.insert(tag).second) {
        return;
    }
    loads.threads.emplace_back([tag] {
        CHyphenation::forLanguage(tag);
        if (wxTheApp != nullptr) {
            wxTheApp->CallAfter([] { applyEverywhere(); });
        }
    });
}

void finish() {
    std::vector<std::thread> running;
    {
        std::lock_guard<std::mutex> lock(loadsMutex);
        running.swap(loads.threads);
    }
    for (std::thread& load : running) {
        load.join();
    }
}

} // namespace hyphenationLoading
