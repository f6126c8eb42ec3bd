#include "ReaderApp.h"

#include "HyphenationLoading.h"

#include "Preferences.h"
#include "ReaderFrame.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/uilocale.h>

#include <clocale>

#include <cstdio>
#include <utility>

namespace {

const int kExitBadInput = 2;

} // namespace

CReaderApp::CReaderApp(SReaderOptions readerOptions, std::chrono::steady_clock::time_point start,
                       int* status)
    : options(std::move(readerOptions)), started(start), failureStatus(status) {
    SetAppName("flitreader");
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
    if (!options.documentPath.empty() && !frame->openDocument(options.documentPath, true)) {
        *failureStatus = kExitBadInput;
        frame->Destroy();
        return false;
    }
    frame->Show();
    if (options.autostart) {
        // From where the document was left, or the beginning for a new or finished one.
        frame->CallAfter(&CReaderFrame::togglePause);
    }
    return true;
}

int CReaderApp::OnExit() {
    hyphenationLoading::finish();
    userPreferences::close();
    return wxApp::OnExit();
}
