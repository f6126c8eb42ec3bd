// Main of every test binary. Built twice: for the tests that need only the base library (no
// windows, no display), and with FLIT_TEST_GUI for the tests that open real windows, which need
// a display (run them under xvfb-run when there is none).

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <stdexcept>

namespace {

// A failed wxASSERT throws, so it fails the test that caused it instead of opening a dialog
// that would hang the run.
void throwingAssertHandler(const wxString& file, int line, const wxString& func,
                           const wxString& cond, const wxString& msg) {
    throw std::logic_error(
        wxString::Format("wxWidgets assert in %s (%s:%d): %s %s", func, file, line, cond, msg)
            .utf8_string());
}

// The throwing assert handler, and a logger that writes to standard error.
void installTestEnvironment() {
    wxSetAssertHandler(throwingAssertHandler);
    delete wxLog::SetActiveTarget(new wxLogStderr);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
#ifdef FLIT_TEST_GUI
    installTestEnvironment();
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: is there a display? (try xvfb-run -a)\n");
        return 1;
    }
    installTestEnvironment();
    wxTheApp->CallOnInit();
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
#else
    wxInitializer initializer(argc, argv);
    if (!initializer.IsOk()) {
        return 1;
    }
    installTestEnvironment();
    return RUN_ALL_TESTS();
#endif
}
