#ifndef FLIT_APP_LIBRARYDIALOG_H
#define FLIT_APP_LIBRARYDIALOG_H

#include "library/Library.h"

#include <wx/dialog.h>

#include <vector>

class wxButton;
class wxListCtrl;
class wxListEvent;

// File > Library: the documents read, the last read first, with how far each was read. A double
// click (or Open) ends the dialog with wxID_OPEN and getChosenPath(); Delete (or Remove) forgets
// the selected entries. When the library file is damaged the dialog says so and offers to set it
// aside and start afresh (ending with ID_SET_ASIDE); nothing is lost, the file is kept beside.
class CLibraryDialog : public wxDialog {
public:
    enum { ID_SET_ASIDE = wxID_HIGHEST + 900 };

    CLibraryDialog(wxWindow* parent, CLibrary* library);

    const wxString& getChosenPath() const { return chosenPath; }
    wxListCtrl* getList() const { return list; }
    // The texts a document's row shows: title, progress, last read, path.
    static std::vector<wxString> rowOf(const CLibrary::SDocument& document);

private:
    void fill();
    void openSelected();
    void removeSelected();

    CLibrary* library;
    std::vector<CLibrary::SDocument> documents;
    wxListCtrl* list;
    wxButton* openButton;
    wxButton* removeButton;
    wxString chosenPath;
};

#endif
