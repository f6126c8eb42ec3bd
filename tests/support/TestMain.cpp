// Main of every test binary. Built twice: for the tests that need only the base library (no
// windows, no display), and with FLIT_TEST_GUI for the tests that open real windows, which need
// a display (run them under xvfb-run when there is none).

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <stdexcept>

// A failed wxASSERT throws, so it fails the test that caused it instead of opening a dialog that
// would hang the run; the log goes to standard error. Installed again once wxWidgets has started,
// as starting it sets its own.
static void installTestEnvironment() {
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
        throw std::logic_error(
            wxString::Format("wxWidgets assert in %s (%s:%d): %s %s", func, file, line, cond, msg)
                .utf8_string());
    });
    delete wxLog::SetActiveTarget(new wxLogStderr);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    installTestEnvironment();
#ifdef FLIT_TEST_GUI
    wxApp::SetInstance(new wxApp); // without one, wxWidgets starts only its base library
#endif
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: is there a display? (try xvfb-run -a)\n");
        return 1;
    }
    installTestEnvironment();
    // The console application object of the base build is no wxApp: reach it as what it is.
    wxAppConsole* app = wxAppConsole::GetInstance();
    app->CallOnInit();
    const int result = RUN_ALL_TESTS();
    app->OnExit();
    wxEntryCleanup();
    return result;
}
