#ifndef FLIT_IMPORT_TEXTIMPORTER_H
#define FLIT_IMPORT_TEXTIMPORTER_H

#include "import/FormatImporter.h"

// Plain text, and marked-up text (plain text with directives in braces): see CDocumentImporter
// for what each reads. Faults carry the line and column in the text.
class CTextImporter : public CFormatImporter {
public:
    explicit CTextImporter(bool withDirectives) : markedUp(withDirectives) {}

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;

private:
    bool markedUp;
};

#endif
