// Fuzz target: the Kindle book importer (MOBI, AZW3) over libmobi. Each input is read as a book.
//
// Checked on every input: either a document or an error with no place in a text, never both;
// the document opens with a shown page marker and its page markers count the parts 1, 2, 3...;
// it holds a word, and every word is non-empty valid UTF-8; every contents entry points into the
// document, in reading order.

#include "FuzzSupport.h"

#include <algorithm>

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
    const auto items = flitFuzzItems(*document);
    FLIT_FUZZ_CHECK(items.front().first == eDITPageInfoRef, "no page marker first");
    FLIT_FUZZ_CHECK(std::any_of(items.begin(), items.end(),
                                [](const auto& item) { return item.first == eDITWord; }),
                    "a document without words");
    for (const auto& [kind, word] : items) {
        FLIT_FUZZ_CHECK(kind != eDITWord ||
                            (!word.empty() && flitFuzzIsUtf8(word.data(), word.size())),
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
        FLIT_FUZZ_CHECK(entry.itemIndex >= last && entry.itemIndex < document->getItemCount(),
                        "contents out of order or past the end");
        last = entry.itemIndex;
    }
    return 0;
}
