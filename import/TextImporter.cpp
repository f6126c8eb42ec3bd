#include "import/TextImporter.h"

#include "import/MarkupReader.h"
#include "import/TextHelpers.h"
#include "import/WordWriter.h"
#include <flitengine/outside/TextTokenizer.h>
#include <flitengine/outside/Utf8.h>

#include <wx/strconv.h>

#include <cstring>
#include <limits>
#include <memory>

const char* const CTextImporter::kNotADocument = "not a document this reader knows";

namespace {

// The byte order mark that some editors write at the start of a UTF-8 file: not text.
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const std::size_t kByteOrderMarkSize = sizeof kByteOrderMark - 1;

// The byte order marks of UTF-16, little-endian and big-endian.
const char kUtf16LeMark[] = "\xFF\xFE";
const char kUtf16BeMark[] = "\xFE\xFF";
const std::size_t kUtf16MarkSize = 2;

// Text has few control characters; binary data has one byte in eight or so. At least
// kMinControls, and more than one character in kControlShare, that are controls other than tab,
// the line breaks and form feed make bytes no text. (A stray control character, even a NUL, is
// a fault in a text, reported at its place.)
const std::size_t kControlShare = 10;
const std::size_t kMinControls = 4;
// Windows-1252 text is mostly ASCII even in languages with many accents (a short quoted word
// may still be half accents and quotes): bytes more than half of which are above ASCII are no
// text in it.
const std::size_t kHighByteShare = 2;

// The characters of Windows-1252 from 0x80 to 0x9F (0 for the five bytes it leaves
// undefined); from 0xA0 on it is Latin-1, whose bytes are their own code points.
const char32_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t windows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
}

// Reads the bytes as Windows-1252 when every byte is defined there and they look like text;
// false otherwise.
bool fromWindows1252(const char* bytes, std::size_t size, std::string* out) {
    std::size_t high = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        high += byte >= 0x80 ? 1 : 0;
        if (windows1252(byte) == 0) {
            return false;
        }
    }
    if (high * kHighByteShare > size) {
        return false;
    }
    out->reserve(size + high * 2);
    for (std::size_t i = 0; i < size; ++i) {
        textHelpers::appendUtf8(out, windows1252(static_cast<unsigned char>(bytes[i])));
    }
    return true;
}

// Reads UTF-16 after its byte order mark; false when the bytes are not whole, valid UTF-16.
bool fromUtf16(const char* bytes, std::size_t size, bool littleEndian, std::string* out) {
    if (size % 2 != 0) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    wxMBConvUTF16LE little;
    wxMBConvUTF16BE big;
    const wxMBConv& conv = littleEndian ? static_cast<const wxMBConv&>(little) : big;
    const std::size_t length = conv.ToWChar(nullptr, 0, bytes, size);
    if (length == wxCONV_FAILED) {
        return false;
    }
    std::wstring wide(length, L'\0');
    conv.ToWChar(&wide[0], length, bytes, size);
    // The converter passes a lone surrogate through as it stands; such text is not UTF-16 and
    // has no UTF-8 form.
    for (const wchar_t c : wide) {
        if ((c >= 0xD800 && c <= 0xDFFF) || static_cast<unsigned long>(c) > 0x10FFFF) {
            return false;
        }
    }
    *out = wxString(wide).utf8_string();
    return true;
}

// Whether bytes that are not valid UTF-8 are still mostly UTF-8 (a UTF-8 text with a damaged
// byte rather than another encoding): more characters beyond ASCII are valid UTF-8 than not.
bool isMostlyUtf8(const char* bytes, std::size_t size) {
    std::size_t good = 0;
    std::size_t bad = 0;
    std::size_t at = 0;
    while (at < size) {
        std::size_t valid = CUtf8::findInvalid(bytes + at, size - at);
        const bool end = valid == CUtf8::kAllValid;
        valid = end ? size - at : valid;
        for (std::size_t i = at; i < at + valid; ++i) {
            good += (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0xC0 ? 1 : 0;
        }
        if (end) {
            break;
        }
        ++bad;
        at += valid + 1;
    }
    return good > bad;
}

// For each byte, 1 when it is a control character other than tab, the line breaks and form
// feed: a table, as every byte of every text is looked up.
struct SControlBytes {
    unsigned char isControl[256];
    SControlBytes() : isControl() {
        for (int c = 0; c < 0x20; ++c) {
            const bool white = c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
            isControl[c] = white ? 0 : 1;
        }
        isControl[0x7F] = 1;
    }
};

// Whether UTF-8 text holds control characters in the quantity of binary data.
bool looksBinary(const char* text, std::size_t size) {
    static const SControlBytes kControls;
    std::size_t controls = 0;
    for (std::size_t i = 0; i < size; ++i) {
        controls += kControls.isControl[static_cast<unsigned char>(text[i])];
    }
    return controls >= kMinControls && controls * kControlShare > size;
}

// Appends the items of a stretch of text that holds no directive. A word's bytes go to the
// reader, which ends the word at white space here or at a directive that appends an item.
void appendStretch(CDataManager* document, CMarkupReader* reader, const char* text,
                   std::size_t begin, std::size_t end) {
    CTextTokenizer tokenizer(text + begin, end - begin);
    CTextTokenizer::SToken token;
    while (!document->isFull() && tokenizer.next(&token)) {
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

// Whether a run of white space in the text holds two or more line breaks: a blank line.
bool hasBlankLine(const char* text, std::size_t size) {
    CTextTokenizer tokenizer(text, size);
    CTextTokenizer::SToken token;
    int lineBreaks = 0;
    while (tokenizer.next(&token)) {
        if (token.type == CTextTokenizer::eWordToken) {
            lineBreaks = 0;
        } else if (token.type == CTextTokenizer::eNewlineToken && ++lineBreaks == 2) {
            return true;
        }
    }
    return false;
}

// Appends the items of plain text. Each run of white space is one item: a newline where it
// ends a paragraph, a space otherwise. A run with two or more line breaks (a blank line) ends
// a paragraph. A run with one line break ends one only in a text without blank lines, which
// writes a paragraph per line; in a text with blank lines it is the wrapping of a line inside
// a paragraph, and between two Chinese or Japanese characters it is no space at all. With
// keepLineBreaks, every line break is a newline and every run of blanks a space, as a text's
// lines stand.
void appendPlainText(CDataManager* document, const char* text, std::size_t size,
                     bool keepLineBreaks) {
    const bool wrapped = !keepLineBreaks && hasBlankLine(text, size);
    CWordWriter writer(document);
    CTextTokenizer tokenizer(text, size);
    CTextTokenizer::SToken token;
    bool inRun = false;
    int lineBreaks = 0;
    // The word in hand, which a wrapped line of Chinese or Japanese may go on.
    std::size_t wordBegin = 0;
    std::size_t wordEnd = 0;
    std::string joined;
    const auto endWord = [&]() {
        if (!joined.empty()) {
            writer.appendWord(joined.data(), joined.size());
            joined.clear();
        } else if (wordEnd > wordBegin) {
            writer.appendWord(text + wordBegin, wordEnd - wordBegin);
        }
        wordBegin = wordEnd;
    };
    const auto endRun = [&]() {
        const bool paragraphEnd = lineBreaks >= 2 || (lineBreaks == 1 && !wrapped);
        paragraphEnd ? writer.appendNewline() : writer.appendSpace();
    };
    // A document that reached its limits is refused: the rest of the text is not read.
    while (!document->isFull() && tokenizer.next(&token)) {
        if (token.type == CTextTokenizer::eWordToken) {
            const char* word = text + token.offset;
            if (inRun && lineBreaks == 1 && wrapped &&
                CWordWriter::joinsAcrossLineBreak(text + wordBegin, wordEnd - wordBegin, word,
                                                  token.length)) {
                if (joined.empty()) {
                    joined.assign(text + wordBegin, wordEnd - wordBegin);
                }
                joined.append(word, token.length);
                wordBegin = token.offset;
            } else {
                endWord();
                if (inRun) {
                    endRun();
                }
                wordBegin = token.offset;
            }
            wordEnd = token.offset + token.length;
            inRun = false;
            lineBreaks = 0;
        } else if (keepLineBreaks) {
            endWord();
            token.type == CTextTokenizer::eSpaceToken ? writer.appendSpace()
                                                      : writer.appendNewline();
        } else {
            inRun = true;
            lineBreaks += token.type == CTextTokenizer::eNewlineToken ? 1 : 0;
        }
    }
    endWord();
    if (inRun) {
        endRun();
    }
    writer.flush();
}

// The line breaks that number the lines of a message, as text editors number them.
bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

// Lines are counted at "\n", "\r\n" and a lone "\r", as text editors count them (the Unicode
// line breaks, which few editors show as such, do not start a line here); columns in code
// points. Everything before offset is valid UTF-8, since an import checks the whole text first.
void failAt(SImportReport* report, const char* text, std::size_t size, std::size_t offset,
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
    report->line = static_cast<int>(line < maxInt ? line : maxInt);
    report->column = static_cast<int>(column < maxInt ? column : maxInt);
    report->error = message;
}

std::unique_ptr<CFormatImporter> makePlainText() {
    return std::make_unique<CTextImporter>(false);
}

std::unique_ptr<CFormatImporter> makeMarkedUp() {
    return std::make_unique<CTextImporter>(true);
}

} // namespace

// Known by their names alone: any bytes may be text.
const SFormatEntry CTextImporter::kPlainTextFormat = {
    CDocumentImporter::ePlainText,
    "text",
    nullptr,
    "Plain text",
    {"txt"},
    nullptr,
    true,
    &makePlainText,
    {"text/plain"},
};
const SFormatEntry CTextImporter::kMarkedUpFormat = {
    CDocumentImporter::eMarkedUp,
    "flit",
    "marked-up text",
    "Marked-up text",
    {"flit"},
    nullptr,
    true,
    &makeMarkedUp,
    // A marked-up text is a text to desktops, which offer the reader for it as text/plain.
    {},
};

bool CTextImporter::decode(const char* bytes, std::size_t size, const char** text,
                           std::size_t* textSize, std::string* converted, SImportReport* report) {
    *text = bytes;
    *textSize = size;
    converted->clear();
    // Skipped before anything else, so that columns in messages count from after it.
    std::size_t skipped = 0;
    if (size >= kByteOrderMarkSize && std::memcmp(bytes, kByteOrderMark, kByteOrderMarkSize) == 0) {
        skipped = kByteOrderMarkSize;
        *text += skipped;
        *textSize -= skipped;
    } else if (size >= kUtf16MarkSize && (std::memcmp(bytes, kUtf16LeMark, kUtf16MarkSize) == 0 ||
                                          std::memcmp(bytes, kUtf16BeMark, kUtf16MarkSize) == 0)) {
        if (!fromUtf16(bytes + kUtf16MarkSize, size - kUtf16MarkSize, bytes[0] == kUtf16LeMark[0],
                       converted)) {
            report->error = "not valid UTF-16, though it starts as UTF-16 does";
            return false;
        }
        *text = converted->data();
        *textSize = converted->size();
        report->notice = "not UTF-8: read as UTF-16";
    }
    const std::size_t bad = CUtf8::findInvalid(*text, *textSize);
    if (bad != CUtf8::kAllValid) {
        // A byte order mark says UTF-8, and so do many good characters around a bad one.
        if (skipped > 0 || isMostlyUtf8(*text, *textSize)) {
            failAt(report, *text, *textSize, bad,
                   wxString::Format("not valid UTF-8: bad byte at offset %zu", skipped + bad));
            return false;
        }
        if (!fromWindows1252(bytes, size, converted)) {
            report->error = kNotADocument;
            return false;
        }
        *text = converted->data();
        *textSize = converted->size();
        report->notice = "not UTF-8: read as Windows-1252";
    }
    if (looksBinary(*text, *textSize)) {
        report->error = kNotADocument;
        report->notice.clear();
        return false;
    }
    return true;
}

std::unique_ptr<CDataManager> CTextImporter::read(const char* bytes, std::size_t byteCount,
                                                  const SImportContext& context,
                                                  SImportReport* report) {
    const char* text = nullptr;
    std::size_t size = 0;
    std::string converted;
    if (!decode(bytes, byteCount, &text, &size, &converted, report)) {
        return nullptr;
    }
    // Words are handed on as C strings, which a NUL would cut short.
    if (const void* nul = size > 0 ? std::memchr(text, '\0', size) : nullptr) {
        failAt(report, text, size, static_cast<std::size_t>(static_cast<const char*>(nul) - text),
               "NUL character in the text");
        return nullptr;
    }

    auto document = context.newDocument();
    if (!markedUp) {
        appendPlainText(document.get(), text, size, context.keepLineBreaks);
        return document;
    }
    CMarkupReader reader(document.get(), context.baseDir);

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
            failAt(report, text, size, brace, "stray \"}\" (write \"}}\" for a literal brace)");
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
            failAt(report, text, size, brace,
                   wxString::Format("\"{\" is not closed before %s (write \"{{\" for a literal "
                                    "brace)",
                                    where));
            return nullptr;
        }
        if (!reader.applyDirective(text, brace, close)) {
            failAt(report, text, size, reader.getErrorOffset(), reader.getErrorMessage());
            return nullptr;
        }
        position = close + 1;
    }
    reader.endWord();
    return document;
}
