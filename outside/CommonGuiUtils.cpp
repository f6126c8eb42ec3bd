#include <flitengine/outside/CommonGuiUtils.h>

#include <wx/filedlg.h>

#include <utility>

namespace {

CCommonGuiUtils::FileChooser& testChooser() {
    static CCommonGuiUtils::FileChooser chooser;
    return chooser;
}

} // namespace

bool CCommonGuiUtils::BrowseForFile(bool openFile, wxArrayString& filters, wxString& path,
                                    const wxString& defaultDir, const wxString& defaultFile,
                                    long /*openStyle*/, long /*saveStyle*/) {
    const long style =
        openFile ? (wxFD_OPEN | wxFD_FILE_MUST_EXIST) : (wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    // The filters already hold their vertical bars, which must reach the dialog unescaped.
    const wxString wildcard = filters.empty()
                                  ? wxString(wxASCII_STR(wxFileSelectorDefaultWildcardStr))
                                  : wxJoin(filters, '|', '\0');
    wxFileDialog dialog(nullptr, wxASCII_STR(wxFileSelectorPromptStr), defaultDir, defaultFile,
                        wildcard, style);

    wxString chosen;
    if (testChooser()) {
        if (!testChooser()(dialog, chosen)) {
            return false;
        }
    } else {
        if (dialog.ShowModal() != wxID_OK) {
            return false;
        }
        chosen = dialog.GetPath();
    }
    path = chosen;
    return true;
}

void CCommonGuiUtils::setFileChooserForTesting(FileChooser chooser) {
    testChooser() = std::move(chooser);
}
