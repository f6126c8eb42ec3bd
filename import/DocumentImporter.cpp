#include <flitengine/import/DocumentImporter.h>

#include "import/EpubImporter.h"
#include "import/Fb2Importer.h"
#include "import/FormatEntry.h"
#include "import/HtmlImporter.h"
#include "import/MarkdownImporter.h"
#include "import/MobiImporter.h"
#include "import/PdfImporter.h"
#include "import/TextHelpers.h"
#include "import/TextImporter.h"
#include <flitengine/outside/MessageText.h>
#include <flitengine/outside/Utf8.h>

#include <wx/arrstr.h>
#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using textHelpers::startsWith;

// Every format read here, in the order the --format option's help and the Open dialog list them.
// Each importer declares its own entry: its names, extensions, content check and factory.
const SFormatEntry* const kFormats[] = {
    &CTextImporter::kPlainTextFormat, &CTextImporter::kMarkedUpFormat, &CEpubImporter::kFormat,
    &CHtmlImporter::kFormat,          &CMarkdownImporter::kFormat,     &CPdfImporter::kFormat,
    &CMobiImporter::kFormat,          &CFb2Importer::kFormat,
};

// The --format option's name for eAutomatic, which no importer reads.
const char kAutomaticName[] = "auto";

const SFormatEntry* entryOf(CDocumentImporter::eFormat format) {
    for (const SFormatEntry* entry : kFormats) {
        if (entry->format == format) {
            return entry;
        }
    }
    return nullptr;
}

// A format's extensions as a file dialog's pattern: "*.html;*.htm;*.xhtml".
wxString extensionPattern(const SFormatEntry& entry) {
    wxString pattern;
    for (const char* extension : entry.extensions) {
        if (extension != nullptr) {
            pattern += (pattern.empty() ? "*." : ";*.") + wxString(extension);
        }
    }
    return pattern;
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

} // namespace

const char* CDocumentImporter::formatName(eFormat format) {
    if (format == eAutomatic) {
        return kAutomaticName;
    }
    const SFormatEntry* entry = entryOf(format);
    return entry != nullptr ? entry->name : CTextImporter::kPlainTextFormat.name;
}

bool CDocumentImporter::formatFromName(const wxString& name, eFormat* format) {
    if (name == kAutomaticName) {
        *format = eAutomatic;
        return true;
    }
    for (const SFormatEntry* entry : kFormats) {
        if (name == entry->name) {
            *format = entry->format;
            return true;
        }
    }
    return false;
}

wxString CDocumentImporter::formatNameList(bool glossed, bool withAutomatic) {
    wxArrayString names;
    for (const SFormatEntry* entry : kFormats) {
        names.Add(entry->name);
        if (glossed && entry->gloss != nullptr) {
            names.Last() += wxString(" (") + entry->gloss + ")";
        }
    }
    if (withAutomatic) {
        names.Add(kAutomaticName);
    }
    wxString list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    }
    return list;
}

wxString CDocumentImporter::fileDialogWildcard() {
    wxString every;
    wxString each;
    for (const SFormatEntry* entry : kFormats) {
        const wxString pattern = extensionPattern(*entry);
        every += (every.empty() ? "" : ";") + pattern;
        each += wxString::Format("|%s (%s)|%s", entry->description, pattern, pattern);
    }
    return wxString::Format("Documents (%s)|%s%s|All files (*)|*", every, every, each);
}

std::vector<std::string> CDocumentImporter::mimeTypes() {
    std::vector<std::string> types;
    for (const SFormatEntry* entry : kFormats) {
        for (const char* type : entry->mimeTypes) {
            if (type != nullptr && std::find(types.begin(), types.end(), type) == types.end()) {
                types.emplace_back(type);
            }
        }
    }
    return types;
}

// An extension may have two parts (".fb2.zip"): the name's end is compared, not its last part.
CDocumentImporter::eFormat CDocumentImporter::formatForPath(const wxString& path) {
    const wxString name = wxFileName(path).GetFullName().Lower();
    for (const SFormatEntry* entry : kFormats) {
        for (const char* known : entry->extensions) {
            const wxString suffix = known != nullptr ? "." + wxString(known) : wxString();
            if (!suffix.empty() && name.length() > suffix.length() && name.EndsWith(suffix)) {
                return entry->format;
            }
        }
    }
    return ePlainText;
}

// The contents that say their format differ in their first byte that is not a byte order mark or
// a blank ("P" of a zip, "<" of HTML, "%" of a PDF), or after it in what follows (an EPUB's
// mimetype or a .fb2 entry in a zip, an HTML or a FictionBook root), so the order of the checks
// changes nothing; a Kindle book says its type at byte 60, behind a name and binary fields
// none of those has.
CDocumentImporter::eFormat CDocumentImporter::chooseFormat(const char* bytes, std::size_t size,
                                                           const wxString& path) {
    for (const SFormatEntry* entry : kFormats) {
        if (entry->startsAs != nullptr && entry->startsAs(bytes, size)) {
            return entry->format;
        }
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
    if (::stat(path.fn_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
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
    // A file of the kernel's such as /proc/self/mem opens but has no length to seek to; the
    // reason is said once, in the caller's message, not logged.
    wxLogNull quietLength;
    const wxFileOffset length = file.Length();
    if (length == wxInvalidOffset) {
        *reason = "its length cannot be found: " + wxSysErrorMsgStr(wxSysErrorCode());
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
    context.progress = progress;
    std::unique_ptr<CDataManager> document;
    const SFormatEntry* entry = entryOf(usedFormat);
    const char* kind =
        entry != nullptr && entry->readsAnyBytes ? knownNonDocument(bytes, size) : nullptr;
    if (kind != nullptr) {
        report.error = wxString::Format("%s (%s)", CTextImporter::kNotADocument, kind);
    } else {
        // A format no importer declares is read as plain text.
        entry = entry != nullptr ? entry : &CTextImporter::kPlainTextFormat;
        document = entry->make()->read(bytes, size, context, &report);
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
        fail(wxString::Format("cannot read \"%s\": %s", CMessageText::cut(path), reason));
        return nullptr;
    }
    return importBytes(bytes.data(), bytes.size(), format, path, wxFileName(path).GetPath());
}

void CDocumentImporter::fail(const wxString& message) {
    report = SImportReport();
    report.error = message;
    error = message;
}
