#include <flitengine/debug/FETimingConstantsPanel.h>

#include <flitengine/outside/CommonGuiUtils.h>
#include <flitengine/timing/FlitWordCalcs.h>
#include <flitengine/timing/FlitWordCalcsSerializer.h>
#include <flitengine/timing/TimingTableData.h>

#include <wx/button.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <vector>

namespace {

const int kNextButtonId = 0;
const int kPrevButtonId = 1;
const int kLoadSettingsButtonId = 2;
const int kSaveSettingsButtonId = 3;

// The range a spin control has when created, and the one initialize gives it: percentages
// well above 100 are common (the default rows hold 140).
const int kMinAdjPercentage = CTimingTableData::kMinAdjPercentage;
const int kCreationMaxAdjPercentage = 100;
const int kMaxAdjPercentage = CTimingTableData::kMaxAdjPercentage;

const int kRowCount = CFlitWordCalcs::kTimingTableRowCount;

// The settings files offered by the file chooser, in the toolkit's wildcard form.
const char* const kSettingsFileFilter = "XML Files (*.xml)|*.xml";
// The file dialog styles handed to the chooser along with the kind of file wanted.
const long kOpenFileStyle = 1;
const long kSaveFileStyle = 6;

} // namespace

int CFETimingConstantsPanel::kLastTimingTableDataIndex = 0;

CFETimingConstantsPanel::CFETimingConstantsPanel(wxWindow* parent, int id, const wxPoint& pos,
                                                 const wxSize& size, long style,
                                                 const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    zeroInit();
    if (createControls()) {
        timingTableDataIndex = kLastTimingTableDataIndex;
    }
}

CFETimingConstantsPanel::~CFETimingConstantsPanel() = default;

void CFETimingConstantsPanel::zeroInit() {
    wordCalcs = nullptr;
    timingTableDataIndex = 0;
    border = 5;
    spinCtrlSize = wxSize(80, -1);
    speedValueText = nullptr;
}

bool CFETimingConstantsPanel::createControls() {
    // Creation order is also the keyboard traversal order.
    wxSizer* speedSizer = createSpeedCtrlsAndSizer();
    wxSizer* wordDisplaySizer = createWordDisplayConstantsCtrlsAndSizer();
    wxSizer* interWordDelaySizer = createInterWordDelayConstantsCtrlsAndSizer();
    wxSizer* restSustainSizer = createRestSustainDelayCtrlsAndSizer();

    wxBoxSizer* top = new wxBoxSizer(wxVERTICAL);
    for (wxSizer* sizer : {speedSizer, wordDisplaySizer, interWordDelaySizer, restSustainSizer}) {
        top->Add(sizer, 0, wxEXPAND | wxALL, border);
    }
    SetSizer(top, true);
    return true;
}

wxSizer* CFETimingConstantsPanel::createSpeedCtrlsAndSizer() {
    wxStaticText* speedLabel = new wxStaticText(this, wxID_ANY, "Speed:");
    // A placeholder until initialize shows the current row's speed.
    speedValueText = new wxStaticText(this, wxID_ANY, "250");
    wxStaticText* unitLabel = new wxStaticText(this, wxID_ANY, "WPM");
    prevButton = new wxButton(this, kPrevButtonId, "<<Prev");
    nextButton = new wxButton(this, kNextButtonId, "Next>>");
    saveSettingsButton = new wxButton(this, kSaveSettingsButtonId, "Save Settings");
    loadSettingsButton = new wxButton(this, kLoadSettingsButtonId, "Load Settings");

    // Navigation on the left; the file buttons pushed to the right edge.
    wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(speedLabel, 0, wxALL, border);
    sizer->Add(speedValueText, 0, wxALL, border);
    sizer->Add(unitLabel, 0, wxALL, border);
    sizer->Add(prevButton, 0, wxALL, border);
    sizer->Add(nextButton, 0, wxALL, border);
    sizer->AddStretchSpacer(1);
    sizer->Add(saveSettingsButton, 0, wxALL, border);
    sizer->Add(loadSettingsButton, 0, wxALL, border);
    return sizer;
}

wxSizer* CFETimingConstantsPanel::createWordDisplayConstantsCtrlsAndSizer() {
    return createSpinCtrlGroup("Word Display Constants",
                               {{"BaseDelay Adj. Percentage:", &wdBaseValueSpinCtrl},
                                {"LWD Adj. Percentage:", &wdLongerWordSpinCtrl},
                                {"AllCaps Adj. Percentage:", &wdAllCapsSpinCtrl},
                                {"AllNums Adj. Percentage:", &wdAllNumsSpinCtrl}});
}

wxSizer* CFETimingConstantsPanel::createInterWordDelayConstantsCtrlsAndSizer() {
    return createSpinCtrlGroup("Inter-Word Delay Constants",
                               {{"BaseDelay Adj. Percentage:", &iwdBaseValueSpinCtrl},
                                {"Comma Delay Adj. Percentage:", &iwdCommaSpinCtrl},
                                {"Period Delay Adj. Percentage:", &iwdPeriodSpinCtrl},
                                {"Newline Delay Adj. Percentage:", &iwdNewlineSpinCtrl}});
}

wxSizer* CFETimingConstantsPanel::createRestSustainDelayCtrlsAndSizer() {
    return createSpinCtrlGroup("Rest/Sustain Delay Constants",
                               {{"RestDelay Adj. Percentage:", &restDelaySpinCtrl},
                                {"SustainDelay Adj. Percentage:", &sustainDelaySpinCtrl}});
}

wxSizer* CFETimingConstantsPanel::createSpinCtrlGroup(const wxString& title,
                                                      std::initializer_list<SSpinRow> rows) {
    wxStaticBox* box = new wxStaticBox(this, wxID_ANY, title);

    std::vector<wxStaticText*> labels;
    for (const SSpinRow& row : rows) {
        labels.push_back(new wxStaticText(this, wxID_ANY, row.label));
    }
    // Wide enough for the largest percentage and both arrows: on some platforms spinCtrlSize
    // alone clips them, and there the control keeps the width it needs.
    const wxString widestValue = wxString::Format("%d", kMaxAdjPercentage);
    for (const SSpinRow& row : rows) {
        wxSpinCtrl* spinCtrl = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                              spinCtrlSize, wxSP_ARROW_KEYS, kMinAdjPercentage,
                                              kCreationMaxAdjPercentage, 0, "wxSpinCtrl");
        const int neededWidth =
            spinCtrl->GetSizeFromTextSize(spinCtrl->GetTextExtent(widestValue)).x;
        if (neededWidth > spinCtrlSize.x) {
            spinCtrl->SetInitialSize(wxSize(neededWidth, spinCtrlSize.y));
        }
        *row.spinCtrl = spinCtrl;
    }

    wxFlexGridSizer* grid = new wxFlexGridSizer(static_cast<int>(rows.size()), 2, border, border);
    size_t index = 0;
    for (const SSpinRow& row : rows) {
        grid->Add(labels[index++], 0, wxALL, 0);
        grid->Add(*row.spinCtrl, 0, wxALL, 0);
    }

    wxStaticBoxSizer* group = new wxStaticBoxSizer(box, wxVERTICAL);
    group->Add(grid, 0, wxALL, border);
    return group;
}

std::array<wxSpinCtrl*, CFETimingConstantsPanel::kSpinCtrlCount>
CFETimingConstantsPanel::spinCtrlsInFieldOrder() const {
    return {wdBaseValueSpinCtrl,  wdLongerWordSpinCtrl, wdAllCapsSpinCtrl, wdAllNumsSpinCtrl,
            iwdBaseValueSpinCtrl, iwdCommaSpinCtrl,     iwdPeriodSpinCtrl, iwdNewlineSpinCtrl,
            restDelaySpinCtrl,    sustainDelaySpinCtrl};
}

bool CFETimingConstantsPanel::initialize(CFlitWordCalcs* wordCalcsIn) {
    wordCalcs = wordCalcsIn;
    initSpinCtrls();
    return TransferDataToWindow();
}

bool CFETimingConstantsPanel::initSpinCtrls() {
    for (wxSpinCtrl* spinCtrl : spinCtrlsInFieldOrder()) {
        spinCtrl->SetRange(kMinAdjPercentage, kMaxAdjPercentage);
    }
    return true;
}

bool CFETimingConstantsPanel::TransferDataToWindow() {
    const CTimingTableData& row = CFlitWordCalcs::kTimingTable[timingTableDataIndex];
    const std::array<wxSpinCtrl*, kSpinCtrlCount> spinCtrls = spinCtrlsInFieldOrder();
    // The percentages follow the speed in the row's field list.
    for (size_t k = 0; k < spinCtrls.size(); ++k) {
        spinCtrls[k]->SetValue(row.*CTimingTableData::kFields[k + 1]);
    }
    return updateControls();
}

bool CFETimingConstantsPanel::TransferDataFromWindow() {
    CTimingTableData& row = CFlitWordCalcs::kTimingTable[timingTableDataIndex];
    const std::array<wxSpinCtrl*, kSpinCtrlCount> spinCtrls = spinCtrlsInFieldOrder();
    for (size_t k = 0; k < spinCtrls.size(); ++k) {
        CTimingTableData::storeField(row, CTimingTableData::kFields[k + 1],
                                     spinCtrls[k]->GetValue());
    }
    kLastTimingTableDataIndex = timingTableDataIndex;
    return updateControls();
}

bool CFETimingConstantsPanel::updateControls() {
    return updateSpeedCtrls();
}

bool CFETimingConstantsPanel::updateSpeedCtrls() {
    speedValueText->SetLabel(
        wxString::Format("%d", CFlitWordCalcs::kTimingTable[timingTableDataIndex].speed));
    // A speed of another width moves the labels and buttons after it.
    Layout();
    // The navigation handlers do not check the index: these two keep it within the table.
    nextButton->Enable(timingTableDataIndex + 1 != kRowCount);
    prevButton->Enable(timingTableDataIndex != 0);
    return true;
}

void CFETimingConstantsPanel::OnNextButton(wxCommandEvent& /*event*/) {
    TransferDataFromWindow();
    ++timingTableDataIndex;
    TransferDataToWindow();
}

void CFETimingConstantsPanel::OnPrevButton(wxCommandEvent& /*event*/) {
    TransferDataFromWindow();
    --timingTableDataIndex;
    TransferDataToWindow();
}

void CFETimingConstantsPanel::OnLoadSettingsButton(wxCommandEvent& /*event*/) {
    wxString path;
    wxArrayString filters;
    filters.Add(kSettingsFileFilter);
    if (!CCommonGuiUtils::BrowseForFile(true, filters, path, wxString(), wxString(), kOpenFileStyle,
                                        kSaveFileStyle)) {
        return;
    }
    // A refused file leaves the table as it was; either way the row on screen is shown from the
    // table again, replacing any uncommitted edit. The page opens no message box: the reason
    // goes to the log as a status line (the host's status bar, if it has one).
    CFlitWordCalcsSerializer serializer(wordCalcs, path.utf8_str());
    if (!serializer.load()) {
        wxLogStatus("Settings not loaded: %s", serializer.getLoadError());
    }
    TransferDataToWindow();
}

void CFETimingConstantsPanel::OnSaveSettingsButton(wxCommandEvent& /*event*/) {
    // The row on screen goes into the file as shown.
    TransferDataFromWindow();
    wxString path;
    wxArrayString filters;
    filters.Add(kSettingsFileFilter);
    if (!CCommonGuiUtils::BrowseForFile(false, filters, path, wxString(), wxString(),
                                        kOpenFileStyle, kSaveFileStyle)) {
        return;
    }
    CFlitWordCalcsSerializer serializer(wordCalcs, path.utf8_str());
    if (!serializer.store()) {
        wxLogStatus("Settings not saved: %s", serializer.getStoreError());
    }
}

wxBEGIN_EVENT_TABLE(CFETimingConstantsPanel, wxPanel)
    EVT_BUTTON(kNextButtonId, CFETimingConstantsPanel::OnNextButton)
    EVT_BUTTON(kPrevButtonId, CFETimingConstantsPanel::OnPrevButton)
    EVT_BUTTON(kLoadSettingsButtonId, CFETimingConstantsPanel::OnLoadSettingsButton)
    EVT_BUTTON(kSaveSettingsButtonId, CFETimingConstantsPanel::OnSaveSettingsButton)
wxEND_EVENT_TABLE()
