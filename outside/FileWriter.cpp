#include <flitengine/outside/FileWriter.h>

CFileWriter::CFileWriter(const char* path)
    : writeFilePath(path != nullptr ? wxString::FromUTF8(path) : wxString()) {}

CFileWriter::~CFileWriter() = default;
