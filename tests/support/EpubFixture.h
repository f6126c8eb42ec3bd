#ifndef FLIT_TESTS_SUPPORT_EPUBFIXTURE_H
#define FLIT_TESTS_SUPPORT_EPUBFIXTURE_H

// Small EPUB books and zip archives made on the spot, for the EPUB tests and benchmark.

#include <wx/string.h>

#include <string>
#include <vector>

enum eZipEntryKind { eZipDeflated, eZipStored, eZipDropped };

struct SZipEntry {
    std::string name;
    std::string content;
    eZipEntryKind kind = eZipDeflated;
};

// The entries of an EPUB 3 book: the mimetype, the container naming OPS/book.opf, the package
// with the title, and chapters c1.xhtml, c2.xhtml... (ids c1, c2...) holding the bodies given.
// spine lists idrefs, "-c3" for one marked linear="no". A non-empty nav adds nav.xhtml (id
// "nav") whose table of contents list holds it; a non-empty ncx adds toc.ncx whose navMap holds
// it.
std::vector<SZipEntry> flitEpubEntries(const std::string& title,
                                       const std::vector<std::string>& chapters,
                                       const std::string& spine, const std::string& nav = "",
                                       const std::string& ncx = "");

// A zip archive of the entries; an entry replaces an earlier one of its name, or drops it.
std::string flitZipBytes(const std::vector<SZipEntry>& entries);

// Writes bytes to a new file of that name in a new temporary folder; returns its path.
wxString flitWriteTempFile(const std::string& bytes, const wxString& name);

#endif
