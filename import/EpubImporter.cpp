#include "import/EpubImporter.h"

std::unique_ptr<CDataManager> CEpubImporter::read(const char*, std::size_t, const SImportContext&,
                                                  SImportReport* report) {
    report->error = "EPUB is not read yet";
    return nullptr;
}
