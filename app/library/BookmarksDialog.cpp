#include "library/BookmarksDialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textdlg.h>

#include <utility>

namespace {

const long long kPercent = 100;

struct SColumn {
    const char* heading;
    int width;
};
const SColumn kColumns[] = {{"Place", 110}, {"Context", 420}, {"Note", 180}, {"Made", 130}};
const int kNoteColumn = 2;

} // namespace

std::vector<wxString> CBookmarksDialog::rowOf(const CLibrary::SBookmark& bookmark, size_t words) {
    const long long total = static_cast<long long>(words);
    const long long percent = total <= 0 ? 0 : bookmark.position * kPercent / total;
    return {wxString::Format("%lld%%, word %lld", percent, bookmark.position + 1), bookmark.context,
            bookmark.note,
            bookmark.created.IsValid() ? bookmark.created.Format("%Y-%m-%d %H:%M") : wxString()};
}

bool CBookmarksDialog::askNote(wxWindow* parent, const wxString& title, const wxString& context,
                               wxString* note) {
    // The quotation marks as UTF-8: a narrow format string is read in the C locale.
    const wxString message = wxString::FromUTF8("At \u201c") + context +
                             wxString::FromUTF8("\u201d\n\nNote (optional):");
    wxTextEntryDialog dialog(parent, message, title, *note);
    if (dialog.ShowModal() != wxID_OK) {
        return false;
    }
    *note = dialog.GetValue().Strip(wxString::both);
    return true;
}

CBookmarksDialog::CBookmarksDialog(wxWindow* parent, CLibrary* bookmarkLibrary,
                                   std::vector<CLibrary::SBookmark> marks, size_t documentWords)
    : wxDialog(parent, wxID_ANY, "Bookmarks", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      library(bookmarkLibrary), bookmarks(std::move(marks)), words(documentWords) {
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    list = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(860, 280), wxLC_REPORT);
    for (const SColumn& column : kColumns) {
        list->AppendColumn(column.heading, wxLIST_FORMAT_LEFT, column.width);
    }
    sizer->Add(list, wxSizerFlags(1).Expand().Border());

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    selectionButtons = {new wxButton(this, wxID_OK, "&Go"),
                        new wxButton(this, wxID_EDIT, "&Edit Note..."),
                        new wxButton(this, wxID_DELETE, "&Delete")};
    for (wxButton* button : selectionButtons) {
        buttons->Add(button, wxSizerFlags().Border(wxRIGHT));
    }
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CLOSE, "&Close"));
    sizer->Add(buttons, wxSizerFlags().Expand().Border());
    SetSizerAndFit(sizer);
    SetEscapeId(wxID_CLOSE);
    SetAffirmativeId(wxID_NONE); // Go ends the dialog with the bookmark chosen, not on its own

    list->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { goToSelected(); });
    list->Bind(wxEVT_LIST_KEY_DOWN, [this](wxListEvent& event) {
        if (event.GetKeyCode() == WXK_DELETE) {
            removeSelected();
        } else {
            event.Skip();
        }
    });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { goToSelected(); }, wxID_OK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { editNote(); }, wxID_EDIT);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { removeSelected(); }, wxID_DELETE);
    fill();
}

void CBookmarksDialog::fill(long select) {
    list->DeleteAllItems();
    for (size_t row = 0; row < bookmarks.size(); ++row) {
        const std::vector<wxString> texts = rowOf(bookmarks[row], words);
        const long item = list->InsertItem(static_cast<long>(row), texts[0]);
        for (size_t column = 1; column < texts.size(); ++column) {
            list->SetItem(item, static_cast<int>(column), texts[column]);
        }
    }
    if (!bookmarks.empty()) {
        list->SetItemState(wxMin(select, static_cast<long>(bookmarks.size()) - 1),
                           wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                           wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
    for (wxButton* button : selectionButtons) {
        button->Enable(!bookmarks.empty());
    }
}

long CBookmarksDialog::selected() const {
    const long item = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    return item >= 0 && static_cast<size_t>(item) < bookmarks.size() ? item : -1;
}

void CBookmarksDialog::goToSelected() {
    const long item = selected();
    if (item >= 0) {
        chosen = bookmarks[static_cast<size_t>(item)].position;
        EndModal(wxID_OK);
    }
}

void CBookmarksDialog::removeSelected() {
    const long item = selected();
    if (item < 0) {
        return;
    }
    library->removeBookmark(bookmarks[static_cast<size_t>(item)].id);
    bookmarks.erase(bookmarks.begin() + item);
    // The next one is selected, so that Delete pressed again goes on down the list.
    fill(item);
}

void CBookmarksDialog::editNote() {
    const long item = selected();
    if (item < 0) {
        return;
    }
    CLibrary::SBookmark& bookmark = bookmarks[static_cast<size_t>(item)];
    wxString note = bookmark.note;
    if (askNote(this, "Edit Note", bookmark.context, &note)) {
        library->setBookmarkNote(bookmark.id, note);
        bookmark.note = note;
        list->SetItem(item, kNoteColumn, note);
    }
}
