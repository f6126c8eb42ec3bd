#include "import/XmlHelpers.h"

namespace xmlHelpers {

void SDocFree::operator()(xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

const char* textOf(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

} // namespace xmlHelpers
