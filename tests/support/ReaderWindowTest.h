#ifndef FLIT_TESTS_READERWINDOWTEST_H
#define FLIT_TESTS_READERWINDOWTEST_H

#include "ReaderOptions.h"
#include "frame/ReaderFrame.h"

#include <gtest/gtest.h>
#include <wx/defs.h>
#include <wx/string.h>

#include <chrono>
#include <functional>
#include <string>

// Dispatches the display's events (keys, paints) as well as the queued ones until done holds or
// the deadline passes; returns done's last value.
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::seconds deadline = std::chrono::seconds(20));

// A key as the toolkit passes it to the frame's key hook; false when the hook lets it go.
bool pressKey(CReaderFrame* frame, int code, int unicode, int modifiers = wxMOD_NONE);

// The reader's window tests: a folder of the test's own holds the library (the data folder) and
// the preferences and recent files (a config file); the frame is closed as the reader quits and
// the folder removed after each test.
class ReaderWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A frame with the options, the document at the path opened in it when one is given, shown.
    void openFrame(const SReaderOptions& options = {}, const wxString& document = "");
    // Closes the frame and waits until every window has gone.
    void closeFrame();
    // Writes the bytes to a file of the folder; returns its path.
    wxString write(const wxString& name, const std::string& bytes);
    // The bytes of a file.
    static std::string read(const wxString& path);
    // Whether reading reaches the state (events pumped meanwhile).
    bool reached(CReaderFrame::eReadingState state);
    // A click on the progress strip, at a fraction of its width.
    void clickStrip(double at);

    wxString folder;
    CReaderFrame* frame = nullptr;
};

#endif
