#include <flitengine/debug/FEDebugDlg.h>

#include <flitengine/debug/FEDebugNotebook.h>

#include <wx/button.h>
#include <wx/sizer.h>

namespace {

// Space around the notebook and around each button.
const int kBorder = 10;

} // namespace

CFEDebugDlg::CFEDebugDlg(wxWindow* parent, int id, const wxString& title, const wxPoint& pos,
                         const wxSize& size, long style, const wxString& name)
    : wxDialog(parent, id, title, pos, size, style, name) {
    zeroInit();
    createControls();
}

CFEDebugDlg::~CFEDebugDlg() = default;

void CFEDebugDlg::zeroInit() {
    notebook = nullptr;
    okButton = nullptr;
    cancelButton = nullptr;
}

bool CFEDebugDlg::createControls() {
    notebook =
        new CFEDebugNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "notebook");
    okButton = new wxButton(this, wxID_OK, "&OK");
    cancelButton = new wxButton(this, wxID_CANCEL, "&Cancel");

    // The buttons sit at the right-hand end of a row below the notebook, Cancel first; the
    // notebook takes any extra height.
    wxBoxSizer* buttonRow = new wxBoxSizer(wxHORIZONTAL);
    buttonRow->AddStretchSpacer(1);
    buttonRow->Add(cancelButton, 0, wxALL, kBorder);
    buttonRow->Add(okButton, 0, wxALL, kBorder);

    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(notebook, 1, wxALL, kBorder);
    top->Add(buttonRow, 0, wxEXPAND, 0);
    SetSizerAndFit(top, true);
    return true;
}

bool CFEDebugDlg::initialize(CFlitManager* manager) {
    notebook->initialize(manager);
    return true;
}

bool CFEDebugDlg::TransferDataToWindow() {
    return notebook->TransferDataToWindow();
}

bool CFEDebugDlg::TransferDataFromWindow() {
    return notebook->TransferDataFromWindow();
}

// No entries of its own: the base class's handling applies.
wxBEGIN_EVENT_TABLE(CFEDebugDlg, wxDialog)
wxEND_EVENT_TABLE()
