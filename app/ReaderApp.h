#ifndef FLIT_APP_READERAPP_H
#define FLIT_APP_READERAPP_H

#include "ReaderOptions.h"

#include <wx/app.h>

#include <chrono>

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

private:
    SReaderOptions options;
    std::chrono::steady_clock::time_point started;
    int* failureStatus;
};

#endif
