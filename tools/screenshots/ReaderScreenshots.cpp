// Takes the README's pictures of the reader: a word being flashed, and the context shown while
// paused (`make screenshots` runs it, under a virtual display):
//
//   xvfb-run -a -s "-screen 0 1600x1200x24" build/tools/screenshots/reader-screenshots docs
//
// writes reader-reading.png and reader-paused.png into the folder given (the current folder by
// default), reading samples/lighthouse.txt at 300 words per minute.

#include "FlitView.h"
#include "ReaderFrame.h"

#include "engine/FlitManager.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

namespace {

bool pumpUntil(const std::function<bool()>& done, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

bool save(CReaderFrame* frame, const wxString& path) {
    wxString error;
    if (!frame->saveScreenshot(path, &error)) {
        std::fprintf(stderr, "reader-screenshots: %s\n", error.utf8_str().data());
        return false;
    }
    std::printf("wrote %s\n", path.utf8_str().data());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const wxString folder = argc > 1 ? wxString(argv[1]) : wxString(".");
    wxApp::SetInstance(new wxApp);
    int toolkitArgc = 1;
    if (!wxEntryStart(toolkitArgc, argv)) {
        std::fprintf(stderr, "reader-screenshots: needs a display (try xvfb-run -a)\n");
        return 1;
    }
    wxLog::SetActiveTarget(new wxLogStderr);
    wxTheApp->CallOnInit();

    SReaderOptions options;
    options.wpm = 300;
    CReaderFrame* frame = new CReaderFrame(options, std::chrono::steady_clock::now());
    frame->SetClientSize(760, 420);
    int status = 1;
    if (frame->openDocument(FLIT_SAMPLES_DIR "/lighthouse.txt", true)) {
        frame->Show();
        frame->startFromBeginning();
        // A longer word, caught while it is on screen.
        const bool shown = pumpUntil(
            [&] {
                return frame->getFlitView()->getChunk().length() >= 9 &&
                       frame->getManager()->getFlitMetricsData()->getNumWordsDisplayed() > 20;
            },
            std::chrono::seconds(60));
        if (shown && save(frame, folder + "/reader-reading.png")) {
            frame->pauseReading();
            // Lets the events posted before the pause arrive, so the picture shows where it rests.
            pumpUntil([] { return false; }, std::chrono::seconds(1));
            status = save(frame, folder + "/reader-paused.png") ? 0 : 1;
        }
    }
    frame->Close(true);
    pumpUntil([] { return wxTopLevelWindows.IsEmpty(); }, std::chrono::seconds(10));
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}
