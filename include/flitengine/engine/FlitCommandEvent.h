#ifndef FLIT_ENGINE_FLITCOMMANDEVENT_H
#define FLIT_ENGINE_FLITCOMMANDEVENT_H

#include <flitengine/FlitExport.h>

#include <wx/colour.h>
#include <wx/event.h>
#include <wx/string.h>

class wxCDataInfoListNode;

// The one event class of the engine: the host's commands to the manager (start, pause,
// continue, stop, move the reading position) and everything the presentation thread tells the
// host's windows (words, blanks, colours, styles, backgrounds, notes, page numbers, speeds, view
// changes, the end of the document).
//
// Which events the engine waits on: the presentation thread posts some events and then blocks
// until the host calls CFlitManager::signalGuiThreadRendered. Every such event carries a render
// ticket, a positive number unique to that post, in its extra long (getRenderTicket()); every
// other event carries 0. A host calls signalGuiThreadRendered(event.getRenderTicket()) after
// showing each event for which waitsForRender() is true; a signal with any other ticket is
// ignored. (A WORD event for a chunk or its blank is waited on; the WORD blank of a rest is not.)
// The views a view change names in the `number` of EVT_FLIT_COMMAND_CHANGE_VIEW_MSG: the reading
// view, the overview and the assessment view (an assessment and its review switch to it too).
enum eViewID {
    eViewReading = 0,
    eViewOverview = 2,
    eViewAssessment = 3,
};

class FLIT_EXPORT CFlitCommandEvent : public wxCommandEvent {
public:
    explicit CFlitCommandEvent(int eventType);
    // Copies the command-event part as the toolkit does, then the four fields. The colour is
    // rebuilt from its components rather than shared: clones are made on the presentation thread
    // and handled on the GUI thread, and the toolkit's colour reference count is not atomic.
    CFlitCommandEvent(const CFlitCommandEvent& other);
    ~CFlitCommandEvent() override;

    // Copies the four fields only; the event type and the rest of the command-event part stay.
    void operator=(const CFlitCommandEvent& other);

    // Empty text, number -1, no colour, no node.
    void zeroInit();

    wxEvent* Clone() const override;

    bool waitsForRender() const { return GetExtraLong() > 0; }
    // The ticket to pass back with the render signal; 0 when nothing waits for this event.
    long getRenderTicket() const { return GetExtraLong() > 0 ? GetExtraLong() : 0; }

    // One published event type and its short name ("DONE", "WORD", ...): the identifier
    // without "EVT_FLIT_COMMAND_" and "_MSG".
    struct SEventTypeName {
        const int* type;
        const char* name;
    };
    static constexpr int kEventTypeCount = 27;
    // Every event type, in the published order, for hosts that bind or log them all.
    static const SEventTypeName kEventTypeNames[kEventTypeCount];
    // The short name of an event type; "UNKNOWN" for any other value.
    static const char* getTypeName(int eventType);

    wxString text;
    int number;
    wxColour colour;
    wxCDataInfoListNode* dataInfoListNode;
};

typedef void (wxEvtHandler::*CFlitCommandEventFunction)(CFlitCommandEvent&);

// A static event table entry for a CFlitCommandEvent handler, for any window id.
#define EVT_FLIT_COMMAND(eventType, handler)                                                       \
    wx__DECLARE_EVT1(eventType, wxID_ANY, wxEVENT_HANDLER_CAST(CFlitCommandEventFunction, handler))

// The event types. Each receives a fresh value from the toolkit when the library is loaded, in
// this order; read them at run time, never assume numbers.
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_DONE_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_BACKGROUND_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_TEXT_COLOUR_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_WORD_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_VIDEO_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_SOUND_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_CHANGE_VIEW_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_ASSESSMENT_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_BGRAPHIC_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_COURSE_NOTE_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_RAPID_NOTE_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_USER_NOTE_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_DOGEAR_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_PAGE_NUM_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_SPEED_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_STYLE_BOLD_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_START_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_PAUSE_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_CONTINUE_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_STOP_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG;
extern FLIT_EXPORT const int EVT_FLIT_COMMAND_RETURN_TO_PREVIOUS_APP_MSG;

#endif
