#include "document/BackgroundOpen.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <wx/event.h>

#include <malloc.h>

#include <utility>

CBackgroundOpen::CBackgroundOpen(wxEvtHandler* resultHost) : host(resultHost) {
    // The XML parser sets itself up on its first use, which must not be on two threads at once:
    // a tiny web page read here makes that first use the GUI thread's.
    static const bool parserReady = [] {
        CDocumentImporter importer;
        return importer.importText("<p>ready</p>", CDocumentImporter::eHtml, wxString()) != nullptr;
    }();
    (void)parserReady;
}

CBackgroundOpen::~CBackgroundOpen() {
    cancel();
    reap(true);
}

void CBackgroundOpen::start(SDocumentOrigin origin, const SPrepareRules& rules, DoneHandler done) {
    cancel();
    reap(false);
    auto started = std::make_shared<SJob>();
    job = started;
    auto finished = std::make_shared<std::atomic<bool>>(false);
    // The worker owns what it reads; it shares with the GUI thread only the job's atomics, and
    // posts its result, which the GUI thread takes only if the job is still the one running.
    std::thread thread([this, started, finished, origin = std::move(origin), rules,
                        done = std::move(done)]() mutable {
        const auto progress = [&started](std::size_t parts, std::size_t total) {
            started->done = parts;
            started->total = total;
            return !started->cancelled.load();
        };
        auto result = std::make_shared<SPreparedDocument>(
            SPreparedDocument::prepare(std::move(origin), rules, progress));
        if (!started->cancelled) {
            host->CallAfter([this, started, result, done] {
                if (job != started || started->cancelled) {
                    return;
                }
                job.reset();
                done(std::move(*result));
            });
        }
        *finished = true;
    });
    workers.push_back(SWorker{started, finished, std::move(thread)});
}

void CBackgroundOpen::dispose(std::unique_ptr<CDataManager> document) {
    if (!document) {
        return;
    }
    reap(false);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([finished, ending = std::move(document)]() mutable {
        ending.reset();
        // Its pages go back to the system, so that the reader is no larger than what is open.
        malloc_trim(0);
        *finished = true;
    });
    workers.push_back(SWorker{nullptr, finished, std::move(thread)});
}

void CBackgroundOpen::cancel() {
    if (job) {
        job->cancelled = true;
        job.reset();
    }
}

int CBackgroundOpen::progress() const {
    if (!job || job->total == 0) {
        return -1;
    }
    return static_cast<int>(job->done * kRange / job->total);
}

void CBackgroundOpen::reap(bool wait) {
    for (auto worker = workers.begin(); worker != workers.end();) {
        if (wait || *worker->finished) {
            worker->thread.join();
            worker = workers.erase(worker);
        } else {
            ++worker;
        }
    }
}
