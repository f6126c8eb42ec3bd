#include "view/AssessmentView.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

CAssessmentView::CAssessmentView(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
              "assessmentView") {
    titleText = new wxStaticText(this, wxID_ANY, "Assessment");
    titleText->SetFont(titleText->GetFont().Bold().Scaled(1.4f));
    bodyText = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                              wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
    continueButton = new wxButton(this, wxID_FORWARD, "&Continue");
    // The document held reading for this view: say so, and how to go on.
    wxStaticText* note = new wxStaticText(
        this, wxID_ANY, "The document holds reading here. Press Space to continue.");

    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(titleText, wxSizerFlags().Border(wxALL, 12));
    sizer->Add(bodyText, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT, 12));
    wxBoxSizer* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(note, wxSizerFlags(1).Centre().Border(wxRIGHT, 12));
    bottom->Add(continueButton, wxSizerFlags().Centre());
    sizer->Add(bottom, wxSizerFlags().Expand().Border(wxALL, 12));
    SetSizer(sizer);
}

void CAssessmentView::showAssessment(const wxString& title, const wxString& text) {
    titleText->SetLabel(title);
    bodyText->ChangeValue(text);
    Layout();
}

wxString CAssessmentView::getText() const {
    return bodyText->GetValue();
}
