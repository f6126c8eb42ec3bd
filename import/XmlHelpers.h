#ifndef FLIT_IMPORT_XMLHELPERS_H
#define FLIT_IMPORT_XMLHELPERS_H

#include <libxml/tree.h>

#include <memory>

// What the importers that parse with libxml2 (HTML, EPUB) share.
namespace xmlHelpers {

struct SDocFree {
    void operator()(xmlDoc* doc) const;
};
// A parsed document, freed with its tree.
using CXmlDoc = std::unique_ptr<xmlDoc, SDocFree>;

// libxml2's text (always UTF-8) as the characters it is.
const char* textOf(const xmlChar* text);

} // namespace xmlHelpers

#endif
