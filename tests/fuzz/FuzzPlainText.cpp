// Fuzz target: the plain-text importer. Each input is imported as plain UTF-8 text.
//
// Checked on every input: either a document or an error placed inside the text, never both;
// every word non-empty valid UTF-8. Plain text has only two faults, so a text is accepted
// exactly when it is valid UTF-8 without NUL; and the document's items spell the text again
// without a leading byte order mark, each run of blanks as one space and each line break as one
// newline.

#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// White space as its UTF-8 bytes, written out here rather than taken from the tokenizer so that
// the check stays independent of it. "\r\n" comes before "\r" so that it matches whole.
const char* const kBlanks[] = {" ",      "\t",     "\v",     "\f",     "\u1680", "\u2000",
                               "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006",
                               "\u2007", "\u2008", "\u2009", "\u200A", "\u205F", "\u3000"};
const char* const kLineBreaks[] = {"\r\n", "\n", "\r", "\xC2\x85", "\u2028", "\u2029"};

// The length of the entry of list that text[i..size) starts with, 0 when none.
template <std::size_t N>
std::size_t matchAt(const char* text, std::size_t size, std::size_t i,
                    const char* const (&list)[N]) {
    for (const char* entry : list) {
        const std::size_t length = std::strlen(entry);
        if (size - i >= length && std::memcmp(text + i, entry, length) == 0) {
            return length;
        }
    }
    return 0;
}

// The text as its items should spell it: a leading byte order mark dropped, a run of blanks
// becomes " ", each line break "\n".
std::string expectedSpelling(const char* text, std::size_t size) {
    std::string out;
    std::size_t i = size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    bool afterBlank = false;
    while (i < size) {
        if (const std::size_t length = matchAt(text, size, i, kLineBreaks)) {
            out += '\n';
            i += length;
            afterBlank = false;
        } else if (const std::size_t blank = matchAt(text, size, i, kBlanks)) {
            out += afterBlank ? "" : " ";
            i += blank;
            afterBlank = true;
        } else {
            out += text[i++];
            afterBlank = false;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    wxString error;
    const std::unique_ptr<CDataManager> document =
        flitFuzzImport(text, size, CDocumentImporter::ePlainText, &error);

    const bool acceptable =
        flitFuzzIsUtf8(text, size) && (size == 0 || std::memchr(text, '\0', size) == nullptr);
    FLIT_FUZZ_CHECK(acceptable == (document != nullptr),
                    acceptable
                        ? "refused: " + error.utf8_string()
                        : std::string("accepted a text that is not valid UTF-8 or holds NUL"));
    if (document) {
        const std::string expected = expectedSpelling(text, size);
        std::string got;
        for (const auto& [kind, word] : flitFuzzItems(*document)) {
            FLIT_FUZZ_CHECK(kind == eDITWord || kind == eDITSpace || kind == eDITNewline,
                            "plain text gave an item of kind " + std::to_string(kind));
            got += kind == eDITWord ? word : kind == eDITSpace ? " " : "\n";
        }
        FLIT_FUZZ_CHECK(got == expected, "items spell \"" + got + "\", not \"" + expected + "\"");
    }
    return 0;
}
