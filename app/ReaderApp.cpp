#include "ReaderApp.h"

#include "preferences/HyphenationLoading.h"

#include "SignalQuit.h"
#include "frame/ReaderFrame.h"
#include "preferences/Preferences.h"
#include "preferences/ReopenLast.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/uilocale.h>
#include <wx/weakref.h>

#include <clocale>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <unistd.h>

namespace {

const int kExitBadInput = 2;

} // namespace

CReaderApp::CReaderApp(SReaderOptions readerOptions, std::chrono::steady_clock::time_point start,
                       int* status)
    : options(std::move(readerOptions)), started(start), failureStatus(status) {
    SetAppName("flitreader");
}

// GTK's X11 backend loads the system's OpenGL driver when it opens the display, to choose
// visuals, though the reader draws nothing with OpenGL; with Mesa's software driver that is
// 50 MB resident for nothing. Unless the user set GDK_GL, the toolkit opens the display without
// it, and the variable goes again so that the programs the reader starts (a web browser for a
// link) inherit the environment as it was.
bool CReaderApp::Initialize(int& toolkitArgc, wxChar** toolkitArgv) {
    const bool userChose = std::getenv("GDK_GL") != nullptr;
    if (!userChose) {
        setenv("GDK_GL", "disable", 1);
    }
    const bool initialized = wxApp::Initialize(toolkitArgc, toolkitArgv);
    if (!userChose) {
        unsetenv("GDK_GL");
    }
    return initialized;
}

bool CReaderApp::OnInit() {
    // Preferences and the library follow XDG_CONFIG_HOME and XDG_DATA_HOME (~/.config and
    // ~/.local/share), decided before anything reads them.
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    userPreferences::install();
    // The command line was parsed before the toolkit started; the base class would parse it
    // again.
    wxInitAllImageHandlers();
    // Figures follow the user's locale (digit grouping); numbers the reader writes to files
    // (the event record) keep the C library's point.
    wxUILocale::UseDefault();
    std::setlocale(LC_NUMERIC, "C");
    // The toolkit's debug messages are for developers, not for readers.
    wxLog::SetLogLevel(wxLOG_Info);
    CReaderFrame* frame = new CReaderFrame(options, started);

    wxString error;
    if (!options.recordPath.empty() && !frame->openRecord(options.recordPath, &error)) {
        std::fprintf(stderr, "flitreader: %s\n", error.utf8_str().data());
        *failureStatus = kExitBadInput;
        frame->Destroy();
        return false;
    }
    // A logout, a shutdown or Ctrl+C in the terminal ends the reader as File > Quit does, with
    // the place and the reading since the last pause kept.
    signalQuit::install([window = wxWeakRef<CReaderFrame>(frame)] {
        if (window && !window->IsBeingDeleted()) {
            window->Close(true);
        }
    });
    // The window comes at once; the document opens in the background.
    frame->Show();
    openGivenDocument(frame, options, isatty(STDERR_FILENO) == 1, failureStatus);
    return true;
}

void CReaderApp::openGivenDocument(CReaderFrame* frame, const SReaderOptions& options,
                                   bool terminal, int* failureStatus) {
    // From where the document was left, or the beginning for a new or finished one.
    const auto start = [frame, autostart = options.autostart] {
        if (autostart) {
            frame->CallAfter(&CReaderFrame::togglePause);
        }
    };
    if (options.documentPath.empty()) {
        // With nothing named, the last document read, at its place (when the user wants it).
        reopenLastDocument(*frame, options);
        start();
        return;
    }
    // Run from a terminal, a refusal is said there and the reader ends; started from a desktop,
    // which shows no standard error, the window says it.
    frame->openDocument(options.documentPath, terminal,
                        [frame, terminal, failureStatus, start](bool opened) {
                            if (opened) {
                                start();
                            } else if (terminal) {
                                *failureStatus = kExitBadInput;
                                frame->Close(true);
                            }
                        });
}

int CReaderApp::OnExit() {
    signalQuit::uninstall();
    hyphenationLoading::finish();
    userPreferences::close();
    return wxApp::OnExit();
}
