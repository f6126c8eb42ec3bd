#include "document/OpeningBar.h"

#include <wx/button.h>
#include <wx/event.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <utility>

COpeningBar::COpeningBar(wxWindow* parent, int range, std::function<int()> shareRead,
                         std::function<void()> onCancel)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "opening"),
      progress(std::move(shareRead)) {
    label = new wxStaticText(this, wxID_ANY, wxString());
    gauge = new wxGauge(this, wxID_ANY, range, wxDefaultPosition, wxDefaultSize,
                        wxGA_HORIZONTAL | wxGA_SMOOTH);
    wxButton* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
    cancel->Bind(wxEVT_BUTTON, [onCancel = std::move(onCancel)](wxCommandEvent&) { onCancel(); });
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(label, wxSizerFlags().CenterVertical().Border(wxLEFT | wxRIGHT));
    sizer->Add(gauge, wxSizerFlags(1).CenterVertical().Border(wxLEFT | wxRIGHT));
    sizer->Add(cancel, wxSizerFlags().Border(wxALL, 4));
    SetSizer(sizer);
    timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { onTick(); });
    Hide();
}

void COpeningBar::showOpening(const wxString& name) {
    label->SetLabel(wxString::Format(L"Opening %s\u2026", name));
    gauge->SetValue(0);
    moves = 0;
    timer.Start(kTickMs);
    Show();
    GetParent()->Layout();
}

void COpeningBar::hideOpening() {
    timer.Stop();
    if (IsShown()) {
        Hide();
        GetParent()->Layout();
    }
}

void COpeningBar::onTick() {
    const int share = progress();
    if (share < 0) {
        gauge->Pulse();
    } else {
        gauge->SetValue(share);
    }
    ++moves;
}
