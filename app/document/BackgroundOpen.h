#ifndef FLIT_APP_BACKGROUNDOPEN_H
#define FLIT_APP_BACKGROUNDOPEN_H

#include "document/PreparedDocument.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class CDataManager;
class wxEvtHandler;

// Prepares documents on worker threads while the window answers, and hands each result to the
// GUI thread. One open runs at a time: a new one, or a cancel, abandons the one running, whose
// result is dropped; its worker stops at its next step and is joined later, at the latest
// when this object goes.
class CBackgroundOpen {
public:
    // Called on the GUI thread with a prepared document (or its fault).
    using DoneHandler = std::function<void(SPreparedDocument)>;

    // host: the GUI thread's handler that the results are posted to; it must outlive this
    // object.
    explicit CBackgroundOpen(wxEvtHandler* host);
    ~CBackgroundOpen();
    CBackgroundOpen(const CBackgroundOpen&) = delete;
    CBackgroundOpen& operator=(const CBackgroundOpen&) = delete;

    // Starts preparing the origin, abandoning any open running.
    void start(SDocumentOrigin origin, const SPrepareRules& rules, DoneHandler done);
    // Abandons the open running, if any: its result never comes.
    void cancel();
    bool running() const { return job != nullptr; }
    // Ends a document on a worker, so that a long one's items do not hold the GUI thread; the
    // document must be in nobody else's hands.
    void dispose(std::unique_ptr<CDataManager> document);
    // The share of the open done, in parts of kRange; -1 while unknown.
    int progress() const;

    static constexpr int kRange = 1000;

private:
    // What a worker and the GUI thread share of one open.
    struct SJob {
        std::atomic<bool> cancelled{false};
        std::atomic<std::size_t> done{0};
        std::atomic<std::size_t> total{0};
    };

    // Joins the workers that are finished, or all when wait.
    void reap(bool wait);

    wxEvtHandler* host;
    std::shared_ptr<SJob> job;
    struct SWorker {
        std::shared_ptr<SJob> job;
        std::shared_ptr<std::atomic<bool>> finished;
        std::thread thread;
    };
    std::vector<SWorker> workers;
};

#endif
