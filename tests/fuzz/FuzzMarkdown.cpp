// Fuzz target: the Markdown importer. Each input is imported as Markdown.
//
// Checked on every input: a document, or a refusal with a message; the document's items are
// only words, spaces and newlines as FuzzHtmlItems.h says.

#include "FuzzHtmlItems.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> document = importer.importText(
        reinterpret_cast<const char*>(data), size, CDocumentImporter::eMarkdown, wxString());
    FLIT_FUZZ_CHECK((document != nullptr) == importer.getError().empty(),
                    "refused without a message, or read with one");
    if (document) {
        flitFuzzCheckHtmlItems(*document);
    }
    return 0;
}
