#ifndef FLIT_IMPORT_EPUBIMPORTER_H
#define FLIT_IMPORT_EPUBIMPORTER_H

#include "import/FormatImporter.h"

// Reads an EPUB 2 or 3 book: its spine's content documents in order.
class CEpubImporter : public CFormatImporter {
public:
    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
