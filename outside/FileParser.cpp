#include <flitengine/outside/FileParser.h>

#include <flitengine/outside/MessageText.h>

#include <wx/log.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

CFileParser::CFileParser(const char* path)
    : parseFilePath(path != nullptr ? wxString::FromUTF8(path) : wxString()) {}

CFileParser::~CFileParser() = default;

bool CFileParser::isReadableFile(const wxString& path, wxString* reason) {
    if (path.empty()) {
        *reason = "no file name was given";
        return false;
    }
    // The name as the system knows it, which need not be UTF-8.
    const wxScopedCharBuffer name = path.fn_str();
    const wxString shown = "'" + CMessageText::cut(path) + "'";
    struct stat info {};
    if (::stat(name.data(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT) {
            *reason = shown + " does not exist";
        } else if (error == ELOOP) {
            *reason = shown + " is a loop of symbolic links";
        } else {
            *reason = shown + " cannot be reached: " + wxSysErrorMsgStr(error);
        }
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        *reason = shown + " is a folder, not a file";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *reason = shown + " is not a regular file";
        return false;
    }
    if (::access(name.data(), R_OK) != 0) {
        *reason = shown + " cannot be read";
        return false;
    }
    return true;
}

bool CFileParser::checkReadableFile() {
    wxString reason;
    if (!isReadableFile(parseFilePath, &reason)) {
        setLoadError(reason);
        return false;
    }
    return true;
}
