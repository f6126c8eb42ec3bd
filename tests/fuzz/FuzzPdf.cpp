// Fuzz target: the PDF importer. Each input is imported as a PDF.
//
// Checked on every input: either a document or an error, never both, and a PDF's error has no
// place in a text; a document opens with its first page's marker, holds a word, and every word
// is non-empty valid UTF-8 without blanks or line breaks.

#include "FuzzSupport.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> document = importer.importBytes(
        reinterpret_cast<const char*>(data), size, CDocumentImporter::ePdf, "fuzz.pdf", "");
    const std::string error = importer.getError().utf8_string();
    FLIT_FUZZ_CHECK((document == nullptr) == !error.empty(), "document and error: " + error);
    FLIT_FUZZ_CHECK(importer.getErrorLine() == 0, "a PDF's fault placed in a text: " + error);
    if (document) {
        const auto items = flitFuzzItems(*document);
        FLIT_FUZZ_CHECK(items.front().first == eDITPageInfoRef, "no page marker first");
        FLIT_FUZZ_CHECK(std::any_of(items.begin(), items.end(),
                                    [](const auto& item) { return item.first == eDITWord; }),
                        "a document without words");
        for (const auto& [kind, word] : items) {
            FLIT_FUZZ_CHECK(kind != eDITWord ||
                                (!word.empty() && flitFuzzIsUtf8(word.data(), word.size()) &&
                                 word.find_first_of(" \t\r\n\v\f") == std::string::npos),
                            "a bad word: " + word);
        }
    }
    return 0;
}
