#include "preferences/PreferencesFile.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const char* const kVersionKey = "/Preferences/Version";
const char* const kAsideSuffix = ".unreadable";
const char* const kLockSuffix = ".lock";
const char* const kFolderFault = "it is a folder, not a file";
const char* const kNewerFault = "they were saved by a newer version of FlitReader";

// Collects the first warning or error the toolkit logs while it lives, instead of showing it
// (a message box would interrupt the reader, before its window is up or while it reads).
class CProblemCatcher : public wxLog {
public:
    CProblemCatcher() : previous(wxLog::SetActiveTarget(this)) {}
    ~CProblemCatcher() override { wxLog::SetActiveTarget(previous); }
    CProblemCatcher(const CProblemCatcher&) = delete;
    CProblemCatcher& operator=(const CProblemCatcher&) = delete;

    const wxString& first() const { return message; }

protected:
    void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
        if (level <= wxLOG_Warning && message.empty()) {
            message = text;
        }
    }

private:
    wxLog* previous;
    wxString message;
};

// Holds an exclusive lock on a file beside the preferences while it lives, so that two readers
// never read and replace the file at the same moment. The lock goes with the process, should it
// end while holding it; without a lock file (a read-only folder) the writing goes on unlocked
// and fails on its own.
class CFileLock {
public:
    explicit CFileLock(const wxString& path)
        : descriptor(::open(path.fn_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (descriptor >= 0) {
            ::flock(descriptor, LOCK_EX);
        }
    }
    ~CFileLock() {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

private:
    int descriptor;
};

} // namespace

std::unique_ptr<CPreferencesConfig> CPreferencesConfig::open(const wxString& path,
                                                             wxString* problem) {
    if (wxDirExists(path)) {
        // Nothing can be read or saved there; said once, here, and not again at each change.
        *problem = kFolderFault;
        auto config = std::make_unique<CPreferencesConfig>(path, false);
        config->reported = kFolderFault;
        return config;
    }
    std::unique_ptr<CPreferencesConfig> config;
    {
        CProblemCatcher catcher;
        config = std::make_unique<CPreferencesConfig>(path, true);
        *problem = catcher.first();
    }
    if (problem->empty() && config->ReadLong(kVersionKey, kFormatVersion) > kFormatVersion) {
        // What this reader understands of it is used; the file itself is never written.
        *problem = kNewerFault;
        config->newer = true;
        config->reported = kNewerFault;
        return config;
    }
    if (problem->empty() && wxFileName::FileExists(path) && !wxFileName::IsFileReadable(path)) {
        *problem = "the file cannot be read";
    }
    if (!problem->empty()) {
        // Nothing of the file is used, and nothing is written over it until the user chooses.
        config = std::make_unique<CPreferencesConfig>(path, false);
    }
    return config;
}

CPreferencesConfig::CPreferencesConfig(const wxString& file, bool read)
    : wxFileConfig("flitreader", wxEmptyString, read ? file : wxString(), wxEmptyString,
                   read ? wxCONFIG_USE_LOCAL_FILE : 0),
      path(file), setAside(!read) {
    // The base class's destructor would write the whole file, as this reader last knew it.
    DisableAutoSave();
}

bool CPreferencesConfig::Flush(bool) {
    return true;
}

bool CPreferencesConfig::apply(const Change& change, wxString* problem, bool chosen) {
    change(*this);
    if (newer || (setAside && !chosen)) {
        return true;
    }
    // The folder may have gone since the start; the file cannot be made without it.
    wxFileName::Mkdir(wxFileName(path).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    CFileLock lock(path + kLockSuffix);
    return applyToFile(change, problem);
}

bool CPreferencesConfig::applyToFile(const Change& change, wxString* problem) {
    const wxString fault = writeFile(change);
    if (fault.empty()) {
        return true;
    }
    // A fault said before (each change would meet it again) is not said again.
    if (fault != reported) {
        reported = fault;
        *problem = wxString::Format("Your preferences could not be saved in %s: %s", path, fault);
    }
    return false;
}

wxString CPreferencesConfig::writeFile(const Change& change) {
    if (wxDirExists(path)) {
        // Checked before writing: the toolkit's new file would be left beside it, unrenamed.
        return kFolderFault;
    }
    CProblemCatcher catcher;
    if (setAside) {
        // The user changed a preference: the unusable file is kept aside, not overwritten.
        if (wxFileName::FileExists(path) && !wxRenameFile(path, path + kAsideSuffix)) {
            return "it cannot be moved aside";
        }
        setAside = false;
    }
    wxFileConfig file("flitreader", wxEmptyString, path, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
    file.DisableAutoSave();
    if (!catcher.first().empty()) {
        return catcher.first();
    }
    if (file.ReadLong(kVersionKey, kFormatVersion) > kFormatVersion) {
        // Left alone from now on, as a file found newer at the start.
        newer = true;
        return "a newer version of FlitReader has written the file since; your changes are "
               "kept until you quit";
    }
    file.Write(kVersionKey, kFormatVersion);
    change(file);
    if (!file.Flush() && catcher.first().empty()) {
        return "the file cannot be written";
    }
    return catcher.first();
}
