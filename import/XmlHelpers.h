#ifndef FLIT_IMPORT_XMLHELPERS_H
#define FLIT_IMPORT_XMLHELPERS_H

#include <libxml/tree.h>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// How many attributes of one element the parsers are given. libxml2 compares each attribute
// of an element with every one before it and appends each to the end of a list, so that the
// time for one element grows with the square of its attributes (100,000 took 26 s); past this
// many, the rest are left out before parsing. Real documents stay far below it.
const std::size_t kMaxAttributes = 128;

// The byte ranges [first, second) of the markup that hold the attributes past the
// kMaxAttributes-th of their element, in order; none for almost every document. Read in units
// of the encoding that the byte order mark or the first "<" shows (UTF-8 and the other
// encodings that keep ASCII as it is, UTF-16 or UTF-32 of either byte order), as a start tag is
// read: "<" and a name, then names and values up to ">" outside quotes.
std::vector<std::pair<std::size_t, std::size_t>> excessAttributes(const char* bytes,
                                                                  std::size_t size);

// The bytes without the ranges that excessAttributes finds; false, with *out untouched, when
// there are none.
bool dropExcessAttributes(const char* bytes, std::size_t size, std::string* out);

// Where and why a parse failed; line and column 0 when the fault has no place.
struct SXmlFault {
    std::string message;
    int line = 0;
    int column = 0;
};

// Parses well-formed XML in the encoding its declaration names, with network access, DTD
// loading and entity substitution off and nothing written to stderr. Attributes past
// kMaxAttributes are left out. Null, with *fault set, for
// bytes that are not well-formed or too many.
CXmlDoc parseXml(const char* bytes, std::size_t size, SXmlFault* fault);

} // namespace xmlHelpers

#endif
