#include "outside/DocumentImporter.h"

#include "outside/MarkupReader.h"
#include "outside/TextTokenizer.h"
#include "outside/Utf8.h"

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The byte order mark that some editors write at the start of a UTF-8 file: not text.
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const std::size_t kByteOrderMarkSize = sizeof kByteOrderMark - 1;

// Appends the items of a stretch of text that holds no directive. A word's bytes go to the
// reader, which ends the word at white space here or at a directive that appends an item.
void appendStretch(CDataManager* document, CMarkupReader* reader, const char* text,
                   std::size_t begin, std::size_t end) {
    CTextTokenizer tokenizer(text + begin, end - begin);
    CTextTokenizer::SToken token;
    while (tokenizer.next(&token)) {
        switch (token.type) {
        case CTextTokenizer::eWordToken:
            reader->appendToWord(text + begin + token.offset, token.length);
            break;
        case CTextTokenizer::eSpaceToken:
            reader->endWord();
            document->appendSpace();
            break;
        case CTextTokenizer::eNewlineToken:
            reader->endWord();
            document->appendNewline();
            break;
        }
    }
}

// The line breaks that number the lines of a message, as text editors number them.
bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

} // namespace

CDocumentImporter::eFormat CDocumentImporter::formatForPath(const wxString& path) {
    return wxFileName(path).GetExt().Lower() == "flit" ? eMarkedUp : ePlainText;
}

bool CDocumentImporter::readFile(const wxString& path, std::string* bytes, wxString* reason) {
    // wxFile opens a folder without complaint on some systems and then fails to read it.
    if (wxFileName::DirExists(path)) {
        *reason = "it is a folder";
        return false;
    }
    // Opening a pipe waits for a writer, perhaps for ever, and a device may never end: only
    // regular files are read. A path that names nothing is left to the open to report.
    struct stat info {};
    if (::stat(path.utf8_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        *reason = "it is not a regular file";
        return false;
    }
    wxFile file;
    {
        // The reason goes into the caller's message rather than to the log.
        wxLogNull quiet;
        if (!file.Open(path)) {
            *reason = wxSysErrorMsgStr(wxSysErrorCode());
            return false;
        }
    }
    const wxFileOffset length = file.Length();
    if (length == wxInvalidOffset) {
        *reason = wxSysErrorMsgStr(wxSysErrorCode());
        return false;
    }
    if (static_cast<unsigned long long>(length) > kMaxFileBytes) {
        *reason = wxString::Format("it is larger than %zu MiB", kMaxFileBytes >> 20);
        return false;
    }
    try {
        bytes->assign(static_cast<std::size_t>(length), '\0');
    } catch (const std::bad_alloc&) {
        *reason = "there is not enough memory to read it";
        return false;
    }
    if (length > 0) {
        wxLogNull quiet;
        const ssize_t got = file.Read(&(*bytes)[0], bytes->size());
        if (got < 0 || static_cast<std::size_t>(got) != bytes->size()) {
            *reason = got < 0 ? wxSysErrorMsgStr(wxSysErrorCode())
                              : wxString("the file changed size while it was read");
            return false;
        }
    }
    return true;
}

bool CDocumentImporter::readStandardInput(std::string* bytes, wxString* reason) {
    const wxString tooLarge = wxString::Format("it is larger than %zu MiB", kMaxFileBytes >> 20);
    // A file's size is known before reading it, however large it claims to be.
    struct stat info {};
    if (::fstat(STDIN_FILENO, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<unsigned long long>(info.st_size) > kMaxFileBytes) {
        *reason = tooLarge;
        return false;
    }
    bytes->clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            *reason = wxSysErrorMsgStr(errno);
            return false;
        }
        if (bytes->size() + static_cast<std::size_t>(got) > kMaxFileBytes) {
            *reason = tooLarge;
            return false;
        }
        try {
            bytes->append(buffer, static_cast<std::size_t>(got));
        } catch (const std::bad_alloc&) {
            *reason = "there is not enough memory to read it";
            return false;
        }
    }
}

CDocumentImporter::CDocumentImporter() : errorLine(0), errorColumn(0) {}

std::unique_ptr<CDataManager> CDocumentImporter::importText(const std::string& utf8, eFormat format,
                                                            const wxString& baseDir) {
    return importText(utf8.data(), utf8.size(), format, baseDir);
}

std::unique_ptr<CDataManager> CDocumentImporter::importText(const char* text, std::size_t size,
                                                            eFormat format,
                                                            const wxString& baseDir) {
    clearError();
    // Skipped before anything else, so that columns in messages count from after it.
    std::size_t skipped = 0;
    if (size >= kByteOrderMarkSize && std::memcmp(text, kByteOrderMark, kByteOrderMarkSize) == 0) {
        skipped = kByteOrderMarkSize;
        text += skipped;
        size -= skipped;
    }
    const std::size_t bad = CUtf8::findInvalid(text, size);
    if (bad != CUtf8::kAllValid) {
        failAt(text, size, bad,
               wxString::Format("not valid UTF-8: bad byte at offset %zu", skipped + bad));
        return nullptr;
    }
    // Words are handed on as C strings, which a NUL would cut short.
    if (const void* nul = size > 0 ? std::memchr(text, '\0', size) : nullptr) {
        failAt(text, size, static_cast<std::size_t>(static_cast<const char*>(nul) - text),
               "NUL character in the text");
        return nullptr;
    }

    auto document = std::make_unique<CDataManager>();
    CMarkupReader reader(document.get(), baseDir);
    if (format == ePlainText) {
        appendStretch(document.get(), &reader, text, 0, size);
        reader.endWord();
        return document;
    }

    std::size_t position = 0;
    for (;;) {
        std::size_t brace = position;
        while (brace < size && text[brace] != '{' && text[brace] != '}') {
            ++brace;
        }
        appendStretch(document.get(), &reader, text, position, brace);
        if (brace == size) {
            break;
        }
        const char c = text[brace];
        if (brace + 1 < size && text[brace + 1] == c) {
            reader.appendToWord(text + brace, 1);
            position = brace + 2;
            continue;
        }
        if (c == '}') {
            failAt(text, size, brace, "stray \"}\" (write \"}}\" for a literal brace)");
            return nullptr;
        }
        std::size_t close = brace + 1;
        while (close < size && text[close] != '}' && text[close] != '{' &&
               CTextTokenizer::lineBreakLength(text + close, size - close) == 0) {
            ++close;
        }
        if (close == size || text[close] != '}') {
            const char* where = close == size        ? "the end of the text"
                                : text[close] == '{' ? "the next \"{\""
                                                     : "the end of its line";
            failAt(text, size, brace,
                   wxString::Format("\"{\" is not closed before %s (write \"{{\" for a literal "
                                    "brace)",
                                    where));
            return nullptr;
        }
        if (!reader.applyDirective(text, brace, close)) {
            failAt(text, size, reader.getErrorOffset(), reader.getErrorMessage());
            return nullptr;
        }
        position = close + 1;
    }
    reader.endWord();
    return document;
}

std::unique_ptr<CDataManager> CDocumentImporter::importFile(const wxString& path) {
    clearError();
    std::string bytes;
    wxString reason;
    if (!readFile(path, &bytes, &reason)) {
        fail(wxString::Format("cannot read \"%s\": %s", path, reason));
        return nullptr;
    }
    return importText(bytes, formatForPath(path), wxFileName(path).GetPath());
}

void CDocumentImporter::clearError() {
    error.clear();
    errorMessage.clear();
    errorLine = 0;
    errorColumn = 0;
}

void CDocumentImporter::fail(const wxString& message) {
    errorMessage = message;
    error = message;
    errorLine = 0;
    errorColumn = 0;
}

// Lines are counted at "\n", "\r\n" and a lone "\r", as text editors count them (the Unicode
// line breaks, which few editors show as such, do not start a line here); columns in code
// points. Everything before offset is valid UTF-8, since an import checks the whole text first.
void CDocumentImporter::failAt(const char* text, std::size_t size, std::size_t offset,
                               const wxString& message) {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset && i < size; ++i) {
        if (!isLineBreak(text[i])) {
            continue;
        }
        if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n') {
            ++i;
        }
        ++line;
        lineStart = i + 1;
    }
    const std::size_t column =
        1 + (offset > lineStart ? CUtf8::countCodePoints(text + lineStart, offset - lineStart) : 0);
    const std::size_t maxInt = static_cast<std::size_t>(std::numeric_limits<int>::max());
    errorLine = static_cast<int>(line < maxInt ? line : maxInt);
    errorColumn = static_cast<int>(column < maxInt ? column : maxInt);
    errorMessage = message;
    error = wxString::Format("line %d, column %d: %s", errorLine, errorColumn, message);
}
