#include "import/XmlHelpers.h"

#include <libxml/parser.h>

#include <climits>
#include <cstring>

namespace {

// Keeps the parse's first error, which says what went wrong where: later ones only follow from
// it (an unclosed element reported again at the end). The parameter's type changed between
// libxml2 versions; the template takes either.
template <typename TError> void keepFirstError(void* context, TError error) {
    auto* fault =
        static_cast<xmlHelpers::SXmlFault*>(static_cast<xmlParserCtxt*>(context)->_private);
    if (fault->message.empty() && error != nullptr && error->level >= XML_ERR_ERROR &&
        error->message != nullptr) {
        fault->message = error->message;
        fault->message.erase(fault->message.find_last_not_of(" \n") + 1);
        // A parser error's column is its second number.
        fault->line = error->line > 0 ? error->line : 0;
        fault->column = fault->line > 0 && error->int2 > 0 ? error->int2 : 0;
    }
}

} // namespace

namespace xmlHelpers {

void SDocFree::operator()(xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

const char* textOf(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

bool isElement(const xmlNode* node, const char* localName) {
    return node->type == XML_ELEMENT_NODE && std::strcmp(textOf(node->name), localName) == 0;
}

std::string property(const xmlNode* element, const char* name, const char* nameSpace) {
    xmlChar* value = nameSpace != nullptr ? xmlGetNsProp(element, BAD_CAST name, BAD_CAST nameSpace)
                                          : xmlGetProp(element, BAD_CAST name);
    if (value == nullptr) {
        return std::string();
    }
    std::string text = textOf(value);
    xmlFree(value);
    return text;
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
    *fault = SXmlFault();
    context->_private = fault;
    context->sax->serror = keepFirstError;
    CXmlDoc doc(xmlCtxtReadMemory(context, bytes, static_cast<int>(size), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc && fault->message.empty()) {
        fault->message = "it cannot be parsed";
    }
    xmlFreeParserCtxt(context);
    return doc;
}

} // namespace xmlHelpers
