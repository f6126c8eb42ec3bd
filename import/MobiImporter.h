#ifndef FLIT_IMPORT_MOBIIMPORTER_H
#define FLIT_IMPORT_MOBIIMPORTER_H

#include "import/FormatEntry.h"
#include <flitengine/import/FormatImporter.h>

// Reads a Kindle book without DRM, MOBI (version 6) or AZW3 (KF8, also the newer half of a
// hybrid .mobi), through libmobi: the book's HTML parts as libmobi reconstructs them, in reading
// order, each through the HTML text builder and each opened by a shown page marker numbered 1,
// 2, 3...; pictures, fonts and style sheets are not read. The title and language come from the
// book's metadata; the table of contents from its NCX index or, in a MOBI without one, from the
// links of the page its guide names as the contents. Books with DRM, damaged or truncated books
// and books whose text would unpack to more than kMaxTextBytes are refused.
class CMobiImporter : public CFormatImporter {
public:
    // The most text a book may unpack to: as much as one entry of an EPUB may inflate to.
    static constexpr std::size_t kMaxTextBytes = std::size_t{64} << 20;

    // Its entry in the table of formats: "mobi", *.mobi, *.azw3 and *.azw, and a Palm database
    // of the type "BOOKMOBI" whatever its name.
    static const SFormatEntry kFormat;

    std::unique_ptr<CDataManager> read(const char* bytes, std::size_t size,
                                       const SImportContext& context,
                                       SImportReport* report) override;
};

#endif
