#include "import/HtmlImporter.h"

#include "import/TextHelpers.h"
#include "import/WordWriter.h"
#include "import/XmlHelpers.h"
#include <flitengine/outside/Utf8.h>

#include <libxml/HTMLparser.h>
#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <strings.h>

namespace {

using textHelpers::startsWith;
using textHelpers::whiteSpaceRun;
using xmlHelpers::CXmlDoc;
using xmlHelpers::property;
using xmlHelpers::textOf;

// How many elements may stand inside one another. libxml2 stops XML at this depth unless told
// otherwise; HTML, which it lets nest without end, is held to the same bound so that both read
// the same documents. Real pages stay far below it.
const int kMaxDepth = 256;

// Text that a document's own entities may add, beyond its own size: enough for any real use,
// too little for a few references to multiply into gigabytes.
const std::size_t kEntityAllowance = 1 << 20;

const char kSoftHyphen[] = "\xC2\xAD";

// What an element does to the text around it.
enum eElementRole {
    eInline,    // nothing: words run on through it
    eBlock,     // its start and end end the line
    eLineBreak, // ends the line where it stands
    eSkipped,   // its text is not read
    eHeading,   // a block whose words are bold
    eBold,      // its words are bold
    eMarked,    // its words are highlighted
    eHead,      // not read, but holds the document's title
    eTitle,     // a title outside the head (an image's tooltip): not read
    ePre,       // a block that keeps its line breaks and spaces
};

struct SElementRole {
    const char* name;
    eElementRole role;
};

// Elements not listed are inline: their text joins what stands around it.
const SElementRole kElementRoles[] = {
    {"address", eBlock},    {"article", eBlock},  {"aside", eBlock},      {"blockquote", eBlock},
    {"body", eBlock},       {"caption", eBlock},  {"center", eBlock},     {"dd", eBlock},
    {"details", eBlock},    {"dialog", eBlock},   {"div", eBlock},        {"dl", eBlock},
    {"dt", eBlock},         {"fieldset", eBlock}, {"figcaption", eBlock}, {"figure", eBlock},
    {"footer", eBlock},     {"form", eBlock},     {"header", eBlock},     {"hgroup", eBlock},
    {"hr", eBlock},         {"legend", eBlock},   {"li", eBlock},         {"main", eBlock},
    {"nav", eBlock},        {"ol", eBlock},       {"p", eBlock},          {"section", eBlock},
    {"summary", eBlock},    {"table", eBlock},    {"td", eBlock},         {"th", eBlock},
    {"tr", eBlock},         {"ul", eBlock},       {"br", eLineBreak},     {"h1", eHeading},
    {"h2", eHeading},       {"h3", eHeading},     {"h4", eHeading},       {"h5", eHeading},
    {"h6", eHeading},       {"b", eBold},         {"strong", eBold},      {"i", eBold},
    {"em", eBold},          {"mark", eMarked},    {"pre", ePre},          {"title", eTitle},
    {"head", eHead},        {"script", eSkipped}, {"style", eSkipped},    {"template", eSkipped},
    {"noscript", eSkipped}, {"iframe", eSkipped}, {"object", eSkipped},   {"embed", eSkipped},
    {"audio", eSkipped},    {"video", eSkipped},  {"canvas", eSkipped},   {"img", eSkipped},
    {"rt", eSkipped},       {"rp", eSkipped},
};

eElementRole roleOf(const xmlNode* element) {
    const char* name = textOf(element->name);
    for (const SElementRole& entry : kElementRoles) {
        if (strcasecmp(name, entry.name) == 0) {
            return entry.role;
        }
    }
    return eInline;
}

// Notes: how long a paragraph that a reference pointed at may be to be taken as its note (a
// link to a whole section is no note reference), and the elements such a paragraph can be.
const std::size_t kMaxAwaitedNote = 2000;
const char* const kNoteBlocks[] = {"p", "li", "dd", "dt", "div"};
const char kOpsNamespace[] = "http://www.idpf.org/2007/ops";

bool isNamed(const xmlNode* element, const char* name) {
    return strcasecmp(textOf(element->name), name) == 0;
}

// Whether any of the white-space separated words of a value is one of tokens.
bool hasToken(const std::string& value, std::initializer_list<const char*> tokens) {
    for (std::size_t at = value.find_first_not_of(" \t\r\n"); at != std::string::npos;) {
        const std::size_t end = value.find_first_of(" \t\r\n", at);
        const std::string word = value.substr(at, end - at);
        for (const char* token : tokens) {
            if (strcasecmp(word.c_str(), token) == 0) {
                return true;
            }
        }
        at = value.find_first_not_of(" \t\r\n", end);
    }
    return false;
}

// An element's epub:type: the namespaced attribute of XHTML, or the attribute of that name in
// HTML, whose parser knows no namespaces (and in XHTML that does not declare the prefix).
std::string epubType(const xmlNode* element) {
    const std::string namespaced = property(element, "type", kOpsNamespace);
    return namespaced.empty() ? property(element, "epub:type") : namespaced;
}

bool isMarkedNote(const xmlNode* element) {
    return isNamed(element, "aside") ||
           hasToken(epubType(element), {"footnote", "endnote", "rearnote"}) ||
           hasToken(property(element, "role"), {"doc-footnote", "doc-endnote"});
}

// The id that names an element: its own, else (when nothing but white space comes before it)
// its first child's, and so on down; through inline children only unless throughBlocks.
std::string idOf(const xmlNode* element, bool throughBlocks) {
    for (const xmlNode* at = element; at != nullptr;) {
        std::string id = property(at, "id");
        if (id.empty() && isNamed(at, "a")) {
            id = property(at, "name");
        }
        if (!id.empty()) {
            return id;
        }
        const xmlNode* next = nullptr;
        for (const xmlNode* child = at->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) {
                next = child;
                break;
            }
            const char* text = child->type == XML_TEXT_NODE ? textOf(child->content) : nullptr;
            if (text != nullptr && text[std::strspn(text, " \t\r\n")] != '\0') {
                break;
            }
        }
        at = next != nullptr && (throughBlocks || roleOf(next) == eInline) ? next : nullptr;
    }
    return std::string();
}

// The file name a link or a note is known by: the last part of its path.
std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The next node after node in document order, not going into node's children nor out of top.
const xmlNode* nextOutside(const xmlNode* node, const xmlNode* top) {
    while (node != top && node->next == nullptr) {
        node = node->parent;
    }
    return node == top ? nullptr : node->next;
}

// The readable text of a note, on one line: its scripts and back links left out.
wxString noteText(const xmlNode* note) {
    std::string text;
    for (const xmlNode* node = note->children; node != nullptr;) {
        bool inside = false;
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            text += node->content != nullptr ? textOf(node->content) : "";
        } else if (node->type == XML_ELEMENT_NODE) {
            const eElementRole role = roleOf(node);
            inside = role != eSkipped && role != eHead && role != eTitle &&
                     !hasToken(property(node, "role"), {"doc-backlink"});
            if (role != eInline && role != eBold && role != eMarked) {
                text += ' ';
            }
        }
        node = inside && node->children != nullptr ? node->children : nextOutside(node, note);
    }
    for (std::size_t at = text.find(kSoftHyphen); at != std::string::npos;
         at = text.find(kSoftHyphen, at)) {
        text.erase(at, 2);
    }
    while (CUtf8::findInvalid(text.data(), text.size()) != CUtf8::kAllValid) {
        text.erase(CUtf8::findInvalid(text.data(), text.size()), 1);
    }
    return wxString::FromUTF8(textHelpers::collapsed(text));
}

// The bytes of the no-break spaces (which keep words together but are no word of their own)
// that a word starts with.
std::size_t leadingNoBreakSpaces(const std::string& word) {
    static const char* const kNoBreakSpaces[] = {"\xC2\xA0", "\xE2\x80\xAF"};
    std::size_t at = 0;
    while (at < word.size()) {
        std::size_t matched = 0;
        for (const char* space : kNoBreakSpaces) {
            const std::size_t length = std::strlen(space);
            if (word.compare(at, length, space) == 0) {
                matched = length;
            }
        }
        if (matched == 0) {
            break;
        }
        at += matched;
    }
    return at;
}

// Where a parse's messages go: nowhere. Every parse sets this on its own context, so nothing
// reaches the standard error stream and nothing is shared with other threads. The parameter's
// type changed between libxml2 versions; the template takes either.
template <typename TError> void ignoreParseMessage(void*, TError) {}

// The HTML named entities for the XML parser, which knows only XML's five: EPUB 2 content
// documents use &nbsp;, &mdash; and the like, declared in a DTD that is never loaded. Each is
// handed to the parser as a predefined entity, which it inlines as text; the entities live as
// long as this table, one per parse.
class CHtmlEntities {
public:
    xmlEntity* find(const xmlChar* name) {
        const std::string key = textOf(name);
        const auto known = entities.find(key);
        if (known != entities.end()) {
            return &known->second->entity;
        }
        const htmlEntityDesc* description = htmlEntityLookup(name);
        if (description == nullptr) {
            return nullptr;
        }
        std::unique_ptr<SEntity> made(new SEntity());
        made->name = key;
        made->text = wxString(wxUniChar(description->value)).utf8_string();
        made->entity.type = XML_ENTITY_DECL;
        made->entity.etype = XML_INTERNAL_PREDEFINED_ENTITY;
        made->entity.name = reinterpret_cast<const xmlChar*>(made->name.c_str());
        made->entity.content = reinterpret_cast<xmlChar*>(&made->text[0]);
        made->entity.orig = made->entity.content;
        made->entity.length = static_cast<int>(made->text.size());
        made->entity.checked = 1;
        xmlEntity* entity = &made->entity;
        entities[key] = std::move(made);
        return entity;
    }

    // The parser asks here for every entity it meets outside XML's own; the document's
    // declarations come first.
    static xmlEntity* lookUp(void* context, const xmlChar* name) {
        xmlParserCtxt* parser = static_cast<xmlParserCtxt*>(context);
        if (xmlEntity* declared = xmlSAX2GetEntity(context, name)) {
            return declared;
        }
        if (parser->inSubset != 0) {
            return nullptr;
        }
        return static_cast<CHtmlEntities*>(parser->_private)->find(name);
    }

private:
    struct SEntity {
        xmlEntity entity = {};
        std::string name;
        std::string text;
    };
    std::map<std::string, std::unique_ptr<SEntity>> entities;
};

// XHTML as XML: no network, no external entities or DTD, HTML's named entities known. Null
// when the bytes are not well-formed XML.
CXmlDoc parseXhtml(const char* bytes, int size) {
    xmlParserCtxt* parser = xmlNewParserCtxt();
    if (parser == nullptr) {
        return CXmlDoc();
    }
    CHtmlEntities entities;
    parser->_private = &entities;
    parser->sax->getEntity = &CHtmlEntities::lookUp;
    parser->sax->serror = &ignoreParseMessage;
    parser->sax->error = nullptr;
    parser->sax->warning = nullptr;
    CXmlDoc doc(xmlCtxtReadMemory(parser, bytes, size, nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR |
                                      XML_PARSE_NOWARNING));
    xmlFreeParserCtxt(parser);
    return doc;
}

// HTML as a browser takes it: whatever the bytes, a tree comes out. Bytes that are valid UTF-8
// are read as UTF-8, whatever they declare (libxml2 would take undeclared ones as Latin-1);
// others as their byte order mark or meta charset says, else as Latin-1.
CXmlDoc parseHtml(const char* bytes, int size) {
    htmlParserCtxt* parser = htmlNewParserCtxt();
    if (parser == nullptr) {
        return CXmlDoc();
    }
    parser->sax->serror = &ignoreParseMessage;
    parser->sax->error = nullptr;
    parser->sax->warning = nullptr;
    const bool utf8 = CUtf8::findInvalid(bytes, static_cast<std::size_t>(size)) == CUtf8::kAllValid;
    CXmlDoc doc(htmlCtxtReadMemory(parser, bytes, size, nullptr, utf8 ? "UTF-8" : nullptr,
                                   HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                       HTML_PARSE_RECOVER | HTML_PARSE_COMPACT));
    htmlFreeParserCtxt(parser);
    return doc;
}

// Turns a parsed tree into items, walking it without recursion. Words are written only when
// the next separator or the end shows they are complete, and a separator only between two
// words, so that no space or newline begins or ends the text and no two stand in a row.
class CHtmlWalk {
public:
    CHtmlWalk(CDataManager* documentIn, std::map<std::string, std::size_t>* anchorsIn,
              wxString* titleIn, CHtmlTextBuilder::SNotes* notesIn)
        : document(documentIn), anchors(anchorsIn), title(titleIn), notes(notesIn),
          writer(documentIn, anchorsIn) {}

    bool walk(xmlDoc* doc, wxString* error) {
        entityBudget = kEntityAllowance;
        // The notes ahead in this file: a link to one is a note reference.
        for (const xmlNode* node = doc->children; node != nullptr;) {
            if (node->type == XML_ELEMENT_NODE && isMarkedNote(node)) {
                const std::string id = idOf(node, true);
                if (!id.empty()) {
                    notes->marked.insert(notes->file + "#" + id);
                }
            }
            node = node->type == XML_ELEMENT_NODE && node->children != nullptr
                       ? node->children
                       : nextOutside(node, reinterpret_cast<const xmlNode*>(doc));
        }
        xmlNode* node = doc->children;
        int depth = 1;
        while (node != nullptr) {
            if (enter(node) && node->children != nullptr) {
                if (++depth > kMaxDepth) {
                    writer.flush();
                    *error = wxString::Format("nested too deeply: more than %d elements inside "
                                              "one another",
                                              kMaxDepth);
                    return false;
                }
                node = node->children;
                continue;
            }
            leave(node);
            while (node->next == nullptr) {
                node = node->parent;
                if (--depth == 0) {
                    break;
                }
                leave(node);
            }
            node = depth == 0 ? nullptr : node->next;
        }
        endWord();
        writer.flush();
        for (const std::string& id : pendingAnchors) {
            (*anchors)[id] = document->getItemCount();
        }
        return true;
    }

private:
    enum eSeparator { eNone, eSpace, eNewline };

    // Reads what a node stands for on the way in; true when its children are to be read.
    bool enter(xmlNode* node) {
        switch (node->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            addText(textOf(node->content));
            return false;
        case XML_ENTITY_REF_NODE:
            addEntityText(node);
            return false;
        case XML_ELEMENT_NODE:
            break;
        default:
            return false;
        }
        noteAnchor(node, "id");
        const eElementRole role = roleOf(node);
        if (role == eInline && strcasecmp(textOf(node->name), "a") == 0) {
            noteAnchor(node, "name");
        }
        if ((role == eBlock && takeNote(node)) || (role == eInline && takeReferences(node))) {
            return false;
        }
        switch (role) {
        case eSkipped:
            return false;
        case eHead:
            readTitle(node);
            return false;
        case eTitle:
            return false;
        case eLineBreak:
            separate(eNewline);
            return false;
        default:
            adjust(role, 1);
            return true;
        }
    }

    // Ends what an element began; nodes other than elements end nothing.
    void leave(xmlNode* node) {
        if (node->type != XML_ELEMENT_NODE) {
            return;
        }
        const eElementRole role = roleOf(node);
        if (role != eSkipped && role != eHead && role != eTitle && role != eLineBreak) {
            adjust(role, -1);
        }
    }

    // Entering (step 1) or leaving (step -1) an element of a role.
    void adjust(eElementRole role, int step) {
        switch (role) {
        case eHeading:
            bold += step;
            separate(eNewline);
            break;
        case eBlock:
            separate(eNewline);
            break;
        case ePre:
            preformatted += step;
            separate(eNewline);
            break;
        case eBold:
            bold += step;
            break;
        case eMarked:
            marked += step;
            break;
        default:
            break;
        }
    }

    // A note where it stands: its text to the document's notes, under the number a reference
    // before it gave it, and not read. True when element is one.
    bool takeNote(const xmlNode* element) {
        const bool markedNote = isMarkedNote(element);
        if (!markedNote && notes->numbers.empty()) {
            return false;
        }
        const std::string id = idOf(element, markedNote);
        const std::string key = id.empty() ? std::string() : notes->file + "#" + id;
        const auto found = key.empty() ? notes->numbers.end() : notes->numbers.find(key);
        const wxString* awaitedText =
            found != notes->numbers.end() ? document->getNote(found->second) : nullptr;
        const bool awaited = awaitedText != nullptr && awaitedText->empty();
        if (!markedNote &&
            (!awaited || std::none_of(std::begin(kNoteBlocks), std::end(kNoteBlocks),
                                      [&](const char* name) { return isNamed(element, name); }))) {
            return false;
        }
        const wxString text = noteText(element);
        if (!markedNote && text.utf8_string().size() > kMaxAwaitedNote) {
            return false;
        }
        // It stands for a block: the words around it are not joined.
        separate(eNewline);
        if (awaited) {
            document->setNote(found->second, text);
        } else if (!key.empty() && found == notes->numbers.end()) {
            notes->numbers.emplace(key, document->addNote(text));
        }
        if (!key.empty()) {
            notes->marked.insert(key);
        }
        return true;
    }

    // A note reference, or a sup holding one or more: their numbers follow the word in hand
    // (or the last word, when none is in hand), and their text is not read. True when element
    // is one.
    bool takeReferences(const xmlNode* element) {
        std::vector<unsigned int> found;
        if (isNamed(element, "sup")) {
            for (const xmlNode* node = element->children; node != nullptr;) {
                const bool link = node->type == XML_ELEMENT_NODE && isNamed(node, "a");
                if (const unsigned int number = link ? referenceNumber(node, true) : 0) {
                    found.push_back(number);
                }
                node = node->type == XML_ELEMENT_NODE && node->children != nullptr && !link
                           ? node->children
                           : nextOutside(node, element);
            }
        } else if (isNamed(element, "a")) {
            if (const unsigned int number = referenceNumber(element, false)) {
                found.push_back(number);
            }
        }
        references.insert(references.end(), found.begin(), found.end());
        if (word.empty()) {
            writeReferences();
        }
        return !found.empty();
    }

    // The number of the note a link refers to, given it a new one when it is the first
    // reference; 0 when the link is no note reference.
    unsigned int referenceNumber(const xmlNode* link, bool inSup) {
        const std::string href = property(link, "href");
        const std::size_t hash = href.find('#');
        if (hash == std::string::npos || hash + 1 == href.size()) {
            return 0;
        }
        const std::string path = href.substr(0, hash);
        const std::size_t colon = path.find(':');
        if (colon != std::string::npos && path.find('/') > colon) {
            return 0; // an address outside the document
        }
        const std::string key =
            (path.empty() ? notes->file : baseName(path)) + "#" + href.substr(hash + 1);
        const xmlNode* child = link->children;
        while (child != nullptr && child->type != XML_ELEMENT_NODE) {
            child = child->next;
        }
        if (!inSup && (child == nullptr || !isNamed(child, "sup")) &&
            !hasToken(epubType(link), {"noteref"}) &&
            !hasToken(property(link, "role"), {"doc-noteref"}) && notes->marked.count(key) == 0) {
            return 0;
        }
        const auto added = notes->numbers.emplace(key, 0);
        if (added.second) {
            added.first->second = document->addNote(wxString());
        }
        return added.first->second;
    }

    // The note references waiting for the word before them to be written.
    void writeReferences() {
        if (references.empty()) {
            return;
        }
        writer.appendNoteReferences(&references);
        afterReference = true;
        // A reference stands between two words as a space would.
        if (separator < eSpace) {
            separator = eSpace;
        }
    }

    void noteAnchor(xmlNode* element, const char* attribute) {
        xmlChar* value = xmlGetProp(element, reinterpret_cast<const xmlChar*>(attribute));
        if (value != nullptr) {
            // In XHTML attributes the XML parser keeps only the first byte of an HTML named
            // entity (it copies its own entities, all one byte, that way): an id that holds one
            // is not valid UTF-8, and no link can name it.
            const std::size_t size = std::strlen(textOf(value));
            if (size != 0 && CUtf8::findInvalid(textOf(value), size) == CUtf8::kAllValid) {
                pendingAnchors.emplace_back(textOf(value));
            }
            xmlFree(value);
        }
    }

    // The text of the head's first title element, when no earlier head had one.
    void readTitle(xmlNode* head) {
        for (xmlNode* child = head->children; child != nullptr && title->empty();
             child = child->next) {
            if (child->type == XML_ELEMENT_NODE && roleOf(child) == eTitle) {
                xmlChar* text = xmlNodeGetContent(child);
                if (text != nullptr) {
                    *title = wxString::FromUTF8(textHelpers::collapsed(textOf(text)));
                    xmlFree(text);
                }
            }
        }
    }

    // A document's own internal entity is read as its text when that text is plain; markup
    // in entities and external entities are not read.
    void addEntityText(xmlNode* reference) {
        const xmlEntity* entity = reinterpret_cast<const xmlEntity*>(reference->children);
        if (entity == nullptr || entity->type != XML_ENTITY_DECL ||
            entity->etype != XML_INTERNAL_GENERAL_ENTITY || entity->content == nullptr) {
            return;
        }
        const char* text = textOf(entity->content);
        const std::size_t size = std::strlen(text);
        if (size > entityBudget || std::strpbrk(text, "<&") != nullptr) {
            return;
        }
        entityBudget -= size;
        addText(text);
    }

    void addText(const char* text) {
        if (text == nullptr) {
            return;
        }
        const std::size_t size = std::strlen(text);
        for (std::size_t at = 0; at < size;) {
            bool lineBreak = false;
            if (const std::size_t run = whiteSpaceRun(text + at, size - at, &lineBreak)) {
                // Lines of Chinese and Japanese are wrapped between any two characters: such a
                // line break is no space. At the end of the text the next text says.
                const bool wrap = lineBreak && preformatted == 0 && !word.empty();
                if (wrap && at + run == size) {
                    lineEndPending = true;
                } else if (!wrap ||
                           !CWordWriter::joinsAcrossLineBreak(word.data(), word.size(),
                                                              text + at + run, size - at - run)) {
                    separate(preformatted > 0 && lineBreak ? eNewline : eSpace);
                }
                at += run;
            } else if (std::strncmp(text + at, kSoftHyphen, 2) == 0) {
                at += 2;
            } else {
                if (lineEndPending) {
                    lineEndPending = false;
                    if (!CWordWriter::joinsAcrossLineBreak(word.data(), word.size(), text + at,
                                                           size - at)) {
                        separate(eSpace);
                    }
                }
                if (word.empty()) {
                    wordBold = false;
                    wordMarked = false;
                }
                word += text[at++];
                wordBold = wordBold || bold > 0;
                wordMarked = wordMarked || marked > 0;
            }
        }
    }

    // White space or a block boundary: the word in hand is complete.
    void separate(eSeparator kind) {
        if (lineEndPending) {
            lineEndPending = false;
            kind = kind > eSpace ? kind : eSpace;
        }
        endWord();
        if (kind > separator) {
            separator = kind;
        }
    }

    void endWord() {
        if (word.empty()) {
            return;
        }
        // libxml2 hands over UTF-8; a byte that is not (a broken reference) is left out.
        while (CUtf8::findInvalid(word.data(), word.size()) != CUtf8::kAllValid) {
            word.erase(CUtf8::findInvalid(word.data(), word.size()), 1);
        }
        // A no-break space that tied a note reference to the text after it ("[3]&nbsp;;" in
        // French) ties nothing once the reference is no word.
        if (afterReference) {
            word.erase(0, std::min(leadingNoBreakSpaces(word), word.size() - 1));
        }
        if (leadingNoBreakSpaces(word) == word.size()) {
            // An empty paragraph's &nbsp; and the like: nothing to flash, a space to keep.
            word.clear();
            if (separator < eSpace) {
                separator = eSpace;
            }
        }
        if (!word.empty()) {
            if (wroteWord && separator == eNewline) {
                writer.appendNewline();
            } else if (wroteWord && separator == eSpace) {
                writer.appendSpace();
            }
            separator = eNone;
            CStyleInfo style;
            style.setOn(eStyleBold, wordBold);
            style.setOn(eStyleHighlight, wordMarked);
            writer.appendWord(word.data(), word.size(), style, &pendingAnchors);
            wroteWord = true;
            afterReference = false;
        }
        word.clear();
        writeReferences();
    }

    CDataManager* document;
    std::map<std::string, std::size_t>* anchors;
    wxString* title;
    CHtmlTextBuilder::SNotes* notes;
    std::vector<unsigned int> references;

    // How many open elements make words bold, highlight them, keep line breaks.
    int bold = 0;
    int marked = 0;
    int preformatted = 0;

    // Every word goes through it: unspaced scripts cut, marks joined to their word.
    CWordWriter writer;
    std::string word;
    // A line break ended the last text, after the word in hand: a space unless the next text
    // goes on with Chinese or Japanese.
    bool lineEndPending = false;
    bool wordBold = false;
    bool wordMarked = false;
    bool wroteWord = false;
    // A note reference was written after the last word.
    bool afterReference = false;
    eSeparator separator = eNone;
    // Ids of elements begun since the last word: they point at the next one.
    std::vector<std::string> pendingAnchors;
    std::size_t entityBudget = 0;
};

// Whether text starts (after a byte order mark, white space, an XML declaration and comments)
// with a document type or element that only HTML begins with.
bool startsAsHtml(const char* bytes, std::size_t size) {
    std::string head(bytes, std::min<std::size_t>(size, 1024));
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::size_t at = startsWith(head.data(), head.size(), "\xef\xbb\xbf") ? 3 : 0;
    for (;;) {
        at = head.find_first_not_of(" \t\r\n", at);
        if (at == std::string::npos) {
            return false;
        }
        const char* prologues[][2] = {{"<?xml", "?>"}, {"<!--", "-->"}};
        bool skipped = false;
        for (const auto& prologue : prologues) {
            if (head.compare(at, std::strlen(prologue[0]), prologue[0]) == 0) {
                const std::size_t end = head.find(prologue[1], at);
                if (end == std::string::npos) {
                    return false;
                }
                at = end + std::strlen(prologue[1]);
                skipped = true;
            }
        }
        if (!skipped) {
            break;
        }
    }
    for (const char* start : {"<!doctype html", "<html", "<head", "<body"}) {
        if (head.compare(at, std::strlen(start), start) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

const SFormatEntry CHtmlImporter::kFormat = {
    CDocumentImporter::eHtml,
    "html",
    nullptr,
    "Web pages",
    {"html", "htm", "xhtml"},
    &startsAsHtml,
    true,
    &makeImporter<CHtmlImporter>,
    {"text/html", "application/xhtml+xml"},
};

CHtmlTextBuilder::CHtmlTextBuilder(CDataManager* target) : document(target) {}

void CHtmlTextBuilder::setFile(const std::string& path) {
    notes.file = baseName(path);
}

bool CHtmlTextBuilder::append(const char* bytes, std::size_t size, bool xhtml, wxString* error) {
    anchors.clear();
    title.clear();
    if (size > static_cast<std::size_t>(INT_MAX)) {
        *error = "too large to read: more than 2 GB";
        return false;
    }
    if (size == 0) {
        return true;
    }
    // An element's attributes past the parsers' bound are left out.
    std::string kept;
    if (xmlHelpers::dropExcessAttributes(bytes, size, &kept)) {
        bytes = kept.data();
        size = kept.size();
    }
    const int length = static_cast<int>(size);
    // XHTML that is not well-formed is read as HTML, as tolerant as for a web page.
    CXmlDoc doc = xhtml ? parseXhtml(bytes, length) : CXmlDoc();
    if (!doc) {
        doc = parseHtml(bytes, length);
    }
    if (!doc) {
        // Only bytes without any markup or text (white space, a lone comment) give no tree.
        return true;
    }
    // The language of the first page that names one: <html lang> or xml:lang.
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (document->getLanguage().empty() && root != nullptr) {
        xmlChar* lang = xmlGetProp(root, BAD_CAST "lang");
        if (lang == nullptr) {
            lang = xmlGetNsProp(root, BAD_CAST "lang", XML_XML_NAMESPACE);
        }
        if (lang != nullptr) {
            document->setLanguage(textOf(lang));
            xmlFree(lang);
        }
    }
    CHtmlWalk walk(document, &anchors, &title, &notes);
    return walk.walk(doc.get(), error);
}

std::unique_ptr<CDataManager> CHtmlImporter::read(const char* bytes, std::size_t size,
                                                  const SImportContext& context,
                                                  SImportReport* report) {
    std::unique_ptr<CDataManager> document = context.newDocument();
    CHtmlTextBuilder builder(document.get());
    // A file that declares itself XML is XHTML; anything else is read as a browser would.
    const bool xhtml = startsWith(bytes, size, "<?xml");
    wxString error;
    if (!builder.append(bytes, size, xhtml, &error)) {
        report->error = error;
        return nullptr;
    }
    document->setTitle(builder.getTitle());
    return document;
}
