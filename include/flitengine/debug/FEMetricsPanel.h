#ifndef FLIT_DEBUG_FEMETRICSPANEL_H
#define FLIT_DEBUG_FEMETRICSPANEL_H

#include <flitengine/FlitExport.h>

#include <wx/panel.h>

class CFlitMetricsData;
class wxTextCtrl;

// The "Metrics Info" page of the debug dialog: the words displayed, the duration in
// milliseconds and the achieved speed of the engine's current reading, in three read-only
// fields. The figures flow from the metrics object to the fields only; the page refreshes when
// TransferDataToWindow runs (at initialize and each time the dialog is shown), not by itself.
class FLIT_EXPORT CFEMetricsPanel : public wxPanel {
public:
    CFEMetricsPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                    const wxString& name);
    ~CFEMetricsPanel() override;

    void zeroInit();
    bool createControls();
    // Binds the page to the metrics object, which must outlive it, and shows its figures.
    bool initialize(CFlitMetricsData* metricsDataIn);

    // Shows the figures of the moment. Before initialize the fields stay as they are.
    bool TransferDataToWindow() override;
    // The page edits nothing: reads nothing back.
    bool TransferDataFromWindow() override;

private:
    bool setTextCtrlFromInt(wxTextCtrl* textCtrl, int value);
    bool updateControls();

    CFlitMetricsData* metricsData;
    wxTextCtrl* numWordsTextCtrl;
    wxTextCtrl* durationTextCtrl;
    wxTextCtrl* speedTextCtrl;

    wxDECLARE_EVENT_TABLE();
};

#endif
