#ifndef FLIT_DEBUG_FEDEBUGNOTEBOOK_H
#define FLIT_DEBUG_FEDEBUGNOTEBOOK_H

#include <flitengine/FlitExport.h>

#include <wx/notebook.h>

class CFEMetricsPanel;
class CFETimingConstantsPanel;
class CFlitManager;

// The notebook of the debug dialog: "Timing Calcs Info" (the timing table, selected) then
// "Metrics Info" (the reading metrics). It holds no data of its own and forwards initialize and
// the transfers to its pages, the timing page first.
class FLIT_EXPORT CFEDebugNotebook : public wxNotebook {
public:
    CFEDebugNotebook(wxWindow* parent = nullptr, int id = -1,
                     const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                     long style = 0, const wxString& name = "notebook");
    ~CFEDebugNotebook() override;

    void zeroInit();
    // False when the first page could not be added (the second is then not created),
    // otherwise whether the second was added.
    bool createControls();
    // Binds the pages to the manager's calculator and metrics; the manager must outlive the
    // notebook. Always true.
    bool initialize(CFlitManager* manager);

    // Both transfers visit the timing page, then the metrics page only if the first succeeded.
    // A page that does not exist counts as a failure.
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

private:
    CFETimingConstantsPanel* timingConstantsPanel;
    CFEMetricsPanel* metricsPanel;

    wxDECLARE_EVENT_TABLE();
};

#endif
