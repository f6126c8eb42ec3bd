#ifndef FLIT_OUTSIDE_FILEPARSER_H
#define FLIT_OUTSIDE_FILEPARSER_H

#include <flitengine/outside/ParserBase.h>

// A parser that reads from a file named at construction.
class FLIT_EXPORT CFileParser : public CParserBase {
public:
    // A null path makes a parser that never opens a file: its load fails.
    explicit CFileParser(const char* path);
    CFileParser(const CFileParser&) = default;
    CFileParser& operator=(const CFileParser&) = default;
    ~CFileParser() override;

    const wxString& getParseFilePath() const { return parseFilePath; }

    // True when the path names an existing, readable regular file. Otherwise false, with a
    // sentence that names the path and the problem in *reason: a folder, nothing there (a
    // dangling link included), a loop of symbolic links, a special file such as a pipe or a
    // device (whose opening or reading could wait for ever), or no permission to read. The
    // check never opens the file.
    static bool isReadableFile(const wxString& path, wxString* reason);

protected:
    // isReadableFile for the parser's path; the reason becomes the load error.
    bool checkReadableFile();

private:
    wxString parseFilePath;
};

#endif
