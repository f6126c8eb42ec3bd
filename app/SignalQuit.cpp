#include "SignalQuit.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/evtloopsrc.h>
#include <wx/modalhook.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <memory>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe's writing end while the signals are watched, else -1; read by the handler.
volatile sig_atomic_t wakeDescriptor = -1;
// The default action, made ready before any signal comes.
struct sigaction defaultAction;

// Runs wherever the signal lands, on any thread: only calls that are safe there (sigaction,
// write). The byte wakes the GUI thread; errno is kept for the code the signal interrupted.
extern "C" void onQuitSignal(int) {
    const int savedErrno = errno;
    for (const int signal : kSignals) {
        sigaction(signal, &defaultAction, nullptr);
    }
    const int descriptor = wakeDescriptor;
    const char byte = 'q';
    if (descriptor >= 0 && write(descriptor, &byte, 1) < 0) {
        // A full pipe already holds a wake-up: nothing is lost.
    }
    errno = savedErrno;
}

// On the GUI thread: reads the wake-ups from the event loop and quits once no dialog of the
// reader is open. A dialog's modal loop is the toolkit's, so quitting from inside it would
// destroy the frame under the dialog: the reader's own dialogs are cancelled, and the quit
// comes when the last one has closed. A dialog that would open after the signal is refused.
class CSignalWatch : public wxEventLoopSourceHandler, public wxModalDialogHook {
public:
    CSignalWatch(int readEnd, std::function<void()> quitting)
        : readDescriptor(readEnd), quit(std::move(quitting)) {}
    ~CSignalWatch() override { Unregister(); }
    CSignalWatch(const CSignalWatch&) = delete;
    CSignalWatch& operator=(const CSignalWatch&) = delete;

    void OnReadWaiting() override {
        char bytes[16];
        while (read(readDescriptor, bytes, sizeof bytes) > 0) {
        }
        asked = true;
        quitWhenFree();
    }
    void OnWriteWaiting() override {}
    void OnExceptionWaiting() override {}

    // Quits, unless a dialog is open (ended first when it can be).
    void quitWhenFree() {
        if (quitCalled) {
            return;
        }
        if (!open.empty()) {
            // Those in the toolkit's own modal loop end now; a native message box waits for
            // its answer (reading paused when it opened, with the place saved).
            for (wxDialog* dialog : std::vector<wxDialog*>(open)) {
                if (dialog->IsModal()) {
                    dialog->EndModal(wxID_CANCEL);
                }
            }
            return;
        }
        quitCalled = true;
        quit();
    }

protected:
    int Enter(wxDialog* dialog) override {
        if (asked) {
            return wxID_CANCEL;
        }
        open.push_back(dialog);
        return wxID_NONE;
    }
    void Exit(wxDialog* dialog) override {
        open.erase(std::remove(open.begin(), open.end(), dialog), open.end());
        if (asked && open.empty() && wxTheApp != nullptr) {
            // Later, from the outer loop, and only while the signals are still watched.
            wxTheApp->CallAfter([] { quitAfterDialogs(); });
        }
    }

private:
    static void quitAfterDialogs();

    int readDescriptor;
    std::function<void()> quit;
    std::vector<wxDialog*> open;
    bool asked = false;
    bool quitCalled = false;
};

struct SWatching {
    int pipe[2] = {-1, -1};
    std::unique_ptr<CSignalWatch> watch;
    std::unique_ptr<wxEventLoopSource> source;
};
std::unique_ptr<SWatching> watching;

void CSignalWatch::quitAfterDialogs() {
    if (watching) {
        watching->watch->quitWhenFree();
    }
}

} // namespace

namespace signalQuit {

bool install(std::function<void()> quit) {
    uninstall();
    auto made = std::make_unique<SWatching>();
    if (pipe2(made->pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    made->watch = std::make_unique<CSignalWatch>(made->pipe[0], std::move(quit));
    made->source.reset(
        wxEventLoopBase::AddSourceForFD(made->pipe[0], made->watch.get(), wxEVENT_SOURCE_INPUT));
    if (!made->source) {
        close(made->pipe[0]);
        close(made->pipe[1]);
        return false;
    }
    made->watch->Register();
    wakeDescriptor = made->pipe[1];
    watching = std::move(made);

    defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        // A signal ignored from the start (SIGHUP under nohup) stays ignored.
        struct sigaction previous = {};
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
            continue;
        }
        sigaction(signal, &action, nullptr);
    }
    return true;
}

void uninstall() {
    if (!watching) {
        return;
    }
    for (const int signal : kSignals) {
        sigaction(signal, &defaultAction, nullptr);
    }
    wakeDescriptor = -1;
    watching->source.reset();
    watching->watch.reset();
    // The pipe stays open (the reader is ending): a handler already running on another thread
    // may still write to it, and a pipe without its reading end would send SIGPIPE.
    watching.reset();
}

} // namespace signalQuit
