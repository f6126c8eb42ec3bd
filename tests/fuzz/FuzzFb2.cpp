// Fuzz target: the FictionBook importer. Each input is read as a .fb2 book, or as a .fb2.zip
// when it starts as a zip.
//
// Checked on every input: either a document or an error, never both, and only an XML fault is
// placed in a text (from line 1); a document opens with a shown page marker, its page markers
// count the top-level sections 1, 2, 3..., it holds a word and every word is non-empty valid
// UTF-8 without blanks or line breaks; every contents entry points into the document, in
// reading order.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> document = importer.importBytes(
        reinterpret_cast<const char*>(data), size, CDocumentImporter::eFictionBook, "book.fb2", "");
    const std::string error = importer.getError().utf8_string();
    FLIT_FUZZ_CHECK((document == nullptr) == !error.empty(), "document and error: " + error);
    FLIT_FUZZ_CHECK(importer.getErrorLine() >= 0 && importer.getErrorColumn() >= 0 &&
                        (importer.getErrorLine() == 0 || error.find("XML") != std::string::npos),
                    "a fault placed where it is not: " + error);
    if (!document) {
        return 0;
    }
    flitFuzzCheckWords(*document, true);
    flitFuzzCheckParts(*document, true);
    return 0;
}
