#include "outside/FileParser.h"

#include <wx/filefn.h>
#include <wx/filename.h>

CFileParser::CFileParser(const char* path)
    : parseFilePath(path != nullptr ? wxString::FromUTF8(path) : wxString()) {}

CFileParser::~CFileParser() = default;

bool CFileParser::checkReadableFile() {
    if (parseFilePath.empty()) {
        setLoadError("no file name was given");
        return false;
    }
    if (wxDirExists(parseFilePath)) {
        setLoadError(wxString::Format("'%s' is a folder, not a file", parseFilePath));
        return false;
    }
    if (!wxFileExists(parseFilePath)) {
        setLoadError(wxString::Format("'%s' does not exist", parseFilePath));
        return false;
    }
    if (!wxFileName::IsFileReadable(parseFilePath)) {
        setLoadError(wxString::Format("'%s' cannot be read", parseFilePath));
        return false;
    }
    return true;
}
