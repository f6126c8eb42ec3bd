#ifndef FLIT_DEBUG_FETIMINGCONSTANTSPANEL_H
#define FLIT_DEBUG_FETIMINGCONSTANTSPANEL_H

#include <flitengine/FlitExport.h>
#include <flitengine/timing/TimingTableData.h>

#include <wx/panel.h>

#include <array>
#include <initializer_list>

class CFlitWordCalcs;
class wxButton;
class wxSpinCtrl;
class wxStaticText;

// The "Timing Calcs Info" page of the debug dialog: tunes the engine's timing table in place,
// one row at a time. The row's speed is shown as text and its ten percentages in spin controls;
// "<<Prev" and "Next>>" step between the rows, and "Save Settings" and "Load Settings" write the
// whole table to an XML settings file and read it back.
//
// Edits live in the spin controls until committed to the table by TransferDataFromWindow, which
// "Next>>", "<<Prev", "Save Settings" and the dialog's OK run. The table is the one the engine
// computes every word's times from, so a committed edit takes effect from the next word on.
class FLIT_EXPORT CFETimingConstantsPanel : public wxPanel {
public:
    // The row last committed by any page; a new page starts there, so a dialog opened again
    // shows the row the developer was tuning.
    static int kLastTimingTableDataIndex;

    CFETimingConstantsPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                            long style, const wxString& name);
    ~CFETimingConstantsPanel() override;

    void zeroInit();
    bool createControls();
    // Binds the page to the engine's calculator, widens the spin controls' range to every
    // percentage the page allows and shows the current row.
    bool initialize(CFlitWordCalcs* wordCalcsIn);

    // Shows the current row of the table.
    bool TransferDataToWindow() override;
    // Commits the spin controls to the current row (its speed stays) and remembers the row in
    // kLastTimingTableDataIndex.
    bool TransferDataFromWindow() override;

private:
    wxSizer* createSpeedCtrlsAndSizer();
    wxSizer* createWordDisplayConstantsCtrlsAndSizer();
    wxSizer* createInterWordDelayConstantsCtrlsAndSizer();
    wxSizer* createRestSustainDelayCtrlsAndSizer();
    // One row of a group: its label and the field that keeps its spin control.
    struct SSpinRow {
        const char* label;
        wxSpinCtrl** spinCtrl;
    };
    // A titled box holding a grid of the rows' labels and new spin controls.
    wxSizer* createSpinCtrlGroup(const wxString& title, std::initializer_list<SSpinRow> rows);
    // Every field of a row but its speed has a spin control.
    static constexpr size_t kSpinCtrlCount = CTimingTableData::kFieldCount - 1;
    // The spin controls in the order of the row's percentage fields.
    std::array<wxSpinCtrl*, kSpinCtrlCount> spinCtrlsInFieldOrder() const;

    bool initSpinCtrls();
    bool updateControls();
    bool updateSpeedCtrls();

    void OnNextButton(wxCommandEvent& event);
    void OnPrevButton(wxCommandEvent& event);
    void OnLoadSettingsButton(wxCommandEvent& event);
    void OnSaveSettingsButton(wxCommandEvent& event);

    CFlitWordCalcs* wordCalcs;
    int timingTableDataIndex;
    int border;
    wxSize spinCtrlSize;
    wxStaticText* speedValueText;
    wxButton* nextButton;
    wxButton* prevButton;
    wxButton* saveSettingsButton;
    wxButton* loadSettingsButton;
    wxSpinCtrl* wdBaseValueSpinCtrl;
    wxSpinCtrl* wdLongerWordSpinCtrl;
    wxSpinCtrl* wdAllCapsSpinCtrl;
    wxSpinCtrl* wdAllNumsSpinCtrl;
    wxSpinCtrl* iwdBaseValueSpinCtrl;
    wxSpinCtrl* iwdCommaSpinCtrl;
    wxSpinCtrl* iwdPeriodSpinCtrl;
    wxSpinCtrl* iwdNewlineSpinCtrl;
    wxSpinCtrl* restDelaySpinCtrl;
    wxSpinCtrl* sustainDelaySpinCtrl;

    wxDECLARE_EVENT_TABLE();
};

#endif
