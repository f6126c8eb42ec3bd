#include "support/TestHost.h"
#include "support/Watchdog.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/FlitViewThread.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A pacer with a callback thread of its own, as a synthesizer has: the test queues reports
// ("2.1": word 1 of the second run it was given; "2.e"/"2.x": that run ended, complete or
// not; "q": the thread ends) and the thread makes each once its run has begun. Its cancelRun
// waits until the thread is out of any report, as a real one waits for its audio.
class CTestPacer : public CWordPacer {
public:
    CTestPacer(CFlitManager& owner, bool accepts) : manager(owner), accepting(accepts) {}
    ~CTestPacer() override {
        report("q");
        worker.join();
    }

    bool beginRun(long run, const std::vector<SWord>& words, unsigned int) override {
        std::lock_guard<std::mutex> lock(mutex);
        for (const SWord& word : words) {
            given += (&word != &words[0] ? " "
                      : given.empty()    ? ""
                                         : "|") +
                     word.text.utf8_string();
        }
        if (accepting) {
            numbers.push_back(run);
        }
        changed.notify_all();
        return accepting;
    }
    void cancelRun() override {
        std::unique_lock<std::mutex> lock(mutex);
        ++cancels;
        changed.wait(lock, [this] { return !reporting; });
    }

    void report(const std::string& step) {
        std::lock_guard<std::mutex> lock(mutex);
        steps.push_back(step);
        changed.notify_all();
    }
    std::string runsGiven() {
        std::lock_guard<std::mutex> lock(mutex);
        return given;
    }
    int cancelCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return cancels;
    }

private:
    void work() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [this] {
                return !steps.empty() &&
                       (steps.front() == "q" || numbers.size() >= std::stoul(steps.front()));
            });
            const std::string step = steps.front();
            steps.pop_front();
            if (step == "q") {
                return;
            }
            const long run = numbers[std::stoul(step) - 1];
            reporting = true;
            lock.unlock();
            if (step[2] == 'e' || step[2] == 'x') {
                manager.runEnded(run, step[2] == 'e');
            } else {
                manager.wordDue(run, std::stoul(step.substr(2)));
            }
            lock.lock();
            reporting = false;
            changed.notify_all();
        }
    }

    CFlitManager& manager;
    const bool accepting;
    // The thread waits on changed for a report it can make; beginRun and report signal it;
    // cancelRun waits on it until the thread has made its report.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> steps;
    std::string given; // the runs' words, "|" between runs
    std::vector<long> numbers;
    int cancels = 0;
    bool reporting = false;
    std::thread worker{[this] { work(); }};
};

// Every sleep the thread asks for is recorded and skipped, so what shows a word is its report.
// The record outlives the manager: the thread runs until the base class's destructor.
struct SSleeps {
    std::mutex mutex;
    std::vector<long> asked;
};
struct CInstantManager : CFlitManager {
    explicit CInstantManager(SSleeps& record) : sleeps(record) {}
    SSleeps& sleeps;
    wxThreadError createThread(CFlitViewThread& thread) override {
        thread.setSleepObserver([&record = sleeps](long milliseconds, CFlitViewThread::eSleepAnchor,
                                                   std::chrono::microseconds) {
            std::lock_guard<std::mutex> lock(record.mutex);
            record.asked.push_back(milliseconds);
            return true;
        });
        return CFlitManager::createThread(thread);
    }
};

// Long enough for a word shown too early to arrive; far below the pacer's stall time.
const std::chrono::milliseconds kQuietPeriod(300);

class WordPacerTest : public testing::Test {
protected:
    void TearDown() override { destroy(); }

    // "One two three. Four five" and a newline, with an engine on it and, unless pacing is
    // eNone, a pacer that accepts its runs or declines them.
    enum ePacer { eNone, eAccepting, eDeclining };
    void build(ePacer kind) {
        destroy();
        host.clearEvents();
        document = std::make_unique<CDataManager>();
        nodes.clear();
        for (const char* word : {"One", "two", "three.", "Four", "five"}) {
            nodes.push_back(document->appendWord(word));
            document->appendSpace();
        }
        document->appendNewline();
        {
            std::lock_guard<std::mutex> lock(sleeps.mutex);
            sleeps.asked.clear();
        }
        manager = std::make_unique<CInstantManager>(sleeps);
        host.attach(manager.get());
        ASSERT_TRUE(manager->initialize(document.get(), host.mainFrame(), host.flitView(),
                                        host.assessmentView()));
        if (kind != eNone) {
            pacer = std::make_unique<CTestPacer>(*manager, kind == eAccepting);
            manager->setWordPacer(pacer.get());
        }
    }
    // The manager goes before the pacer it calls.
    void destroy() {
        host.attach(nullptr);
        CWatchdog watchdog("destroying the manager", std::chrono::seconds(30));
        manager.reset();
        pacer.reset();
    }
    void send(int type, wxCDataInfoListNode* node) { host.send(*manager, type, node); }
    bool waitForDone() {
        return host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) > 0; });
    }

    // The words shown, in order, without their blanks.
    std::string shown() const {
        std::string all;
        for (const SRecordedEvent& e : host.events()) {
            if (e.type == EVT_FLIT_COMMAND_WORD_MSG && !e.text.empty()) {
                all += (all.empty() ? "" : " ") + e.text.utf8_string();
            }
        }
        return all;
    }

    CTestHost host;
    SSleeps sleeps;
    std::unique_ptr<CDataManager> document;
    std::vector<wxCDataInfoListNode*> nodes;
    std::unique_ptr<CInstantManager> manager;
    std::unique_ptr<CTestPacer> pacer;
};

// Each step is a report to the pacer ("run.index", "run.e", "run.x"), a command ("p" pause,
// "c" continue at the cursor, "m3" move to the fourth word) or nothing ("-": the pacer stalls),
// then the words on screen once the engine has settled: a word shows only once reported, once,
// in order. Commands and stalls cancel the run with the pacer. Most cases end with the thread
// waiting for a report; the manager's destruction must then not hang.
TEST_F(WordPacerTest, WordsShowWhenReportedAndTheRulesTakeOverWhenARunEnds) {
    const struct {
        const char* name;
        std::vector<std::pair<const char*, const char*>> steps;
        const char* runs; // the runs the pacer was given
    } cases[] = {
        {"in order",
         {{"1.0", "One"},
          {"1.1", "One two"},
          {"1.2", "One two three."},
          {"2.0", "+ Four"},
          {"2.1", "+ five"}},
         "One two three.|Four five"},
        {"skipped indices",
         {{"1.1", "One two"}, {"1.2", "One two three."}, {"2.1", "+ Four five"}},
         "One two three.|Four five"},
        {"ended complete",
         {{"1.0", "One"}, {"1.e", "One two three."}, {"2.0", "+ Four"}},
         "One two three.|Four five"},
        {"ended incomplete",
         {{"1.x", "One two three."}, {"2.1", "+ Four five"}},
         "One two three.|Four five"},
        {"pause, stale report, continue",
         {{"1.0", "One"}, {"p", "One"}, {"1.1", "One"}, {"c", "One"}, {"2.0", "One two"}},
         "One two three.|two three."},
        {"stalled", {{"-", "One two three."}, {"-", "+ Four five"}}, "One two three.|Four five"},
        {"move",
         {{"1.0", "One"}, {"m3", "One"}, {"1.1", "One"}, {"2.0", "One Four"}},
         "One two three.|Four five"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        build(eAccepting);
        send(EVT_FLIT_COMMAND_START_MSG, nodes[0]);
        std::string before;
        for (const auto& [step, expected] : c.steps) {
            SCOPED_TRACE(step);
            const int cancels = pacer->cancelCount();
            if (step[0] == 'p') {
                send(EVT_FLIT_COMMAND_PAUSE_MSG, nullptr);
            } else if (step[0] == 'c') {
                send(EVT_FLIT_COMMAND_CONTINUE_MSG, manager->getDataInfoListNode());
            } else if (step[0] == 'm') {
                send(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, nodes[step[1] - '0']);
            } else if (step[0] != '-') {
                pacer->report(step);
            }
            const std::string want =
                expected[0] == '+' ? before + (expected + 1) : std::string(expected);
            EXPECT_TRUE(host.waitFor([&] { return shown() == want; })) << shown();
            host.pumpFor(kQuietPeriod);
            EXPECT_EQ(want, shown());
            if (std::string("pcm-").find(step[0]) != std::string::npos) {
                EXPECT_GT(pacer->cancelCount(), cancels);
            }
            before = want;
        }
        EXPECT_EQ(c.runs, pacer->runsGiven());
    }
}

// A pacer that declines every run leaves reading exactly as the rules make it, with the ramp,
// and is asked again at each sentence.
TEST_F(WordPacerTest, ADecliningPacerLeavesEveryEventAndSleepAsWithoutOne) {
    std::vector<std::pair<int, wxString>> events[2];
    std::vector<long> asked[2];
    for (const ePacer kind : {eNone, eDeclining}) {
        build(kind);
        send(EVT_FLIT_COMMAND_START_MSG, nodes[0]);
        ASSERT_TRUE(waitForDone());
        for (const SRecordedEvent& e : host.events()) {
            events[kind != eNone].emplace_back(e.type, e.text);
        }
        std::lock_guard<std::mutex> lock(sleeps.mutex);
        asked[kind != eNone] = sleeps.asked;
    }
    EXPECT_EQ(events[0], events[1]);
    EXPECT_EQ(asked[0], asked[1]);
    EXPECT_EQ("One two three.|Four five", pacer->runsGiven());
}

} // namespace
