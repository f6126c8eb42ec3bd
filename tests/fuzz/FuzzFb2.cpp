// Fuzz target: the FictionBook importer. Each input is read as a .fb2 book, or as a .fb2.zip
// when it starts as a zip.
//
// Checked on every input: either a document or an error, never both, and only an XML fault is
// placed in a text (from line 1); a document opens with a shown page marker, its page markers
// count the top-level sections 1, 2, 3..., it holds a word and every word is non-empty valid
// UTF-8 without blanks or line breaks; every contents entry points into the document, in
// reading order.

#include "FuzzSupport.h"

#include <algorithm>

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
    unsigned int pages = 0;
    for (auto* node = document->getFirstNode(); node != nullptr; node = node->GetNext()) {
        if (auto* page = dynamic_cast<CDITPageInfoRef*>(node->GetData())) {
            const auto* info =
                document->getPageManager()->getPageInfoAt(page->getPageInfoListNode());
            FLIT_FUZZ_CHECK(info->pageType == 0 && info->pageNum == ++pages, "pages out of order");
        }
    }
    std::size_t last = 0;
    for (const CDataManager::SContentsEntry& entry : document->getContents()) {
        FLIT_FUZZ_CHECK(entry.itemIndex >= last && entry.itemIndex < document->getItemCount() &&
                            entry.level >= 0 && !entry.title.empty(),
                        "contents out of order, past the end or untitled");
        last = entry.itemIndex;
    }
    return 0;
}
