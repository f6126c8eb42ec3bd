// Fuzz target: the marked-up importer. Each input is imported as a marked-up text whose FILE
// arguments are relative to a folder of small media files, so that directives naming them
// succeed and directives naming anything else fail.
//
// Checked on every input: either a document or an error placed inside the text, never both;
// every word non-empty valid UTF-8; a text without braces holds the same characters in the same
// lines as plain text does with its line breaks kept. Only the cut into words may differ: plain
// text joins punctuation to its word and cuts unspaced scripts into words, while marked-up text
// keeps each word as its author wrote it.

#include "FuzzSupport.h"

#include <string>
#include <string_view>

namespace {

// A document's words run together, with a line break for each newline item.
std::string linesOf(const CDataManager& document) {
    std::string lines;
    for (const auto& [kind, word] : flitFuzzItems(document)) {
        if (kind == eDITWord) {
            lines += word;
        } else if (kind == eDITNewline) {
            lines += '\n';
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    wxString error;
    const std::unique_ptr<CDataManager> document =
        flitFuzzImport(text, size, CDocumentImporter::eMarkedUp, &error);

    if (std::string_view(text, size).find_first_of("{}") == std::string_view::npos) {
        wxString plainError;
        const std::unique_ptr<CDataManager> plain =
            flitFuzzImport(text, size, CDocumentImporter::ePlainText, &plainError, true);
        FLIT_FUZZ_CHECK(plain ? document && linesOf(*plain) == linesOf(*document)
                              : !document && plainError == error,
                        "a text without braces reads differently when marked up; errors " +
                            plainError.utf8_string() + " / " + error.utf8_string());
    }
    return 0;
}
