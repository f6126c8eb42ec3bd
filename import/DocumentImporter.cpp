#include <flitengine/import/DocumentImporter.h>

#include "import/EpubImporter.h"
#include "import/HtmlImporter.h"
#include "import/MarkdownImporter.h"
#include "import/PdfImporter.h"
#include "import/TextImporter.h"
#include <flitengine/outside/Utf8.h>

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct SFormatName {
    CDocumentImporter::eFormat format;
    const char* name;
};

// The names the programs' --format option takes, one per format.
const SFormatName kFormatNames[] = {
    {CDocumentImporter::ePlainText, "text"},    {CDocumentImporter::eMarkedUp, "flit"},
    {CDocumentImporter::eEpub, "epub"},         {CDocumentImporter::eHtml, "html"},
    {CDocumentImporter::eMarkdown, "markdown"}, {CDocumentImporter::ePdf, "pdf"},
    {CDocumentImporter::eAutomatic, "auto"},
};

struct SExtension {
    const char* extension;
    CDocumentImporter::eFormat format;
};

const SExtension kExtensions[] = {
    {"flit", CDocumentImporter::eMarkedUp},     {"epub", CDocumentImporter::eEpub},
    {"html", CDocumentImporter::eHtml},         {"htm", CDocumentImporter::eHtml},
    {"xhtml", CDocumentImporter::eHtml},        {"md", CDocumentImporter::eMarkdown},
    {"markdown", CDocumentImporter::eMarkdown}, {"pdf", CDocumentImporter::ePdf},
};

std::unique_ptr<CFormatImporter> makeImporter(CDocumentImporter::eFormat format) {
    switch (format) {
    case CDocumentImporter::eMarkedUp:
        return std::make_unique<CTextImporter>(true);
    case CDocumentImporter::eEpub:
        return std::make_unique<CEpubImporter>();
    case CDocumentImporter::eHtml:
        return std::make_unique<CHtmlImporter>();
    case CDocumentImporter::eMarkdown:
        return std::make_unique<CMarkdownImporter>();
    case CDocumentImporter::ePdf:
        return std::make_unique<CPdfImporter>();
    case CDocumentImporter::ePlainText:
    case CDocumentImporter::eAutomatic:
        break;
    }
    return std::make_unique<CTextImporter>(false);
}

bool startsWith(const char* bytes, std::size_t size, const char* prefix,
                std::size_t length = std::string::npos) {
    length = length == std::string::npos ? std::strlen(prefix) : length;
    return size >= length && std::memcmp(bytes, prefix, length) == 0;
}

struct SKnownKind {
    const char* start;
    std::size_t length;
    const char* kind;
};

// Files that are no document of any format read here, by the bytes they start with: pictures,
// programs, archives and compressed data that people may open by mistake. A zip here is one
// without an EPUB's mimetype first (chooseFormat takes those, and a file named .epub).
const SKnownKind kNotDocuments[] = {
    {"\x89PNG\r\n\x1A\n", 8, "a PNG image"},
    {"\xFF\xD8\xFF", 3, "a JPEG image"},
    {"GIF87a", 6, "a GIF image"},
    {"GIF89a", 6, "a GIF image"},
    {"\x7F\x45LF", 4, "an ELF executable"},
    {"PK\x03\x04", 4, "a zip archive, not an EPUB"},
    {"PK\x05\x06", 4, "a zip archive, not an EPUB"},
    {"\x1F\x8B", 2, "gzip-compressed data"},
    {"\xFD\x37zXZ\0", 6, "xz-compressed data"},
    {"7z\xBC\xAF\x27\x1C", 6, "a 7-Zip archive"},
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8, "an old Microsoft Office document"},
};

// Whether the first bytes hold a control character other than white space, or a byte that no UTF-8
// text has. The header of a real picture, program or archive does; a text that merely starts with
// the same letters (a note that begins "GIF89a") does not, and is read as the text it is.
bool startsAsBinary(const char* bytes, std::size_t size) {
    const std::size_t head = std::min<std::size_t>(size, 32);
    for (std::size_t i = 0; i < head; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if ((c < 0x20 && (c < '\t' || c > '\r')) || c == 0x7F) {
            return true;
        }
    }
    // A character cut off by the end of the head is no fault of the text.
    const std::size_t bad = CUtf8::findInvalid(bytes, head);
    return bad != CUtf8::kAllValid && bad + 4 <= head;
}

// What the bytes are when they start as a known kind of file that is no document; null when
// they may be one.
const char* knownNonDocument(const char* bytes, std::size_t size) {
    if (!startsAsBinary(bytes, size)) {
        return nullptr;
    }
    for (const SKnownKind& known : kNotDocuments) {
        if (startsWith(bytes, size, known.start, known.length)) {
            return known.kind;
        }
    }
    return nullptr;
}

// The formats whose importers take any bytes as text.
bool isTextFormat(CDocumentImporter::eFormat format) {
    return format == CDocumentImporter::ePlainText || format == CDocumentImporter::eMarkedUp ||
           format == CDocumentImporter::eHtml || format == CDocumentImporter::eMarkdown;
}

// Whether text starts (after a byte order mark, white space, an XML declaration and comments)
// with a document type or element that only HTML begins with.
bool startsLikeHtml(const char* bytes, std::size_t size) {
    std::string head(bytes, std::min<std::size_t>(size, 1024));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t at = startsWith(head.data(), head.size(), "\xef\xbb\xbf") ? 3 : 0;
    for (;;) {
        at = head.find_first_not_of(" \t\r\n", at);
        if (at == std::string::npos) {
            return false;
        }
        const char* prologues[][2] = {{"<?xml", "?>"}, {"<!--", "-->"}};
        bool skipped = false;
        for (const auto& prologue : prologues) {
            if (head.compare(at, std::strlen(prologue[0]), prologue[0]) == 0) {
                const std::size_t end = head.find(prologue[1], at);
                if (end == std::string::npos) {
                    return false;
                }
                at = end + std::strlen(prologue[1]);
                skipped = true;
            }
        }
        if (!skipped) {
            break;
        }
    }
    for (const char* start : {"<!doctype html", "<html", "<head", "<body"}) {
        if (head.compare(at, std::strlen(start), start) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

const char* CDocumentImporter::formatName(eFormat format) {
    for (const SFormatName& entry : kFormatNames) {
        if (entry.format == format) {
            return entry.name;
        }
    }
    return "text";
}

bool CDocumentImporter::formatFromName(const wxString& name, eFormat* format) {
    for (const SFormatName& entry : kFormatNames) {
        if (name == entry.name) {
            *format = entry.format;
            return true;
        }
    }
    return false;
}

CDocumentImporter::eFormat CDocumentImporter::formatForPath(const wxString& path) {
    const wxString extension = wxFileName(path).GetExt().Lower();
    for (const SExtension& entry : kExtensions) {
        if (extension == entry.extension) {
            return entry.format;
        }
    }
    return ePlainText;
}

CDocumentImporter::eFormat CDocumentImporter::chooseFormat(const char* bytes, std::size_t size,
                                                           const wxString& path) {
    // An EPUB's first zip entry is its stored, uncompressed "mimetype".
    static const char kEpubStart[] = "mimetypeapplication/epub+zip";
    if (startsWith(bytes, size, "PK\x03\x04") && size >= 30 + sizeof kEpubStart - 1 &&
        std::memcmp(bytes + 30, kEpubStart, sizeof kEpubStart - 1) == 0) {
        return eEpub;
    }
    if (startsWith(bytes, size, "%PDF-")) {
        return ePdf;
    }
    if (startsLikeHtml(bytes, size)) {
        return eHtml;
    }
    return formatForPath(path);
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

CDocumentImporter::CDocumentImporter() : keepLineBreaks(false), usedFormat(ePlainText) {}

std::unique_ptr<CDataManager> CDocumentImporter::importBytes(const char* bytes, std::size_t size,
                                                             eFormat format, const wxString& name,
                                                             const wxString& baseDir) {
    report = SImportReport();
    error.clear();
    usedFormat = format == eAutomatic ? chooseFormat(bytes, size, name) : format;
    SImportContext context;
    context.baseDir = baseDir;
    context.keepLineBreaks = keepLineBreaks;
    std::unique_ptr<CDataManager> document;
    const char* kind = isTextFormat(usedFormat) ? knownNonDocument(bytes, size) : nullptr;
    if (kind != nullptr) {
        report.error = wxString::Format("%s (%s)", CTextImporter::kNotADocument, kind);
    } else {
        document = makeImporter(usedFormat)->read(bytes, size, context, &report);
    }
    if (!document) {
        if (report.error.empty()) {
            report.error = "the document could not be read";
        }
        error = report.line > 0 ? wxString::Format("line %d, column %d: %s", report.line,
                                                   report.column, report.error)
                                : report.error;
        report.notice.clear();
    }
    return document;
}

std::unique_ptr<CDataManager> CDocumentImporter::importText(const std::string& text, eFormat format,
                                                            const wxString& baseDir) {
    return importBytes(text.data(), text.size(), format, wxString(), baseDir);
}

std::unique_ptr<CDataManager> CDocumentImporter::importText(const char* text, std::size_t size,
                                                            eFormat format,
                                                            const wxString& baseDir) {
    return importBytes(text, size, format, wxString(), baseDir);
}

std::unique_ptr<CDataManager> CDocumentImporter::importFile(const wxString& path, eFormat format) {
    std::string bytes;
    wxString reason;
    if (!readFile(path, &bytes, &reason)) {
        fail(wxString::Format("cannot read \"%s\": %s", path, reason));
        return nullptr;
    }
    return importBytes(bytes.data(), bytes.size(), format, path, wxFileName(path).GetPath());
}

void CDocumentImporter::fail(const wxString& message) {
    report = SImportReport();
    report.error = message;
    error = message;
}
