#ifndef FLIT_IMPORT_PDFIMPORTER_H
#define FLIT_IMPORT_PDFIMPORTER_H

#include "import/FormatImporter.h"

// Reads a PDF (poppler): the text of its pages in order.
class CPdfImporter : public CFormatImporter {
public:
    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
