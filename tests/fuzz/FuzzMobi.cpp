// Fuzz target: the Kindle book importer (MOBI, AZW3) over libmobi. Each input is read as a book.
//
// Checked on every input: either a document or an error with no place in a text, never both;
// the document opens with a shown page marker and its page markers count the parts 1, 2, 3...;
// it holds a word, and every word is non-empty valid UTF-8; every contents entry points into the
// document, in reading order.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> document = importer.importBytes(
        reinterpret_cast<const char*>(data), size, CDocumentImporter::eMobi, "book.mobi", "");
    FLIT_FUZZ_CHECK((document == nullptr) != importer.getError().empty() &&
                        importer.getErrorLine() == 0,
                    "document and error disagree: " + importer.getError().utf8_string());
    if (!document) {
        return 0;
    }
    flitFuzzCheckWords(*document, false);
    flitFuzzCheckParts(*document);
    return 0;
}
