#include "import/HtmlImporter.h"

CHtmlTextBuilder::CHtmlTextBuilder(CDataManager* target) : document(target) {}

bool CHtmlTextBuilder::append(const char*, std::size_t, bool, wxString* error) {
    *error = "HTML is not read yet";
    return false;
}

std::unique_ptr<CDataManager> CHtmlImporter::read(const char*, std::size_t, const SImportContext&,
                                                  SImportReport* report) {
    report->error = "HTML is not read yet";
    return nullptr;
}
