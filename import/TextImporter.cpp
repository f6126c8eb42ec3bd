#include "import/TextImporter.h"

#include "import/MarkupReader.h"
#include "outside/TextTokenizer.h"
#include "outside/Utf8.h"

#include <cstring>
#include <limits>

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

} // namespace

std::unique_ptr<CDataManager> CTextImporter::read(const char* text, std::size_t size,
                                                  const SImportContext& context,
                                                  SImportReport* report) {
    // Skipped before anything else, so that columns in messages count from after it.
    std::size_t skipped = 0;
    if (size >= kByteOrderMarkSize && std::memcmp(text, kByteOrderMark, kByteOrderMarkSize) == 0) {
        skipped = kByteOrderMarkSize;
        text += skipped;
        size -= skipped;
    }
    const std::size_t bad = CUtf8::findInvalid(text, size);
    if (bad != CUtf8::kAllValid) {
        failAt(report, text, size, bad,
               wxString::Format("not valid UTF-8: bad byte at offset %zu", skipped + bad));
        return nullptr;
    }
    // Words are handed on as C strings, which a NUL would cut short.
    if (const void* nul = size > 0 ? std::memchr(text, '\0', size) : nullptr) {
        failAt(report, text, size, static_cast<std::size_t>(static_cast<const char*>(nul) - text),
               "NUL character in the text");
        return nullptr;
    }

    auto document = std::make_unique<CDataManager>();
    CMarkupReader reader(document.get(), context.baseDir);
    if (!markedUp) {
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
