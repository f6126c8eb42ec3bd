#include <flitengine/engine/FlitCommandEvent.h>

// Defined in one place, in the published order, so that every file of the library and of the
// host sees the same values: each definition runs once while the library is loaded.
const int EVT_FLIT_COMMAND_DONE_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_BACKGROUND_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_TEXT_COLOUR_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_WORD_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_VIDEO_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_SOUND_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_CHANGE_VIEW_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_ASSESSMENT_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_BGRAPHIC_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_COURSE_NOTE_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_RAPID_NOTE_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_USER_NOTE_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_DOGEAR_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_PAGE_NUM_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_SPEED_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_STYLE_BOLD_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_START_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_PAUSE_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_CONTINUE_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_STOP_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG = wxNewEventType();
const int EVT_FLIT_COMMAND_RETURN_TO_PREVIOUS_APP_MSG = wxNewEventType();

const CFlitCommandEvent::SEventTypeName CFlitCommandEvent::kEventTypeNames[kEventTypeCount] = {
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

const char* CFlitCommandEvent::getTypeName(int eventType) {
    for (const SEventTypeName& entry : kEventTypeNames) {
        if (*entry.type == eventType) {
            return entry.name;
        }
    }
    return "UNKNOWN";
}

namespace {

// A colour with its own data, never sharing the reference-counted data of the original.
wxColour unsharedColour(const wxColour& colour) {
    if (!colour.IsOk()) {
        return wxColour();
    }
    return wxColour(colour.Red(), colour.Green(), colour.Blue(), colour.Alpha());
}

} // namespace

CFlitCommandEvent::CFlitCommandEvent(int eventType) : wxCommandEvent(eventType, 0) {
    zeroInit();
}

CFlitCommandEvent::CFlitCommandEvent(const CFlitCommandEvent& other) : wxCommandEvent(other) {
    *this = other;
}

CFlitCommandEvent::~CFlitCommandEvent() = default;

void CFlitCommandEvent::operator=(const CFlitCommandEvent& other) {
    if (&other == this) {
        return;
    }
    zeroInit();
    text = other.text; // a deep copy: strings share no buffers here
    number = other.number;
    colour = unsharedColour(other.colour);
    dataInfoListNode = other.dataInfoListNode;
}

void CFlitCommandEvent::zeroInit() {
    text.Truncate(0);
    number = -1;
    colour = wxColour();
    dataInfoListNode = nullptr;
}

wxEvent* CFlitCommandEvent::Clone() const {
    return new CFlitCommandEvent(*this);
}
