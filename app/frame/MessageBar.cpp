#include "frame/MessageBar.h"

#include <wx/infobar.h>

CMessageBar::CMessageBar(wxWindow* parent) : bar(new wxInfoBar(parent)) {}

void CMessageBar::show(const wxString& message, int icon) {
    shown = message;
    bar->ShowMessage(shown, icon);
}

wxString CMessageBar::getShown() const {
    return bar->IsShown() ? shown : wxString();
}

void CMessageBar::dismiss() {
    bar->Dismiss();
}

void CMessageBar::sayNotice(const wxString& said) {
    if (said == notice) {
        return;
    }
    if (!said.empty()) {
        bar->ShowMessage(said, wxICON_INFORMATION);
    } else if (bar->IsShown()) {
        bar->Dismiss();
    }
    notice = said;
}
