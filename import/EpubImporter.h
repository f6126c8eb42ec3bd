#ifndef FLIT_IMPORT_EPUBIMPORTER_H
#define FLIT_IMPORT_EPUBIMPORTER_H

#include "import/FormatEntry.h"
#include <flitengine/import/FormatImporter.h>

// Reads an EPUB 2 or 3 book: the package document that META-INF/container.xml names, then the
// content documents of its spine in reading order, each through the HTML text builder and each
// opened by a shown page marker numbered 1, 2, 3... in the order the chapters are read. Each
// file is read once, at its first place in the spine (a manifest href's fragment names its
// file); an item that is not a content document (a picture) is read through its manifest
// fallback chain, or skipped, and never parsed as text. Spine items marked linear="no" and the
// navigation document are not read as text. The title comes from the package's metadata; the
// table of contents from the navigation document or, when it yields nothing or mostly points at
// nothing, from toc.ncx, each entry pointing at the item where its chapter or anchor begins.
// The body's start (landmarks, guide, else the first chapter after the front matter) goes to
// the document. Encrypted books, zip bombs, books whose spine names a missing file and books
// whose spine leads to no text are refused.
class CEpubImporter : public CFormatImporter {
public:
    // Its entry in the table of formats: "epub", *.epub, and a zip that starts with an EPUB's
    // mimetype whatever its name.
    static const SFormatEntry kFormat;

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
