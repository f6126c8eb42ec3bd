#ifndef FLIT_IMPORT_MARKDOWNIMPORTER_H
#define FLIT_IMPORT_MARKDOWNIMPORTER_H

#include <flitengine/import/FormatImporter.h>

// Reads a Markdown text (cmark): rendered to HTML and read as HTML.
class CMarkdownImporter : public CFormatImporter {
public:
    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
