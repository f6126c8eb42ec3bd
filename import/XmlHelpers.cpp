#include "import/XmlHelpers.h"

#include <libxml/parser.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>

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

// Markup read in units of one, two or four bytes: the ASCII character of each unit, or 0x80 for
// any other.
class CUnits {
public:
    CUnits(const char* bytesIn, std::size_t sizeIn) : bytes(bytesIn), size(sizeIn) {
        const auto starts = [this](std::initializer_list<int> prefix) {
            std::size_t at = 0;
            for (const int expected : prefix) {
                if (at >= size || static_cast<unsigned char>(bytes[at++]) != expected) {
                    return false;
                }
            }
            return true;
        };
        if (starts({0xFF, 0xFE, 0, 0}) || starts({'<', 0, 0, 0})) {
            width = 4;
        } else if (starts({0, 0, 0xFE, 0xFF}) || starts({0, 0, 0, '<'})) {
            width = 4;
            low = 3;
        } else if (starts({0xFF, 0xFE}) || starts({'<', 0})) {
            width = 2;
        } else if (starts({0xFE, 0xFF}) || starts({0, '<'})) {
            width = 2;
            low = 1;
        }
        end = size - size % width;
    }

    std::size_t step() const { return width; }
    std::size_t endOf() const { return end; }

    char at(std::size_t offset) const {
        for (std::size_t k = 0; k < width; ++k) {
            const unsigned char byte = static_cast<unsigned char>(bytes[offset + k]);
            if (k == low ? byte >= 0x80 : byte != 0) {
                return '\x80';
            }
        }
        return bytes[offset + low];
    }

    bool isSpace(std::size_t offset) const {
        const char c = at(offset);
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    }

private:
    const char* bytes;
    std::size_t size;
    std::size_t width = 1;
    std::size_t low = 0;
    std::size_t end = 0;
};

bool endsName(char c) {
    return c == '=' || c == '>' || c == '<' || c == '/';
}

// What an element's name may start with, in HTML or XML: a letter (of any script, so any
// character beyond ASCII), "_", ":" or ".".
bool startsName(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c == '.' ||
           c == '\x80';
}

} // namespace

namespace xmlHelpers {

std::vector<std::pair<std::size_t, std::size_t>> excessAttributes(const char* bytes,
                                                                  std::size_t size) {
    const CUnits units(bytes, size);
    const std::size_t step = units.step();
    const std::size_t end = units.endOf();
    std::vector<std::pair<std::size_t, std::size_t>> excess;
    std::size_t at = 0;
    const auto skipSpace = [&] {
        while (at < end && units.isSpace(at)) {
            at += step;
        }
    };
    while (at < end) {
        if (units.at(at) != '<' || (at += step) >= end || !startsName(units.at(at))) {
            at += at < end && units.at(at) != '<' ? step : 0;
            continue;
        }
        // The element's name, then its attributes up to the end of the tag.
        while (at < end && !units.isSpace(at) && units.at(at) != '>' && units.at(at) != '/') {
            at += step;
        }
        std::size_t count = 0;
        std::size_t cutFrom = 0;
        std::size_t cutTo = 0;
        while (at < end) {
            const std::size_t before = at;
            skipSpace();
            const char c = at < end ? units.at(at) : '>';
            if (c == '>' || c == '<') {
                break;
            }
            if (c == '/') {
                at += step;
                continue;
            }
            // A name: at least one unit, so that a stray character is passed over.
            do {
                at += step;
            } while (at < end && !units.isSpace(at) && !endsName(units.at(at)));
            skipSpace();
            if (at < end && units.at(at) == '=') {
                at += step;
                skipSpace();
                const char quote = at < end ? units.at(at) : '\0';
                if (quote == '"' || quote == '\'') {
                    for (at += step; at < end && units.at(at) != quote;) {
                        at += step;
                    }
                    at = std::min(at + step, end);
                } else {
                    while (at < end && !units.isSpace(at) && units.at(at) != '>') {
                        at += step;
                    }
                }
            }
            if (++count == kMaxAttributes + 1) {
                cutFrom = before;
            }
            cutTo = at;
        }
        if (count > kMaxAttributes) {
            excess.emplace_back(cutFrom, cutTo);
        }
    }
    return excess;
}

bool dropExcessAttributes(const char* bytes, std::size_t size, std::string* out) {
    const std::vector<std::pair<std::size_t, std::size_t>> excess = excessAttributes(bytes, size);
    if (excess.empty()) {
        return false;
    }
    out->clear();
    std::size_t kept = 0;
    for (const auto& range : excess) {
        out->append(bytes + kept, range.first - kept);
        kept = range.second;
    }
    out->append(bytes + kept, size - kept);
    return true;
}

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
    std::string kept;
    if (dropExcessAttributes(bytes, size, &kept)) {
        bytes = kept.data();
        size = kept.size();
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
