#ifndef FLIT_TESTS_DEBUG_DEBUGTESTSUPPORT_H
#define FLIT_TESTS_DEBUG_DEBUGTESTSUPPORT_H

#include "debug/FEDebugDlg.h"
#include "debug/FEMetricsPanel.h"
#include "debug/FETimingConstantsPanel.h"
#include "engine/FlitManager.h"
#include "outside/CommonGuiUtils.h"
#include "timing/FlitWordCalcs.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/notebook.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <stdexcept>
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

inline wxButton* buttonOf(wxWindow* parent, const wxString& label) {
    for (wxButton* button : childrenOf<wxButton>(parent)) {
        if (button->GetLabel() == label) {
            return button;
        }
    }
    throw std::invalid_argument(label.utf8_string());
}

// Clicks the button the way the toolkit does: a button event from the button, handled by it and
// then by its parents.
inline void click(wxWindow* parent, const wxString& label) {
    wxButton* button = buttonOf(parent, label);
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->Command(event);
}

// Answers every file chooser while it lives, as the user would: with the path, or with a cancel
// when the path is empty. Records the style and wildcard of each dialog it answers.
class CFileChooserAnswer {
public:
    explicit CFileChooserAnswer(const wxString& path) {
        CCommonGuiUtils::setFileChooserForTesting(
            [this, path](const wxFileDialog& dialog, wxString& chosen) {
                styles.push_back(
                    dialog.GetWindowStyle() &
                    (wxFD_OPEN | wxFD_SAVE | wxFD_FILE_MUST_EXIST | wxFD_OVERWRITE_PROMPT));
                wildcards.push_back(dialog.GetWildcard());
                chosen = path;
                return !path.empty();
            });
    }
    ~CFileChooserAnswer() { CCommonGuiUtils::setFileChooserForTesting(nullptr); }

    std::vector<long> styles;
    std::vector<wxString> wildcards;
};

// A real dialog bound to a real manager, not shown. The table and the remembered row start from
// their defaults and are put back afterwards.
class DebugDialogTest : public testing::Test {
protected:
    void SetUp() override {
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFETimingConstantsPanel::kLastTimingTableDataIndex = 0;
        wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        ASSERT_TRUE(dialog->initialize(&manager));
    }

    void TearDown() override {
        delete dialog;
        CFlitWordCalcs::restoreDefaultTimingTable();
        CFETimingConstantsPanel::kLastTimingTableDataIndex = 0;
        wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
    }

    static wxNotebook* notebookOf(wxWindow* dialog) { return childrenOf<wxNotebook>(dialog).at(0); }
    CFETimingConstantsPanel* timingPage() const {
        return dynamic_cast<CFETimingConstantsPanel*>(notebookOf(dialog)->GetPage(0));
    }
    CFEMetricsPanel* metricsPage() const {
        return dynamic_cast<CFEMetricsPanel*>(notebookOf(dialog)->GetPage(1));
    }
    std::vector<wxSpinCtrl*> spinCtrls() const { return childrenOf<wxSpinCtrl>(timingPage()); }
    // The page's static texts are "Speed:", the speed, "WPM", then the groups' labels.
    static wxString speedTextOf(wxWindow* page) {
        return childrenOf<wxStaticText>(page).at(1)->GetLabel();
    }
    bool enabled(const wxString& label) const { return buttonOf(timingPage(), label)->IsEnabled(); }

    CFlitManager manager;
    CFEDebugDlg* dialog = new CFEDebugDlg;
    const wxString folder =
        wxFileName(wxFileName::GetTempDir(), wxString::Format("flit-debug-%lu", wxGetProcessId()))
            .GetFullPath();
};

#endif
