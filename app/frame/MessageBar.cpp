#include "frame/MessageBar.h"

#include <flitengine/outside/MessageText.h>

#include <wx/infobar.h>

namespace {

// The bar lays out what it is given in one go: a message is cut to a length it shows at once,
// whatever a document put into it.
wxString bounded(const wxString& message) {
    return CMessageText::cut(message, CMessageText::kMessageChars);
}

} // namespace

CMessageBar::CMessageBar(wxWindow* parent) : bar(new wxInfoBar(parent)) {}

void CMessageBar::show(const wxString& message, int icon) {
    withdrawOffer();
    shown = bounded(message);
    bar->ShowMessage(shown, icon);
}

wxString CMessageBar::getShown() const {
    return bar->IsShown() ? shown : wxString();
}

void CMessageBar::offer(const wxString& message, int icon, int buttonId, const wxString& label) {
    withdrawOffer();
    bar->AddButton(buttonId, label);
    offered = buttonId;
    shown = bounded(message);
    bar->ShowMessage(shown, icon);
}

void CMessageBar::withdrawOffer() {
    if (offered != 0) {
        bar->RemoveButton(offered);
        offered = 0;
    }
}

void CMessageBar::dismiss() {
    withdrawOffer();
    bar->Dismiss();
}

void CMessageBar::sayNotice(const wxString& said) {
    if (said == notice) {
        return;
    }
    withdrawOffer();
    if (!said.empty()) {
        bar->ShowMessage(bounded(said), wxICON_INFORMATION);
    } else if (bar->IsShown()) {
        bar->Dismiss();
    }
    notice = said;
}
