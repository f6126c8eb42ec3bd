#ifndef FLIT_IMPORT_PDFIMPORTER_H
#define FLIT_IMPORT_PDFIMPORTER_H

#include "import/FormatEntry.h"
#include <flitengine/import/FormatImporter.h>

// Reads a PDF through poppler: the text of its pages in order, each page opened by a page marker
// with the PDF's own page number, and the title from the document's information. Lines are
// joined into paragraphs from the geometry of the text, and words hyphenated at a line end are
// joined again; docs/formats.md gives the rules.
//
// Refused: an empty or damaged PDF, a PDF that needs a password, and a PDF without any text
// (scanned pages).
class CPdfImporter : public CFormatImporter {
public:
    // Its entry in the table of formats: "pdf", *.pdf, and bytes that start as a PDF does
    // whatever their name.
    static const SFormatEntry kFormat;

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
