#include "import/XmlHelpers.h"

#include <libxml/parser.h>

#include <climits>

namespace xmlHelpers {

void SDocFree::operator()(xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

const char* textOf(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

CXmlDoc parseXml(const char* bytes, std::size_t size, SXmlFault* fault) {
    if (size > INT_MAX) {
        fault->message = "it is too large to parse: more than 2 GB";
        return nullptr;
    }
    xmlParserCtxt* context = xmlNewParserCtxt();
    if (context == nullptr) {
        fault->message = "there is not enough memory to parse it";
        return nullptr;
    }
    CXmlDoc doc(xmlCtxtReadMemory(context, bytes, static_cast<int>(size), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) {
        const xmlError* error = xmlCtxtGetLastError(context);
        fault->message =
            error != nullptr && error->message != nullptr ? error->message : "it cannot be parsed";
        fault->message.erase(fault->message.find_last_not_of(" \n") + 1);
        // A parser error's column is its second number.
        fault->line = error != nullptr && error->line > 0 ? error->line : 0;
        fault->column = fault->line > 0 && error->int2 > 0 ? error->int2 : 0;
    }
    xmlFreeParserCtxt(context);
    return doc;
}

} // namespace xmlHelpers
