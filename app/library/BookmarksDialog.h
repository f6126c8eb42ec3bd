#ifndef FLIT_APP_BOOKMARKSDIALOG_H
#define FLIT_APP_BOOKMARKSDIALOG_H

#include "library/Library.h"

#include <wx/dialog.h>

#include <cstddef>
#include <vector>

class wxButton;
class wxListCtrl;

// Go > Bookmarks: the open document's bookmarks in the order of their places, each with how far
// in it is, the words around it, its note and when it was made. Go (a double click, or Enter)
// ends the dialog with wxID_OK and getChosen(); Delete (the key or the button) removes the
// selected bookmarks from the library; Edit Note changes the selected one's note there.
class CBookmarksDialog : public wxDialog {
public:
    // words: the document's words, to say how far in each bookmark is.
    CBookmarksDialog(wxWindow* parent, CLibrary* library, std::vector<CLibrary::SBookmark> marks,
                     size_t words);

    // The word index of the bookmark chosen to go to; -1 when none was.
    long long getChosen() const { return chosen; }
    wxListCtrl* getList() const { return list; }
    // The texts of a bookmark's row: place, context, note, made.
    static std::vector<wxString> rowOf(const CLibrary::SBookmark& bookmark, size_t words);
    // Asks for a bookmark's note under the words around it (Enter keeps it, Esc cancels):
    // false when cancelled.
    static bool askNote(wxWindow* parent, const wxString& title, const wxString& context,
                        wxString* note);

    // What the buttons do, for the keys and the tests: on the selected bookmark.
    void goToSelected();
    void removeSelected();
    void editNote();

private:
    // Lists the bookmarks, the one at row select (or the last) selected.
    void fill(long select = 0);
    long selected() const;

    CLibrary* library;
    std::vector<CLibrary::SBookmark> bookmarks;
    size_t words;
    wxListCtrl* list;
    std::vector<wxButton*> selectionButtons;
    long long chosen = -1;
};

#endif
