#ifndef FLIT_IMPORT_XMLHELPERS_H
#define FLIT_IMPORT_XMLHELPERS_H

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string>

// What the importers that parse with libxml2 (HTML, EPUB) share.
namespace xmlHelpers {

struct SDocFree {
    void operator()(xmlDoc* doc) const;
};
// A parsed document, freed with its tree.
using CXmlDoc = std::unique_ptr<xmlDoc, SDocFree>;

// libxml2's text (always UTF-8) as the characters it is.
const char* textOf(const xmlChar* text);

// Whether node is an element of that local name (in any namespace).
bool isElement(const xmlNode* node, const char* localName);

// An attribute's value (in the namespace given, or in any); empty when the element has none.
std::string property(const xmlNode* element, const char* name, const char* nameSpace = nullptr);

// Where and why a parse failed; line and column 0 when the fault has no place.
struct SXmlFault {
    std::string message;
    int line = 0;
    int column = 0;
};

// Parses well-formed XML in the encoding its declaration names, with network access, DTD
// loading and entity substitution off and nothing written to stderr. Null, with *fault set, for
// bytes that are not well-formed or too many.
CXmlDoc parseXml(const char* bytes, std::size_t size, SXmlFault* fault);

} // namespace xmlHelpers

#endif
