#include <flitengine/debug/FEMetricsPanel.h>

#include <flitengine/engine/FlitMetricsData.h>

#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

// Gaps between the cells of the grid, and its border inside the page.
const int kGridGap = 5;
const int kGridBorder = 5;
// Space kept free above the grid.
const int kTopSpace = 10;

} // namespace

CFEMetricsPanel::CFEMetricsPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                                 long style, const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    zeroInit();
    createControls();
}

CFEMetricsPanel::~CFEMetricsPanel() = default;

void CFEMetricsPanel::zeroInit() {
    metricsData = nullptr;
    numWordsTextCtrl = nullptr;
    durationTextCtrl = nullptr;
    speedTextCtrl = nullptr;
}

bool CFEMetricsPanel::createControls() {
    wxStaticText* numWordsLabel = new wxStaticText(this, wxID_ANY, "# Words Displayed:");
    wxStaticText* durationLabel = new wxStaticText(this, wxID_ANY, "Duration (millisecs):");
    wxStaticText* speedLabel = new wxStaticText(this, wxID_ANY, "Speed (WPM):");

    numWordsTextCtrl = new wxTextCtrl(this, wxID_ANY, wxEmptyString);
    durationTextCtrl = new wxTextCtrl(this, wxID_ANY, wxEmptyString);
    speedTextCtrl = new wxTextCtrl(this, wxID_ANY, wxEmptyString);
    // The figures are the engine's: nothing typed here would mean anything.
    numWordsTextCtrl->SetEditable(false);
    durationTextCtrl->SetEditable(false);
    speedTextCtrl->SetEditable(false);

    wxFlexGridSizer* grid = new wxFlexGridSizer(3, 2, kGridGap, kGridGap);
    grid->Add(numWordsLabel);
    grid->Add(numWordsTextCtrl);
    grid->Add(durationLabel);
    grid->Add(durationTextCtrl);
    grid->Add(speedLabel);
    grid->Add(speedTextCtrl);

    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    top->Add(kTopSpace, kTopSpace);
    top->Add(grid, 1, wxEXPAND | wxALL, kGridBorder);
    SetSizer(top, true);
    return true;
}

bool CFEMetricsPanel::initialize(CFlitMetricsData* metricsDataIn) {
    metricsData = metricsDataIn;
    return TransferDataToWindow();
}

bool CFEMetricsPanel::TransferDataToWindow() {
    if (metricsData != nullptr) {
        // Each unsigned figure is passed on as an int and shown as a plain decimal number.
        setTextCtrlFromInt(numWordsTextCtrl, static_cast<int>(metricsData->getNumWordsDisplayed()));
        setTextCtrlFromInt(durationTextCtrl,
                           static_cast<int>(metricsData->getDurationInMillisecs()));
        setTextCtrlFromInt(speedTextCtrl, static_cast<int>(metricsData->calcWpmSpeed()));
    }
    return updateControls();
}

bool CFEMetricsPanel::TransferDataFromWindow() {
    return updateControls();
}

bool CFEMetricsPanel::setTextCtrlFromInt(wxTextCtrl* textCtrl, int value) {
    textCtrl->SetValue(wxString::Format("%d", value));
    return true;
}

bool CFEMetricsPanel::updateControls() {
    return true;
}

// No entries of its own: the base class's handling applies.
wxBEGIN_EVENT_TABLE(CFEMetricsPanel, wxPanel)
wxEND_EVENT_TABLE()
