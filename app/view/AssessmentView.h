#ifndef FLIT_APP_ASSESSMENTVIEW_H
#define FLIT_APP_ASSESSMENTVIEW_H

#include <wx/panel.h>

class wxButton;
class wxStaticText;
class wxTextCtrl;

// The view the reader switches to for an assessment: its text and a Continue button, which
// asks the frame to go on reading after the item (the button sends wxEVT_BUTTON with
// wxID_FORWARD to the parent).
class CAssessmentView : public wxPanel {
public:
    explicit CAssessmentView(wxWindow* parent);

    void showAssessment(const wxString& title, const wxString& text);
    wxButton* getContinueButton() const { return continueButton; }
    wxString getText() const;

private:
    wxStaticText* titleText;
    wxTextCtrl* bodyText;
    wxButton* continueButton;
};

#endif
