#include "TestEnvironment.h"

#include <wx/debug.h>

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

CCapturingLog::CCapturingLog() : previous(wxLog::SetThreadActiveTarget(this)) {}

CCapturingLog::~CCapturingLog() {
    wxLog::SetThreadActiveTarget(previous);
}

void CCapturingLog::DoLogTextAtLevel(wxLogLevel, const wxString& msg) {
    captured += msg.utf8_string();
    captured += '\n';
}
