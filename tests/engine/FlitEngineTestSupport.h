#ifndef FLIT_TESTS_ENGINE_FLITENGINETESTSUPPORT_H
#define FLIT_TESTS_ENGINE_FLITENGINETESTSUPPORT_H

#include "engine/FlitManager.h"
#include "engine/FlitViewThread.h"
#include "outside/DataManager.h"
#include "support/TestHost.h"
#include "support/Watchdog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// A manager that lets tests reach the rendered condition, to wake the waiting thread without a
// render signal, make the creation of its thread fail, and see every sleep the thread asks for.
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

// How long to keep pumping when checking that nothing more arrives, where no later event can
// show that the engine has moved on.
const std::chrono::milliseconds kQuietPeriod(200);

// An engine on a document in the test host, with the default timing table; every sleep the
// thread asks for is recorded and, unless skipSleeps is cleared, skipped.
class EngineTest : public testing::Test {
protected:
    void SetUp() override { host.attach(manager.get()); }

    void TearDown() override {
        if (manager) {
            destroyManager();
        }
    }

    bool initialize() {
        return manager->initialize(&document, host.mainFrame(), host.flitView(),
                                   host.assessmentView());
    }

    void destroyManager() {
        host.attach(nullptr);
        CWatchdog watchdog("destroying the manager", std::chrono::seconds(30));
        manager.reset();
    }

    // A fresh manager on the same document, its events and sleeps not yet seen.
    void replaceManager() {
        destroyManager();
        host.clearEvents();
        requestedSleeps.clear();
        manager = makeManager();
        host.attach(manager.get());
    }

    std::unique_ptr<CTestableManager> makeManager() {
        auto made = std::make_unique<CTestableManager>();
        made->sleepObserver = [this](long milliseconds, CFlitViewThread::eSleepAnchor from) {
            std::lock_guard<std::mutex> lock(sleepsMutex);
            requestedSleeps.emplace_back(milliseconds, from);
            return skipSleeps.load();
        };
        return made;
    }

    std::vector<SSleep> sleeps() {
        std::lock_guard<std::mutex> lock(sleepsMutex);
        return requestedSleeps;
    }

    void send(int type, wxCDataInfoListNode* node = nullptr) { host.send(*manager, type, node); }

    bool waitForDone(size_t count = 1) {
        return host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) >= count; });
    }

    // Each event the host received as one line: the window unless it is the view, the type's
    // name, the number unless -1, the colour, the text (for a file, what the file holds), "w"
    // when the thread waited for its render, and @ the index of its node in the document.
    std::vector<std::string> log() const {
        std::vector<std::string> lines;
        for (const SRecordedEvent& event : host.events()) {
            std::string line = event.window == CTestHost::eMainFrame        ? "main "
                               : event.window == CTestHost::eAssessmentView ? "assessment "
                                                                            : "";
            line += CFlitCommandEvent::getTypeName(event.type);
            if (event.number != -1) {
                line += " " + std::to_string(event.number);
            }
            if (event.colour.IsOk()) {
                line += " " + event.colour.GetAsString(wxC2S_HTML_SYNTAX).utf8_string();
            }
            std::string text = event.text.utf8_string();
            if (event.type == EVT_FLIT_COMMAND_BACKGROUND_MSG ||
                event.type == EVT_FLIT_COMMAND_BGRAPHIC_MSG ||
                event.type == EVT_FLIT_COMMAND_SOUND_MSG) {
                std::ifstream file(text, std::ios::binary);
                text.assign(std::istreambuf_iterator<char>(file), {});
            }
            line += text.empty() ? "" : " " + text;
            line += event.waitedFor ? " w" : "";
            int index = 0;
            for (wxCDataInfoListNode* node = document.getFirstNode(); node != nullptr;
                 node = node->GetNext(), ++index) {
                if (node == event.node) {
                    line += " @" + std::to_string(index);
                }
            }
            lines.push_back(line);
        }
        return lines;
    }

    CTestHost host;
    CDataManager document;
    std::mutex sleepsMutex;
    std::vector<SSleep> requestedSleeps;
    std::atomic<bool> skipSleeps{true};
    std::unique_ptr<CTestableManager> manager = makeManager();
};

#endif
