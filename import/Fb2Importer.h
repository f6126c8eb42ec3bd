#ifndef FLIT_IMPORT_FB2IMPORTER_H
#define FLIT_IMPORT_FB2IMPORTER_H

#include "import/FormatEntry.h"
#include <flitengine/import/FormatImporter.h>

// Reads a FictionBook 2 book (.fb2), or a zip holding exactly one (.fb2.zip): the text of its
// bodies in order, the notes and comments bodies left out. Each top-level section opens with a
// shown page marker numbered 1, 2, 3...; every section with a title is a table of contents
// entry at its depth. Paragraphs, verse lines, titles and subtitles end their line; titles,
// subtitles, emphasis and strong text are bold; pictures and note references are not read. The
// title and language come from the description's title-info. XML is parsed without network,
// DTDs or entity substitution, in the encoding the declaration names.
//
// Refused: a file that is not well-formed XML (with the place of the fault), a root other than
// FictionBook, a book without text, and a zip that holds no .fb2 file or more than one.
class CFb2Importer : public CFormatImporter {
public:
    // Its entry in the table of formats: "fb2", *.fb2 and *.fb2.zip, XML whose root is
    // FictionBook, and a zip whose first entry is a .fb2 file, whatever their name.
    static const SFormatEntry kFormat;

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
