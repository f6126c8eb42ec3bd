// Fuzz target: the marked-up importer. Each input is imported as a marked-up text whose FILE
// arguments are relative to a folder of small media files, so that directives naming them
// succeed and directives naming anything else fail.
//
// Checked on every input: either a document or an error placed inside the text, never both;
// every word non-empty valid UTF-8; a text without braces reads exactly as plain text does.

#include "FuzzSupport.h"

#include "outside/DocumentImporter.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The items of a document as one line, words by their text and the rest by their kind.
std::string items(const CDataManager& document) {
    std::string out;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node != nullptr;
         node = node->GetNext()) {
        const CDataInfo* item = node->GetData();
        if (item->getDataInfoType() == eDITWord) {
            out += "w:" + std::string(static_cast<const CDITWord*>(item)->getWord());
        } else {
            out += "k:" + std::to_string(item->getDataInfoType());
        }
        out += '\n';
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    flitFuzzInitialize();
    flitFuzzMediaDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> document =
        importer.importText(text, size, CDocumentImporter::eMarkedUp, flitFuzzMediaDir());
    flitFuzzCheckImport(text, size, document.get(), importer.getError(), importer.getErrorMessage(),
                        importer.getErrorLine(), importer.getErrorColumn());

    const bool braces = size > 0 && (std::memchr(text, '{', size) != nullptr ||
                                     std::memchr(text, '}', size) != nullptr);
    if (!braces) {
        CDocumentImporter plainImporter;
        const std::unique_ptr<CDataManager> plain =
            plainImporter.importText(text, size, CDocumentImporter::ePlainText, wxString());
        FLIT_FUZZ_CHECK((plain != nullptr) == (document != nullptr),
                        "marked up and plain disagree on a text without braces");
        if (plain) {
            FLIT_FUZZ_CHECK(items(*plain) == items(*document),
                            "a text without braces reads differently when marked up");
        } else {
            FLIT_FUZZ_CHECK(plainImporter.getError() == importer.getError(),
                            "errors differ: " + plainImporter.getError().utf8_string() + " / " +
                                importer.getError().utf8_string());
        }
    }
    return 0;
}
