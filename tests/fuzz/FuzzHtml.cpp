// Fuzz target: the HTML reader. Each input is read as HTML and as XHTML.
//
// Checked on every input: the reader either appends items or refuses with a message, nothing
// else; the items are only words, spaces and newlines as FuzzHtmlItems.h says; every anchor
// points into the document or just past it.

#include "FuzzHtmlItems.h"
#include "import/HtmlImporter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    for (const bool xhtml : {false, true}) {
        CDataManager document;
        CHtmlTextBuilder builder(&document);
        wxString error;
        const bool read = builder.append(reinterpret_cast<const char*>(data), size, xhtml, &error);
        FLIT_FUZZ_CHECK(read == error.empty(), "refused without a message, or read with one");
        if (read) {
            flitFuzzCheckHtmlItems(document);
            for (const auto& [id, index] : builder.getAnchors()) {
                FLIT_FUZZ_CHECK(index <= document.getItemCount(), "anchor past the end: " + id);
            }
        }
    }
    return 0;
}
