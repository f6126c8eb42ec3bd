#include "engine/FlitCommandEvent.h"

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
