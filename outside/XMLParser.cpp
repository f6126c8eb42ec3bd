#include <flitengine/outside/XMLParser.h>

#include <flitengine/outside/MessageText.h>

#include <wx/buffer.h>
#include <wx/ffile.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/strconv.h>
#include <wx/thread.h>

#include <cstring>
#include <string>

const std::size_t CXMLParser::kMaxFileBytes;
const int CXMLParser::kMaxDepth;
const int CXMLParser::kMaxAttributes;

namespace {

// Keeps the last message that the XML library logs while a file is parsed, so that the message
// reaches the caller instead of a modal log window. Active only while the parse runs.
class CCapturedLog : public wxLog {
public:
    CCapturedLog() : previous(install(this)) {}
    ~CCapturedLog() override { install(previous); }
    CCapturedLog(const CCapturedLog&) = delete;
    CCapturedLog& operator=(const CCapturedLog&) = delete;

    const wxString& lastMessage() const { return message; }

protected:
    // The record itself, without the time stamp and level that formatting would add.
    void DoLogRecord(wxLogLevel, const wxString& msg, const wxLogRecordInfo&) override {
        message = msg;
    }

private:
    // The main thread's target is the global one; other threads have their own.
    static wxLog* install(wxLog* target) {
        return wxThread::IsMain() ? wxLog::SetActiveTarget(target)
                                  : wxLog::SetThreadActiveTarget(target);
    }

    wxLog* previous;
    wxString message;
};

bool startsWith(const std::string& text, std::size_t at, const char* prefix) {
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// The text of a file in UTF-16 (by its byte order mark, or by the "<" of its first unit) as
// UTF-8, so that its markup can be walked as the parser will read it; any other file as it is.
// False for UTF-16 that cannot be converted, which the walk could not check.
bool asUtf8(const std::string& bytes, std::string* utf8) {
    const auto startsWithBytes = [&bytes](unsigned char first, unsigned char second) {
        return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == first &&
               static_cast<unsigned char>(bytes[1]) == second;
    };
    const bool little = startsWithBytes(0xFF, 0xFE) || startsWithBytes('<', 0);
    if (!little && !startsWithBytes(0xFE, 0xFF) && !startsWithBytes(0, '<')) {
        *utf8 = bytes;
        return true;
    }
    const wxMBConvUTF16LE fromLittle;
    const wxMBConvUTF16BE fromBig;
    const wxMBConv& from = little ? static_cast<const wxMBConv&>(fromLittle) : fromBig;
    const wxString text(bytes.data(), from, bytes.size());
    // A surrogate left unpaired, or a unit past the last code point, comes through the
    // conversion as itself, and has no UTF-8.
    for (const wxUniChar unit : text) {
        if ((unit.GetValue() >= 0xD800 && unit.GetValue() <= 0xDFFF) ||
            unit.GetValue() > 0x10FFFF) {
            return false;
        }
    }
    const wxScopedCharBuffer converted = text.utf8_str();
    utf8->assign(converted.data(), converted.length());
    return !text.empty();
}

// Walks the markup of a document without parsing it, far enough to find what the parser must
// never see: a document type declaration, elements nested deeper than kMaxDepth, or an element
// of more than kMaxAttributes attributes (the parser appends each attribute to the end of a
// list, so that their time grows with the square of their number). Returns what is wrong, or
// an empty string. Anything malformed is left to the parser to report.
wxString findRefusedStructure(const std::string& text) {
    int depth = 0;
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string::npos) {
        // Comments, character data and processing instructions hold no elements.
        const char* end = nullptr;
        if (startsWith(text, at, "<!--")) {
            end = "-->";
        } else if (startsWith(text, at, "<![CDATA[")) {
            end = "]]>";
        } else if (startsWith(text, at, "<?")) {
            end = "?>";
        } else if (startsWith(text, at, "<!")) {
            return "it has a document type declaration, which settings files never have";
        }
        if (end != nullptr) {
            at = text.find(end, at + 2);
            if (at == std::string::npos) {
                return wxString();
            }
            at += std::strlen(end);
            continue;
        }
        if (startsWith(text, at, "</")) {
            depth = depth > 0 ? depth - 1 : 0;
            at += 2;
            continue;
        }
        // A start tag ends at the first ">" outside quotes; "/>" closes it at once. Each of its
        // attributes has one "=" outside quotes.
        char quote = '\0';
        int attributes = 0;
        std::size_t close = at + 1;
        for (; close < text.size(); ++close) {
            const char c = text[close];
            if (quote != '\0') {
                quote = c == quote ? '\0' : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '=' && ++attributes > CXMLParser::kMaxAttributes) {
                return wxString::Format("an element has more than %d attributes",
                                        CXMLParser::kMaxAttributes);
            } else if (c == '>') {
                break;
            }
        }
        if (close == text.size()) {
            return wxString();
        }
        if (text[close - 1] != '/' && ++depth > CXMLParser::kMaxDepth) {
            return wxString::Format("its elements are nested more than %d deep",
                                    CXMLParser::kMaxDepth);
        }
        at = close + 1;
    }
    return wxString();
}

} // namespace

CXMLParser::CXMLParser(const char* path) : CFileParser(path) {}

CXMLParser::~CXMLParser() = default;

bool CXMLParser::doPreLoad() {
    if (!checkReadableFile()) {
        return false;
    }
    const wxString& path = getParseFilePath();
    std::string text;
    {
        wxLogNull quiet;
        wxFFile file(path, "rb");
        const wxFileOffset length = file.IsOpened() ? file.Length() : wxInvalidOffset;
        if (length == wxInvalidOffset) {
            setLoadError(wxString::Format("'%s' cannot be read", CMessageText::cut(path)));
            return false;
        }
        if (static_cast<unsigned long long>(length) > kMaxFileBytes) {
            setLoadError(wxString::Format("'%s' is %lld bytes, more than the %zu that a settings "
                                          "file may have",
                                          CMessageText::cut(path), static_cast<long long>(length),
                                          kMaxFileBytes));
            return false;
        }
        text.resize(static_cast<std::size_t>(length));
        if (!text.empty() && file.Read(&text[0], text.size()) != text.size()) {
            setLoadError(wxString::Format("'%s' cannot be read", CMessageText::cut(path)));
            return false;
        }
    }
    std::string walked;
    if (!asUtf8(text, &walked)) {
        setLoadError(wxString::Format("'%s' is not valid UTF-16", CMessageText::cut(path)));
        return false;
    }
    const wxString refused = findRefusedStructure(walked);
    if (!refused.empty()) {
        setLoadError(wxString::Format("'%s': %s", CMessageText::cut(path), refused));
        return false;
    }
    CCapturedLog capture;
    wxMemoryInputStream in(text.data(), text.size());
    if (!parsedDocument.Load(in) || parsedDocument.GetRoot() == nullptr) {
        wxString reason = capture.lastMessage();
        if (reason.empty()) {
            reason = "not a well-formed XML document";
        }
        setLoadError(wxString::Format("'%s': %s", CMessageText::cut(path), reason));
        return false;
    }
    return true;
}

bool CXMLParser::doLoad() {
    setLoadError(wxString());
    const bool accepted = loadFromXML(parsedDocument.GetRoot());
    parsedDocument = wxXmlDocument();
    if (!accepted) {
        const wxString reason = getLoadError().empty()
                                    ? wxString("its contents are not valid settings")
                                    : getLoadError();
        setLoadError(wxString::Format("'%s': %s", CMessageText::cut(getParseFilePath()), reason));
    }
    return accepted;
}
