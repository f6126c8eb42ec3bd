#ifndef FLIT_DEBUG_FEDEBUGDLG_H
#define FLIT_DEBUG_FEDEBUGDLG_H

#include <flitengine/FlitExport.h>

#include <wx/dialog.h>

class CFEDebugNotebook;
class CFlitManager;
class wxButton;

// The developer's window onto a running engine: a notebook with the timing table page and the
// metrics page, above Cancel and OK. The host constructs it (every argument has a default),
// binds it to its manager with initialize and shows it, modally or not. Showing refreshes both
// pages; OK commits the timing row on screen and closes, Cancel closes without committing.
class FLIT_EXPORT CFEDebugDlg : public wxDialog {
public:
    // The default style makes a resizable dialog with a caption, system menu and close box.
    CFEDebugDlg(wxWindow* parent = nullptr, int id = -1, const wxString& title = "FlitEngine Debug",
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU | wxRESIZE_BORDER,
                const wxString& name = "dialogBox");
    ~CFEDebugDlg() override;

    void zeroInit();
    bool createControls();
    // Binds the pages to the manager, which must outlive the dialog. Always true.
    bool initialize(CFlitManager* manager);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    CFEDebugNotebook* notebook;
    wxButton* okButton;
    wxButton* cancelButton;

    // Empty: OK and Cancel get the dialog's standard handling.
    wxDECLARE_EVENT_TABLE();
};

#endif
