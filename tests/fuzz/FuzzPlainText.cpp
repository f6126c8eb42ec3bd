// Fuzz target: the plain-text importer. Each input is imported as plain UTF-8 text.
//
// Checked on every input: either a document or an error placed inside the text, never both;
// every word non-empty valid UTF-8. Plain text has only two faults, so a text is accepted
// exactly when it is valid UTF-8 without NUL; and the document's items spell the text again,
// each run of blanks as one space and each line break as one newline.

#include "FuzzSupport.h"

#include "outside/DocumentImporter.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The text as its items should spell it: a run of blanks becomes " ", "\r\n" and a lone "\r"
// become "\n".
std::string expectedSpelling(const char* text, std::size_t size) {
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < size && text[i + 1] == '\n') {
                ++i;
            }
            out += '\n';
        } else if (isBlank(c)) {
            if (i == 0 || !isBlank(text[i - 1])) {
                out += ' ';
            }
        } else {
            out += c;
        }
    }
    return out;
}

std::string spelling(const CDataManager& document) {
    std::string out;
    for (wxCDataInfoListNode* node = document.getFirstNode(); node != nullptr;
         node = node->GetNext()) {
        const CDataInfo* item = node->GetData();
        switch (item->getDataInfoType()) {
        case eDITWord:
            out += static_cast<const CDITWord*>(item)->getWord();
            break;
        case eDITSpace:
            out += ' ';
            break;
        case eDITNewline:
            out += '\n';
            break;
        default:
            flitFuzzFail("plain text gave an item of kind " +
                         std::to_string(item->getDataInfoType()));
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    flitFuzzInitialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> document =
        importer.importText(text, size, CDocumentImporter::ePlainText, wxString());
    flitFuzzCheckImport(text, size, document.get(), importer.getError(), importer.getErrorMessage(),
                        importer.getErrorLine(), importer.getErrorColumn());

    const bool acceptable =
        flitFuzzIsUtf8(text, size) && (size == 0 || std::memchr(text, '\0', size) == nullptr);
    FLIT_FUZZ_CHECK(acceptable == (document != nullptr),
                    acceptable
                        ? "refused: " + importer.getError().utf8_string()
                        : std::string("accepted a text that is not valid UTF-8 or holds NUL"));
    if (document) {
        const std::string expected = expectedSpelling(text, size);
        const std::string got = spelling(*document);
        FLIT_FUZZ_CHECK(got == expected, "items spell \"" + got + "\", not \"" + expected + "\"");
    }
    return 0;
}
