#include "preferences/ReopenLast.h"

#include "ReaderOptions.h"
#include "frame/ReaderFrame.h"
#include "preferences/Preferences.h"

#include <wx/filename.h>

bool reopensLast(const SReaderOptions& options, const SPreferences& preferences) {
    return preferences.reopenLast && options.documentPath.empty() && !options.autostart &&
           !options.exitWhenDone && options.recordPath.empty() && options.screenshotPath.empty();
}

wxString lastDocumentPath(const std::vector<CLibrary::SDocument>& documents, wxString* note) {
    note->clear();
    if (documents.empty()) {
        return wxString();
    }
    const wxString& path = documents.front().path;
    if (!wxFileName::FileExists(path)) {
        *note = wxString::Format("Not reopened: %s is no longer there", path);
    } else if (!wxFileName::IsFileReadable(path)) {
        *note = wxString::Format("Not reopened: %s cannot be read", path);
    } else {
        return path;
    }
    return wxString();
}

void reopenLastDocument(CReaderFrame& frame, const SReaderOptions& options) {
    if (!reopensLast(options, frame.getPreferences())) {
        return;
    }
    wxString note;
    const wxString path = lastDocumentPath(frame.getLibrary()->documents(), &note);
    if (!path.empty()) {
        frame.openDocument(path);
    } else if (!note.empty()) {
        frame.showNote(note);
    }
}
