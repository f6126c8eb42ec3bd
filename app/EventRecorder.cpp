#include "EventRecorder.h"

#include "engine/FlitCommandEvent.h"

#include <wx/log.h>

namespace {

struct SEventName {
    const int* type;
    const char* name;
};

// The short names of the engine's event types, as the record file writes them.
const SEventName kEventNames[] = {
    {&EVT_FLIT_COMMAND_DONE_MSG, "DONE"},
    {&EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG, "DEFAULT_BACKGROUND"},
    {&EVT_FLIT_COMMAND_BACKGROUND_MSG, "BACKGROUND"},
    {&EVT_FLIT_COMMAND_TEXT_COLOUR_MSG, "TEXT_COLOUR"},
    {&EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG, "RESET_TEXT_COLOUR"},
    {&EVT_FLIT_COMMAND_WORD_MSG, "WORD"},
    {&EVT_FLIT_COMMAND_VIDEO_MSG, "VIDEO"},
    {&EVT_FLIT_COMMAND_SOUND_MSG, "SOUND"},
    {&EVT_FLIT_COMMAND_CHANGE_VIEW_MSG, "CHANGE_VIEW"},
    {&EVT_FLIT_COMMAND_ASSESSMENT_MSG, "ASSESSMENT"},
    {&EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG, "ASSESSMENT_REVIEW"},
    {&EVT_FLIT_COMMAND_BGRAPHIC_MSG, "BGRAPHIC"},
    {&EVT_FLIT_COMMAND_COURSE_NOTE_MSG, "COURSE_NOTE"},
    {&EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG, "GLOSSARY_NOTE"},
    {&EVT_FLIT_COMMAND_RAPID_NOTE_MSG, "RAPID_NOTE"},
    {&EVT_FLIT_COMMAND_USER_NOTE_MSG, "USER_NOTE"},
    {&EVT_FLIT_COMMAND_DOGEAR_MSG, "DOGEAR"},
    {&EVT_FLIT_COMMAND_PAGE_NUM_MSG, "PAGE_NUM"},
    {&EVT_FLIT_COMMAND_SPEED_MSG, "SPEED"},
    {&EVT_FLIT_COMMAND_STYLE_BOLD_MSG, "STYLE_BOLD"},
    {&EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG, "STYLE_HIGHLIGHT"},
    {&EVT_FLIT_COMMAND_START_MSG, "START"},
    {&EVT_FLIT_COMMAND_PAUSE_MSG, "PAUSE"},
    {&EVT_FLIT_COMMAND_CONTINUE_MSG, "CONTINUE"},
    {&EVT_FLIT_COMMAND_STOP_MSG, "STOP"},
    {&EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, "MODIFY_DATA_INFO_LIST_PTR"},
    {&EVT_FLIT_COMMAND_RETURN_TO_PREVIOUS_APP_MSG, "RETURN_TO_PREVIOUS_APP"},
};

} // namespace

CEventRecorder::CEventRecorder(std::chrono::steady_clock::time_point start) : origin(start) {}

CEventRecorder::~CEventRecorder() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

bool CEventRecorder::open(const wxString& path, wxString* error) {
    file = std::fopen(path.utf8_str(), "w");
    if (file == nullptr) {
        *error = wxString::Format("cannot write '%s': %s", path, wxSysErrorMsgStr());
        return false;
    }
    std::fputs("t_ms\twindow\ttype\ttext\tnumber\tcolour\n", file);
    std::fflush(file);
    return true;
}

void CEventRecorder::record(const char* window, const CFlitCommandEvent& event) {
    if (file == nullptr) {
        return;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin)
            .count();
    const wxString colour =
        event.colour.IsOk() ? event.colour.GetAsString(wxC2S_HTML_SYNTAX).Lower() : wxString();
    std::fprintf(file, "%.3f\t%s\t%s\t%s\t%d\t%s\n", ms, window, typeName(event.GetEventType()),
                 escapeText(event.text).utf8_str().data(), event.number, colour.utf8_str().data());
    std::fflush(file);
}

const char* CEventRecorder::typeName(int eventType) {
    for (const SEventName& entry : kEventNames) {
        if (*entry.type == eventType) {
            return entry.name;
        }
    }
    return "UNKNOWN";
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
