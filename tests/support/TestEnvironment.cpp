#include "TestEnvironment.h"

#include <wx/debug.h>
#include <wx/thread.h>

namespace {

void throwingAssertHandler(const wxString& file, int line, const wxString& func,
                           const wxString& cond, const wxString& msg) {
    throw CWxAssertFailure(
        wxString::Format("wxWidgets assert in %s (%s:%d): %s %s", func, file, line, cond, msg)
            .utf8_string());
}

} // namespace

void installTestEnvironment() {
    wxSetAssertHandler(throwingAssertHandler);
    delete wxLog::SetActiveTarget(new wxLogStderr);
}

namespace {
// The main thread's target is the global one; other threads have their own.
wxLog* installLog(wxLog* target) {
    return wxThread::IsMain() ? wxLog::SetActiveTarget(target)
                              : wxLog::SetThreadActiveTarget(target);
}
} // namespace

CCapturingLog::CCapturingLog() : previous(installLog(this)) {}

CCapturingLog::~CCapturingLog() {
    installLog(previous);
}

void CCapturingLog::DoLogTextAtLevel(wxLogLevel, const wxString& msg) {
    captured += msg.utf8_string();
    captured += '\n';
}
