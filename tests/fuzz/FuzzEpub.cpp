// Fuzz target: the EPUB importer. Each input is read as an EPUB book.
//
// Checked on every input: either a document or an error with no place in a text, never both;
// the document opens with a shown page marker and its page markers count the chapters 1, 2,
// 3...; every contents entry points into the document, in reading order. (What the chapters'
// text becomes is the HTML target's to check.)

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> document = importer.importBytes(
        reinterpret_cast<const char*>(data), size, CDocumentImporter::eEpub, "book.epub", "");
    FLIT_FUZZ_CHECK((document == nullptr) != importer.getError().empty() &&
                        importer.getErrorLine() == 0,
                    "document and error disagree: " + importer.getError().utf8_string());
    if (!document) {
        return 0;
    }
    flitFuzzCheckParts(*document);
    return 0;
}
