#ifndef FLIT_OUTSIDE_FILEWRITER_H
#define FLIT_OUTSIDE_FILEWRITER_H

#include <flitengine/outside/WriterBase.h>

// A writer that writes to a file named at construction.
class FLIT_EXPORT CFileWriter : public CWriterBase {
public:
    // A null path makes a writer that never opens a file: its store fails.
    explicit CFileWriter(const char* path);
    CFileWriter(const CFileWriter&) = default;
    CFileWriter& operator=(const CFileWriter&) = default;
    ~CFileWriter() override;

    const wxString& getWriteFilePath() const { return writeFilePath; }

private:
    wxString writeFilePath;
};

#endif
