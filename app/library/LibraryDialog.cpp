#include "library/LibraryDialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

namespace {

const int kPercent = 100;
const int kProblemWrapWidth = 560;

struct SColumn {
    const char* heading;
    int width;
};
const SColumn kColumns[] = {{"Title", 220}, {"Progress", 80}, {"Last read", 110}, {"Path", 300}};

} // namespace

std::vector<wxString> CLibraryDialog::rowOf(const CLibrary::SDocument& document) {
    const long long percent =
        document.words <= 0
            ? 0
            : std::min<long long>(kPercent, document.position * kPercent / document.words);
    return {document.title, wxString::Format("%lld%%", percent),
            document.lastRead.IsValid() ? document.lastRead.FormatDate() : wxString(),
            document.path};
}

CLibraryDialog::CLibraryDialog(wxWindow* parent, CLibrary* documentLibrary)
    : wxDialog(parent, wxID_ANY, "Library", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      library(documentLibrary) {
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    if (!library->isAvailable()) {
        wxStaticText* problem = new wxStaticText(this, wxID_ANY, library->getProblem());
        problem->Wrap(kProblemWrapWidth);
        sizer->Add(problem, wxSizerFlags().Expand().Border());
    }
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(720, 320), wxLC_REPORT);
    for (const SColumn& column : kColumns) {
        list->AppendColumn(column.heading, wxLIST_FORMAT_LEFT, column.width);
    }
    sizer->Add(list, wxSizerFlags(1).Expand().Border());

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    if (!library->isAvailable() && library->isDamaged()) {
        buttons->Add(new wxButton(this, ID_SET_ASIDE, "Set Aside and Start &Afresh"),
                     wxSizerFlags().Border(wxRIGHT));
    }
    openButton = new wxButton(this, wxID_OPEN, "&Open");
    removeButton = new wxButton(this, wxID_REMOVE, "&Remove");
    buttons->Add(openButton, wxSizerFlags().Border(wxRIGHT));
    buttons->Add(removeButton, wxSizerFlags().Border(wxRIGHT));
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CLOSE, "&Close"));
    sizer->Add(buttons, wxSizerFlags().Expand().Border());
    SetSizerAndFit(sizer);
    SetEscapeId(wxID_CLOSE);

    list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { openSelected(); });
    list->Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& event) {
        if (event.GetKeyCode() == WXK_DELETE) {
            removeSelected();
        } else {
            event.Skip();
        }
    });
    list->Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { openButton->Enable(); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { openSelected(); }, wxID_OPEN);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { removeSelected(); }, wxID_REMOVE);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(ID_SET_ASIDE); }, ID_SET_ASIDE);
    fill();
}

void CLibraryDialog::fill() {
    documents = library->documents();
    list->DeleteAllItems();
    for (size_t row = 0; row < documents.size(); ++row) {
        const std::vector<wxString> texts = rowOf(documents[row]);
        const long item = list->InsertItem(static_cast<long>(row), texts[0]);
        for (size_t column = 1; column < texts.size(); ++column) {
            list->SetItem(item, static_cast<int>(column), texts[column]);
        }
    }
    if (!documents.empty()) {
        list->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                           wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
    openButton->Enable(!documents.empty());
    removeButton->Enable(!documents.empty());
}

void CLibraryDialog::openSelected() {
    const long item = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (item < 0 || static_cast<size_t>(item) >= documents.size()) {
        return;
    }
    chosenPath = documents[static_cast<size_t>(item)].path;
    EndModal(wxID_OPEN);
}

void CLibraryDialog::removeSelected() {
    for (long item = -1;
         (item = list->GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) >= 0;) {
        if (static_cast<size_t>(item) < documents.size()) {
            library->remove(documents[static_cast<size_t>(item)].hash);
        }
    }
    fill();
}
