#ifndef FLIT_TESTS_TESTENVIRONMENT_H
#define FLIT_TESTS_TESTENVIRONMENT_H

#include <wx/log.h>

#include <stdexcept>
#include <string>

// Thrown by the test assert handler, so a failed wxASSERT fails the test that caused it
// instead of opening a dialog that would hang the run.
class CWxAssertFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Installs the throwing assert handler and a logger that writes to standard error. Called by
// both test mains before anything else runs.
void installTestEnvironment();

// Collects every message logged on the current thread while it lives, for tests that check
// what the code under test reports.
class CCapturingLog : public wxLog {
public:
    CCapturingLog();
    ~CCapturingLog() override;
    CCapturingLog(const CCapturingLog&) = delete;
    CCapturingLog& operator=(const CCapturingLog&) = delete;

    const std::string& text() const { return captured; }

protected:
    void DoLogTextAtLevel(wxLogLevel level, const wxString& msg) override;

private:
    wxLog* previous;
    std::string captured;
};

#endif
