#include "import/PdfImporter.h"

std::unique_ptr<CDataManager> CPdfImporter::read(const char*, std::size_t, const SImportContext&,
                                                 SImportReport* report) {
    report->error = "PDF is not read yet";
    return nullptr;
}
