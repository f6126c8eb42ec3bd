#ifndef FLIT_APP_PREFERENCESFILE_H
#define FLIT_APP_PREFERENCESFILE_H

#include <wx/fileconf.h>
#include <wx/string.h>

#include <functional>
#include <memory>

// The preferences file as one reader holds it. What the reader read at its start, with its own
// changes since, is kept in memory and never written whole: each change is made in memory and
// then in the file as it is on disk at that moment (read afresh under a lock beside it, only the
// changed keys set, and a complete new file renamed over it). Two readers running at once thus
// keep each other's changes, and a reader that stops half way never leaves half a file.
//
// A file that cannot be used (unreadable, not parsed) is neither read nor written over: the
// first change the user chose moves it aside (to the same name with ".unreadable" added) and
// starts a new file; what the reader keeps by itself (the recent files, the window's place) is
// held in memory until then. A file written by a newer reader is read for what this one
// understands and never written: changes are held in memory. A folder where the file should be
// is never written either. A fault met when writing is reported once, not at every change.
class CPreferencesConfig : public wxFileConfig {
public:
    using Change = std::function<void(wxConfigBase&)>;

    // The layout of the files this reader writes; a file from a newer reader is not touched.
    static const long kFormatVersion = 1;

    // Reads the file at path (a missing file holds nothing). When it cannot be used, problem
    // says why, and the configuration holds nothing of it.
    static std::unique_ptr<CPreferencesConfig> open(const wxString& path, wxString* problem);
    // read: the file's content is taken; otherwise the file is set aside at the first change.
    CPreferencesConfig(const wxString& path, bool read);

    const wxString& getFile() const { return path; }
    // The file was written by a newer reader: it is read, never written.
    bool isNewer() const { return newer; }
    // Makes change here and then in the file; chosen: the user chose it (see above). False when
    // the file could not be written, with a message the first time that fault is met (else
    // problem is left empty); the change is still held here.
    bool apply(const Change& change, wxString* problem, bool chosen = true);

    // The file is only ever written by apply().
    bool Flush(bool currentOnly = false) override;

private:
    // Applies change to the file on disk, with the lock held.
    bool applyToFile(const Change& change, wxString* problem);
    // The same: what went wrong, empty when nothing did.
    wxString writeFile(const Change& change);

    wxString path;
    bool setAside;
    bool newer = false;
    wxString reported; // the last fault said
};

#endif
