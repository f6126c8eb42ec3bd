#include "reading/EventRecorder.h"

#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/outside/MessageText.h>

#include <wx/log.h>

CEventRecorder::CEventRecorder(std::chrono::steady_clock::time_point start) : origin(start) {}

CEventRecorder::~CEventRecorder() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

bool CEventRecorder::open(const wxString& path, wxString* error) {
    file = std::fopen(path.fn_str(), "w");
    if (file == nullptr) {
        *error =
            wxString::Format("cannot write '%s': %s", CMessageText::cut(path), wxSysErrorMsgStr());
        return false;
    }
    std::fputs("t_ms\twindow\ttype\ttext\tnumber\tcolour\n", file);
    std::fflush(file);
    return true;
}

double CEventRecorder::millisecondsNow() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin)
        .count();
}

void CEventRecorder::recordRendered(const char* window) {
    if (file == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(fileMutex);
    std::fprintf(file, "%.3f\t%s\tRENDERED\t\t-1\t\n", millisecondsNow(), window);
    std::fflush(file);
}

void CEventRecorder::record(const char* window, const CFlitCommandEvent& event) {
    if (file == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(fileMutex);
    const double ms = millisecondsNow();
    const wxString colour =
        event.colour.IsOk() ? event.colour.GetAsString(wxC2S_HTML_SYNTAX).Lower() : wxString();
    std::fprintf(file, "%.3f\t%s\t%s\t%s\t%d\t%s\n", ms, window, typeName(event.GetEventType()),
                 escapeText(event.text).utf8_str().data(), event.number, colour.utf8_str().data());
    std::fflush(file);
}

void CEventRecorder::recordSpeech(const char* type, const wxString& text, long number) {
    if (file == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(fileMutex);
    std::fprintf(file, "%.3f\tspeech\t%s\t%s\t%ld\t\n", millisecondsNow(), type,
                 escapeText(text).utf8_str().data(), number);
    std::fflush(file);
}

const char* CEventRecorder::typeName(int eventType) {
    return CFlitCommandEvent::getTypeName(eventType);
}

wxString CEventRecorder::escapeText(const wxString& text) {
    wxString escaped;
    escaped.reserve(text.length());
    for (const wxUniChar c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}
