#include "reading/NoteShower.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrame.h"

#include <flitengine/outside/DataManager.h>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

wxString CNoteShower::lineOf(unsigned int number, const wxString& text) {
    wxString line = text;
    if (line.length() > kLineCharacters) {
        // Cut at the last space that keeps it short, so that no word is cut.
        line.Truncate(kLineCharacters);
        const int space = line.Find(' ', true);
        if (space > 0) {
            line.Truncate(static_cast<size_t>(space));
        }
        line += wxString::FromUTF8("\xE2\x80\xA6");
    }
    return wxString::Format("Note %u: %s", number, line);
}

wxString CNoteShower::notePassed(const CDataManager* document, unsigned int number) {
    const wxString* text = document != nullptr ? document->getNote(number) : nullptr;
    if (text == nullptr || text->empty()) {
        return wxString();
    }
    lastDocument = document;
    lastNumber = number;
    lastText = *text;
    return lineOf(number, *text);
}

bool CNoteShower::showLast(const CDataManager* document) {
    // Another document may have taken the place of the one the note was passed in: the note
    // must still be its own.
    const wxString* text = document != nullptr ? document->getNote(lastNumber) : nullptr;
    if (document != lastDocument || text == nullptr || *text != lastText || lastText.empty()) {
        return false;
    }
    CPauseWhileModal pause(frame);
    wxDialog dialog(frame, wxID_ANY, wxString::Format("Note %u", lastNumber), wxDefaultPosition,
                    wxSize(480, 280), wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxTextCtrl(&dialog, wxID_ANY, lastText, wxDefaultPosition, wxDefaultSize,
                              wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP),
               wxSizerFlags(1).Expand().Border());
    sizer->Add(dialog.CreateStdDialogButtonSizer(wxOK), wxSizerFlags().Expand().Border());
    dialog.SetSizer(sizer);
    dialog.ShowModal();
    return true;
}
