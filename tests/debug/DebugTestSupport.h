#ifndef FLIT_TESTS_DEBUG_DEBUGTESTSUPPORT_H
#define FLIT_TESTS_DEBUG_DEBUGTESTSUPPORT_H

#include "debug/FEDebugDlg.h"
#include "debug/FEMetricsPanel.h"
#include "debug/FETimingConstantsPanel.h"
#include "engine/FlitManager.h"
#include "outside/CommonGuiUtils.h"
#include "timing/FlitWordCalcs.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <vector>

// The children of a window that are of type T, in creation order.
template <class T> std::vector<T*> childrenOf(wxWindow* parent) {
    std::vector<T*> found;
    for (wxWindow* child : parent->GetChildren()) {
        if (T* typed = dynamic_cast<T*>(child)) {
            found.push_back(typed);
        }
    }
    return found;
}

inline wxButton* buttonLabelled(wxWindow* parent, const wxString& label) {
    for (wxButton* button : childrenOf<wxButton>(parent)) {
        if (button->GetLabel() == label) {
            return button;
        }
    }
    ADD_FAILURE() << "no button " << label;
    return nullptr;
}

// Clicks the button the way the toolkit does: a button event from the button, handled by it
// and then its parents.
inline void click(wxButton* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->Command(event);
}

// Lets GTK map, size and lay out what was shown.
inline void pumpGui() {
    for (int i = 0; i < 20; ++i) {
        wxTheApp->Yield(true);
    }
}

// Answers every file chooser while it lives, as the user would: with a path, or with a cancel
// when the path is empty. Records what each dialog was built with.
class CFileChooserAnswer {
public:
    struct SRequest {
        long style;
        wxString wildcard;
    };

    explicit CFileChooserAnswer(const wxString& path) {
        CCommonGuiUtils::setFileChooserForTesting(
            [this, path](const wxFileDialog& dialog, wxString& chosen) {
                requests.push_back({dialog.GetWindowStyle(), dialog.GetWildcard()});
                if (path.empty()) {
                    return false;
                }
                chosen = path;
                return true;
            });
    }
    ~CFileChooserAnswer() { CCommonGuiUtils::setFileChooserForTesting(nullptr); }
    CFileChooserAnswer(const CFileChooserAnswer&) = delete;
    CFileChooserAnswer& operator=(const CFileChooserAnswer&) = delete;

    std::vector<SRequest> requests;
};

// A real dialog on a real manager, bound with initialize and not shown; the table, the
// remembered row and the temporary folder are put back afterwards.
class DebugDialogTest : public testing::Test {
protected:
    void SetUp() override {
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFETimingConstantsPanel::kLastTimingTableDataIndex = 0;
        wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        dialog = new CFEDebugDlg;
        ASSERT_TRUE(dialog->initialize(&manager));
    }

    void TearDown() override {
        delete dialog;
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFETimingConstantsPanel::kLastTimingTableDataIndex = 0;
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    }

    wxNotebook* notebook() const { return childrenOf<wxNotebook>(dialog).at(0); }
    CFETimingConstantsPanel* timingPage() const {
        return dynamic_cast<CFETimingConstantsPanel*>(notebook()->GetPage(0));
    }
    CFEMetricsPanel* metricsPage() const {
        return dynamic_cast<CFEMetricsPanel*>(notebook()->GetPage(1));
    }

    std::vector<wxSpinCtrl*> spinCtrls() const { return childrenOf<wxSpinCtrl>(timingPage()); }
    // "Speed:", the speed, "WPM", then the groups' labels.
    wxString speedText() const { return childrenOf<wxStaticText>(timingPage()).at(1)->GetLabel(); }
    std::vector<int> spinValues() const {
        std::vector<int> values;
        for (wxSpinCtrl* spinCtrl : spinCtrls()) {
            values.push_back(spinCtrl->GetValue());
        }
        return values;
    }
    wxButton* pageButton(const wxString& label) const {
        return buttonLabelled(timingPage(), label);
    }

    wxString pathOf(const wxString& name) const { return wxFileName(folder, name).GetFullPath(); }

    CFlitManager manager;
    CFEDebugDlg* dialog = nullptr;
    const wxString folder =
        wxFileName(wxFileName::GetTempDir(), wxString::Format("flit-debug-%lu", wxGetProcessId()))
            .GetFullPath();
};

#endif
