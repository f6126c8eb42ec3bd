#include "reading/TimesRetiming.h"

#include <atomic>
#include <thread>
#include <utility>

// A worker timing the words: the times it fills, which the GUI thread takes once finished is
// set, or drops, setting halt and joining.
struct CTimesRetiming::SWorker {
    std::atomic<bool> halt{false};
    std::atomic<bool> finished{false};
    std::unique_ptr<CReadingTimes> result;
    std::thread thread;
};

CTimesRetiming::CTimesRetiming(const SRules& rules, Walk walkWords)
    : walk(std::move(walkWords)), times(std::make_unique<CReadingTimes>()), wanted(rules) {
    times->setFlashRules(rules.unit, rules.hyphenation, rules.cut);
}

CTimesRetiming::~CTimesRetiming() {
    stop();
}

void CTimesRetiming::ask(const SRules& rules) {
    if (rules == wanted) {
        return;
    }
    wanted = rules;
    stop();
    auto fresh = std::make_unique<CReadingTimes>();
    fresh->setFlashRules(rules.unit, rules.hyphenation, rules.cut);
    fresh->begin(rules.wordLength, times->wordCount());
    if (!background) {
        walk(*fresh, [] { return false; });
        fresh->end();
        times = std::move(fresh);
        return;
    }
    worker = std::make_unique<SWorker>();
    SWorker* job = worker.get();
    job->result = std::move(fresh);
    job->thread = std::thread([this, job] {
        walk(*job->result, [job] { return job->halt.load(); });
        if (job->halt) {
            return;
        }
        job->result->end();
        job->finished = true;
        if (ready) {
            ready();
        }
    });
}

void CTimesRetiming::inBackground(std::function<void()> readyHandler) {
    stop();
    background = true;
    ready = std::move(readyHandler);
}

bool CTimesRetiming::known() {
    if (worker && worker->finished) {
        worker->thread.join();
        times = std::move(worker->result);
        worker.reset();
    }
    return worker == nullptr;
}

void CTimesRetiming::stop() {
    if (worker) {
        worker->halt = true;
        worker->thread.join();
        worker.reset();
    }
}
