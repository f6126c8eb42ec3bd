#ifndef FLIT_TESTS_ENGINE_FLITENGINETESTSUPPORT_H
#define FLIT_TESTS_ENGINE_FLITENGINETESTSUPPORT_H

#include "engine/FlitManager.h"
#include "engine/FlitViewThread.h"
#include "outside/DataManager.h"
#include "support/TestHost.h"
#include "support/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// A manager that lets tests reach the rendered condition, to wake the waiting thread without a
// render signal, and make the creation of its thread fail.
class CTestableManager : public CFlitManager {
public:
    void spuriousRenderWake() {
        wxMutexLocker lock(renderedMutex);
        renderedCondition.Broadcast();
    }

    bool failThreadCreation = false;

protected:
    wxThreadError createThread(CFlitViewThread& thread) override {
        return failThreadCreation ? wxTHREAD_NO_RESOURCE : CFlitManager::createThread(thread);
    }
};

// An engine on a document in the test host, every timing zero.
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

    void send(int type, wxCDataInfoListNode* node = nullptr) { host.send(*manager, type, node); }

    bool waitForDone(size_t count = 1) {
        return host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) >= count; });
    }

    bool waitForState(CFlitManager::eStateType state) {
        return host.waitFor([&] { return manager->getState() == state; });
    }

    CZeroTimingTable zeroTiming;
    CTestHost host;
    CDataManager document;
    std::unique_ptr<CTestableManager> manager = std::make_unique<CTestableManager>();
};

#endif
