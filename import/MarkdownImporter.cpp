#include "import/MarkdownImporter.h"

std::unique_ptr<CDataManager>
CMarkdownImporter::read(const char*, std::size_t, const SImportContext&, SImportReport* report) {
    report->error = "Markdown is not read yet";
    return nullptr;
}
