#ifndef FLIT_IMPORT_MARKDOWNIMPORTER_H
#define FLIT_IMPORT_MARKDOWNIMPORTER_H

#include "import/FormatEntry.h"
#include <flitengine/import/FormatImporter.h>

// Reads a Markdown text (cmark): rendered to HTML and read as HTML.
class CMarkdownImporter : public CFormatImporter {
public:
    // Its entry in the table of formats: "markdown", *.md and *.markdown.
    static const SFormatEntry kFormat;

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
