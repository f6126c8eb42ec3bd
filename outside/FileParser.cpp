#include <flitengine/outside/FileParser.h>

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
    const wxScopedCharBuffer name = path.utf8_str();
    struct stat info {};
    if (::stat(name.data(), &info) != 0) {
        *reason = wxString::Format("'%s' does not exist", path);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        *reason = wxString::Format("'%s' is a folder, not a file", path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *reason = wxString::Format("'%s' is not a regular file", path);
        return false;
    }
    if (::access(name.data(), R_OK) != 0) {
        *reason = wxString::Format("'%s' cannot be read", path);
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
