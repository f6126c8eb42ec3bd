#ifndef FLIT_APP_READERAPP_H
#define FLIT_APP_READERAPP_H

#include "ReaderOptions.h"

#include <wx/app.h>

#include <chrono>

class CReaderFrame;

// The reader application: opens the frame with the options of its command line.
class CReaderApp : public wxApp {
public:
    // failureStatus receives the exit status when initialisation fails (a file that cannot be
    // read or written); it outlives the application object.
    CReaderApp(SReaderOptions options, std::chrono::steady_clock::time_point started,
               int* failureStatus);

    // Starts the toolkit without OpenGL (see the definition).
    bool Initialize(int& toolkitArgc, wxChar** toolkitArgv) override;
    bool OnInit() override;
    int OnExit() override;

    // Opens the command line's document in the frame, shown, in the background, then starts
    // reading when asked. A refusal: with a terminal (standard error is one), on standard
    // error, and the reader closes with failureStatus set to 2; without, in the window.
    static void openGivenDocument(CReaderFrame* frame, const SReaderOptions& options, bool terminal,
                                  int* failureStatus);

private:
    SReaderOptions options;
    std::chrono::steady_clock::time_point started;
    int* failureStatus;
};

#endif
