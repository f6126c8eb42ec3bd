#include <flitengine/debug/FEDebugNotebook.h>

#include <flitengine/debug/FEMetricsPanel.h>
#include <flitengine/debug/FETimingConstantsPanel.h>
#include <flitengine/engine/FlitManager.h>

namespace {

const int kTimingConstantsPanelId = 0;
const int kMetricsPanelId = 1;
const char* const kPanelName = "panel";
const int kNoImage = -1;

} // namespace

CFEDebugNotebook::CFEDebugNotebook(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size,
                                   long style, const wxString& name)
    : wxNotebook(parent, id, pos, size, style, name) {
    zeroInit();
    createControls();
}

CFEDebugNotebook::~CFEDebugNotebook() = default;

void CFEDebugNotebook::zeroInit() {
    timingConstantsPanel = nullptr;
    metricsPanel = nullptr;
}

bool CFEDebugNotebook::createControls() {
    timingConstantsPanel =
        new CFETimingConstantsPanel(this, kTimingConstantsPanelId, wxDefaultPosition, wxDefaultSize,
                                    wxTAB_TRAVERSAL, kPanelName);
    if (!AddPage(timingConstantsPanel, "Timing Calcs Info", true, kNoImage)) {
        return false;
    }
    metricsPanel = new CFEMetricsPanel(this, kMetricsPanelId, wxDefaultPosition, wxDefaultSize,
                                       wxTAB_TRAVERSAL, kPanelName);
    return AddPage(metricsPanel, "Metrics Info", false, kNoImage);
}

bool CFEDebugNotebook::initialize(CFlitManager* manager) {
    if (timingConstantsPanel != nullptr) {
        timingConstantsPanel->initialize(manager->getFlitWordCalcs());
    }
    if (metricsPanel != nullptr) {
        metricsPanel->initialize(manager->getFlitMetricsData());
    }
    return true;
}

bool CFEDebugNotebook::TransferDataToWindow() {
    if (timingConstantsPanel == nullptr || !timingConstantsPanel->TransferDataToWindow()) {
        return false;
    }
    return metricsPanel != nullptr && metricsPanel->TransferDataToWindow();
}

bool CFEDebugNotebook::TransferDataFromWindow() {
    if (timingConstantsPanel == nullptr || !timingConstantsPanel->TransferDataFromWindow()) {
        return false;
    }
    return metricsPanel != nullptr && metricsPanel->TransferDataFromWindow();
}

// No entries of its own: the base class's handling applies.
wxBEGIN_EVENT_TABLE(CFEDebugNotebook, wxNotebook)
wxEND_EVENT_TABLE()
