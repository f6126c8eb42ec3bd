#include "TestEnvironment.h"

#include <wx/debug.h>
#include <wx/log.h>

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
