#ifndef FLIT_OUTSIDE_FILEPARSER_H
#define FLIT_OUTSIDE_FILEPARSER_H

#include "outside/ParserBase.h"

// A parser that reads from a file named at construction.
class FLIT_EXPORT CFileParser : public CParserBase {
public:
    // A null path makes a parser that never opens a file: its load fails.
    explicit CFileParser(const char* path);
    CFileParser(const CFileParser&) = default;
    CFileParser& operator=(const CFileParser&) = default;
    ~CFileParser() override;

    const wxString& getParseFilePath() const { return parseFilePath; }

protected:
    // True when the path names an existing, readable regular file; otherwise records why not.
    bool checkReadableFile();

private:
    wxString parseFilePath;
};

#endif
