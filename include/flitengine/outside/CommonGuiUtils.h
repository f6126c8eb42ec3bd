#ifndef FLIT_OUTSIDE_COMMONGUIUTILS_H
#define FLIT_OUTSIDE_COMMONGUIUTILS_H

#include <flitengine/FlitExport.h>

#include <wx/arrstr.h>
#include <wx/string.h>

#include <functional>

class wxFileDialog;

// Small GUI helpers shared by the windows of the engine.
class FLIT_EXPORT CCommonGuiUtils {
public:
    // Answers a file dialog in place of the user: given the dialog as built, it returns true and
    // a full path for a chosen file, or false for a cancel.
    using FileChooser = std::function<bool(const wxFileDialog& dialog, wxString& path)>;

    // Asks the user for a file with the toolkit's file dialog. openFile chooses the kind:
    // true asks for an existing file to open, false for a file to save to (confirming before
    // an existing file is overwritten). Each filter is in the toolkit's wildcard form,
    // "description|pattern"; the dialog offers them in order. defaultDir and defaultFile, when
    // not empty, are where the dialog starts and the name it proposes. The last two arguments
    // are accepted for callers that pass the dialog styles along; the kind is taken from
    // openFile alone.
    //
    // Returns true with the chosen file's full path in path, or false, path untouched, when the
    // user cancels.
    static bool BrowseForFile(bool openFile, wxArrayString& filters, wxString& path,
                              const wxString& defaultDir, const wxString& defaultFile,
                              long openStyle, long saveStyle);

    // Installs a chooser that answers every later BrowseForFile instead of showing the dialog
    // modally; an empty chooser puts the modal dialog back. For tests, which cannot answer a
    // modal dialog; the application never installs one.
    static void setFileChooserForTesting(FileChooser chooser);
};

#endif
