#include "outside/XMLParser.h"

#include <wx/log.h>
#include <wx/thread.h>

namespace {

// Keeps the last message that the XML library logs while a file is parsed, so that the message
// reaches the caller instead of a modal log window. Active only while the parse runs.
class CCapturedLog : public wxLog {
public:
    CCapturedLog() : previous(install(this)) {}
    ~CCapturedLog() override { install(previous); }
    CCapturedLog(const CCapturedLog&) = delete;
    CCapturedLog& operator=(const CCapturedLog&) = delete;

    const wxString& lastMessage() const { return message; }

protected:
    void DoLogTextAtLevel(wxLogLevel, const wxString& msg) override { message = msg; }

private:
    // The main thread's target is the global one; other threads have their own.
    static wxLog* install(wxLog* target) {
        return wxThread::IsMain() ? wxLog::SetActiveTarget(target)
                                  : wxLog::SetThreadActiveTarget(target);
    }

    wxLog* previous;
    wxString message;
};

} // namespace

CXMLParser::CXMLParser(const char* path) : CFileParser(path) {}

CXMLParser::~CXMLParser() = default;

bool CXMLParser::doPreLoad() {
    if (!checkReadableFile()) {
        return false;
    }
    CCapturedLog capture;
    if (!parsedDocument.Load(getParseFilePath()) || parsedDocument.GetRoot() == nullptr) {
        wxString reason = capture.lastMessage();
        if (reason.empty()) {
            reason = "not a well-formed XML document";
        }
        setLoadError(wxString::Format("'%s': %s", getParseFilePath(), reason));
        return false;
    }
    return true;
}

bool CXMLParser::doLoad() {
    const bool accepted = loadFromXML(parsedDocument.GetRoot());
    parsedDocument = wxXmlDocument();
    if (!accepted) {
        setLoadError(wxString::Format("'%s' was refused: its contents are not valid settings",
                                      getParseFilePath()));
    }
    return accepted;
}
