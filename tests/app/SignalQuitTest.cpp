// The reader asked to end by a signal while it reads (a logout, a shutdown, Ctrl+C in its
// terminal) ends as File > Quit does: the place and the reading since the last pause are in
// the library.

#include "SignalQuit.h"
#include "library/Library.h"

#include "support/ReaderWindowTest.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/process.h>
#include <wx/utils.h>

#include <chrono>
#include <csignal>
#include <cstddef>
#include <ctime>
#include <string>

namespace {

class SignalQuitTest : public ReaderWindowTest, public testing::WithParamInterface<wxSignal> {};

TEST_P(SignalQuitTest, TheReaderKeepsThePlaceAndTheReading) {
    std::string text;
    for (int word = 0; word < 3000; ++word) {
        text += "word ";
    }
    const wxString document = write("long.txt", text), record = folder + "/record.tsv";
    wxExecuteEnv environment;
    wxGetEnvMap(&environment.env);
    environment.env["XDG_DATA_HOME"] = environment.env["XDG_CONFIG_HOME"] = folder;
    wxProcess process;
    bool ended = false;
    int status = 0;
    process.Bind(wxEVT_END_PROCESS, [&](wxProcessEvent& end) {
        ended = true;
        status = end.GetExitCode();
    });
    const long reader = wxExecute(wxString::Format("%s --wpm 950 --autostart --record %s %s",
                                                   FLITREADER_PATH, record, document),
                                  wxEXEC_ASYNC, &process, &environment);
    ASSERT_GT(reader, 0);
    // Reading: 20 words flashed.
    const bool reading = pumpUntil([&record] {
        const std::string events = read(record);
        std::size_t words = 0;
        for (std::size_t at = 0; (at = events.find("\tWORD\tword", at + 1)) != std::string::npos;) {
            ++words;
        }
        return words >= 20;
    });
    wxKill(reader, reading ? GetParam() : wxSIGKILL);
    ASSERT_TRUE(pumpUntil([&ended] { return ended; }, std::chrono::seconds(60)));
    ASSERT_TRUE(reading);
    EXPECT_EQ(0, status);

    CLibrary library(folder + "/flitreader/library.sqlite3");
    const auto sessions = library.sessionsSince(wxDateTime(static_cast<time_t>(0)));
    ASSERT_EQ(1u, sessions.size());
    EXPECT_GE(sessions[0].wordsShown, 19);
    const long long position = library.documents().at(0).position;
    EXPECT_TRUE(position >= 19 && position < 3000) << position;
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalQuitTest, testing::Values(wxSIGTERM, wxSIGHUP, wxSIGINT));

// A signal while a dialog is open: the dialog is cancelled, and the quit comes once it has
// gone; a dialog that would open after the signal is refused.
TEST(SignalQuitWithDialogTest, TheDialogEndsFirst) {
    int quits = 0;
    ASSERT_TRUE(signalQuit::install([&quits] { ++quits; }));
    wxDialog dialog(nullptr, wxID_ANY, "Open"), later(nullptr, wxID_ANY, "Later");
    dialog.CallAfter([] { std::raise(SIGTERM); });
    EXPECT_EQ(wxID_CANCEL, dialog.ShowModal());
    EXPECT_TRUE(pumpUntil([&quits] { return quits == 1; }));
    EXPECT_EQ(wxID_CANCEL, later.ShowModal());
    EXPECT_EQ(1, quits);
    signalQuit::uninstall();
}

} // namespace
