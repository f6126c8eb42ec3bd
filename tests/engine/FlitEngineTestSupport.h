#ifndef FLIT_TESTS_ENGINE_FLITENGINETESTSUPPORT_H
#define FLIT_TESTS_ENGINE_FLITENGINETESTSUPPORT_H

#include "engine/FlitManager.h"
#include "engine/FlitViewThread.h"
#include "outside/DataManager.h"
#include "support/TestHost.h"
#include "support/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// A manager that lets tests wake the waiting thread without a render signal, make the creation
// of its thread fail, and see every sleep the thread asks for.
class CTestableManager : public CFlitManager {
public:
    void spuriousRenderWake() {
        wxMutexLocker lock(renderedMutex);
        renderedCondition.Broadcast();
    }

    bool failThreadCreation = false;
    CFlitViewThread::SleepObserver sleepObserver;

protected:
    wxThreadError createThread(CFlitViewThread& thread) override {
        thread.setSleepObserver(sleepObserver);
        return failThreadCreation ? wxTHREAD_NO_RESOURCE : CFlitManager::createThread(thread);
    }
};

// A sleep the thread asked for: milliseconds, and what they count from.
using SSleep = std::pair<long, CFlitViewThread::eSleepAnchor>;
const CFlitViewThread::eSleepAnchor kFromRender = CFlitViewThread::eFromRender;
const CFlitViewThread::eSleepAnchor kFromPost = CFlitViewThread::eFromPost;

// How long to keep pumping, once everything expected has arrived, to see that nothing more
// comes where no later event can show that the engine has moved on.
const std::chrono::milliseconds kQuietPeriod(200);

// An engine on a document in the test host, with the default timing table; every sleep the
// thread asks for is recorded and, unless skipSleeps is cleared, skipped.
class EngineTest : public testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { destroyManager(); }

    // A new empty document and a new manager on it; no event or sleep seen yet.
    void reset() {
        destroyManager();
        host.clearEvents();
        requestedSleeps.clear();
        document = std::make_unique<CDataManager>();
        manager = std::make_unique<CTestableManager>();
        manager->sleepObserver = [this](long milliseconds, CFlitViewThread::eSleepAnchor from) {
            std::lock_guard<std::mutex> lock(sleepsMutex);
            requestedSleeps.emplace_back(milliseconds, from);
            return skipSleeps.load();
        };
        host.attach(manager.get());
    }

    bool initialize() {
        return manager->initialize(document.get(), host.mainFrame(), host.flitView(),
                                   host.assessmentView());
    }

    void destroyManager() {
        host.attach(nullptr);
        CWatchdog watchdog("destroying the manager", std::chrono::seconds(30));
        manager.reset();
    }

    std::vector<SSleep> sleeps() {
        std::lock_guard<std::mutex> lock(sleepsMutex);
        return requestedSleeps;
    }

    void send(int type, wxCDataInfoListNode* node = nullptr) { host.send(*manager, type, node); }

    // Starts at node with renders held, and waits until the thread is blocked in the handshake
    // of the first event that waits for render, or of the first one with the given text.
    void startBlocked(wxCDataInfoListNode* node, const wxString& text = "") {
        host.holdRenders(true);
        send(EVT_FLIT_COMMAND_START_MSG, node);
        for (;; host.releaseHeldRenders()) {
            ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() == 1; }));
            if (text.empty() || host.events().back().text == text) {
                return;
            }
        }
    }

    void release() {
        host.holdRenders(false);
        host.releaseHeldRenders();
    }

    bool waitForDone(size_t count = 1) {
        return host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) >= count; });
    }

    // The events the host received, each as: the window unless it is the view; a word's text
    // ("_" for a blank) or else the type's name; the number unless -1; the colour; any other
    // text (for a file the engine wrote, what it holds); "w" when the thread waited for its
    // render; @ and the index of its node in the document.
    std::string log() const {
        static const char* const kWindowNames[] = {"main ", "", "assessment "};
        std::string all;
        for (const SRecordedEvent& e : host.events()) {
            std::string text = e.text.utf8_string();
            if (text.rfind('/', 0) == 0) {
                std::ifstream file(text, std::ios::binary);
                text.assign(std::istreambuf_iterator<char>(file), {});
            }
            const bool word = e.type == EVT_FLIT_COMMAND_WORD_MSG;
            const wxString colour =
                e.colour.IsOk() ? " " + e.colour.GetAsString(wxC2S_HTML_SYNTAX) : wxString();
            const int index =
                document->getDataInfoList().IndexOf(e.node ? e.node->GetData() : nullptr);
            all += (all.empty() ? "" : ", ") + std::string(kWindowNames[e.window]) +
                   (word ? (text.empty() ? "_" : text) : CFlitCommandEvent::getTypeName(e.type)) +
                   (e.number != -1 ? " " + std::to_string(e.number) : "") + colour.utf8_string() +
                   (!word && !text.empty() ? " " + text : "") + (e.waitedFor ? " w" : "") +
                   (e.node != nullptr ? " @" + std::to_string(index) : "");
        }
        return all;
    }

    CTestHost host;
    std::mutex sleepsMutex;
    std::vector<SSleep> requestedSleeps;
    std::atomic<bool> skipSleeps{true};
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CTestableManager> manager;
};

#endif
