#include "import/Fb2Importer.h"

#include "import/TextHelpers.h"
#include "import/WordWriter.h"
#include "import/XmlHelpers.h"
#include "import/ZipArchive.h"
#include <flitengine/outside/MessageText.h>
#include <flitengine/outside/Utf8.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <wx/string.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <strings.h>

namespace {

using textHelpers::collapsed;
using textHelpers::quoted;
using textHelpers::startsWith;
using textHelpers::whiteSpaceRun;
using xmlHelpers::CXmlDoc;
using xmlHelpers::isElement;
using xmlHelpers::textOf;

const char kRootName[] = "FictionBook";
const char kBookExtension[] = ".fb2";
const char kMacMetadataFolder[] = "__MACOSX/";
// A page marker of this kind is shown to the reader.
constexpr unsigned int kShownPage = 0;
const char kSoftHyphen[] = "\xC2\xAD";
// The bodies that hold what the main text refers to rather than text read in order.
const char* const kAsideBodies[] = {"notes", "comments"};

// What an element does to the text around it.
enum eElementRole {
    eInline,    // nothing: words run on through it
    eBlock,     // its start and end end the line
    eBold,      // its words are bold
    eBoldBlock, // a block whose words are bold
    eSection,   // a part of the book: a chapter, or a part of one
    eSkipped,   // its text is not read
};

struct SElementRole {
    const char* name;
    eElementRole role;
};

// Elements not listed are inline (style, strikethrough, sub, sup, code, links).
const SElementRole kElementRoles[] = {
    {"section", eSection},   {"title", eBoldBlock}, {"subtitle", eBoldBlock},
    {"p", eBlock},           {"v", eBlock},         {"stanza", eBlock},
    {"poem", eBlock},        {"epigraph", eBlock},  {"cite", eBlock},
    {"text-author", eBlock}, {"date", eBlock},      {"empty-line", eBlock},
    {"annotation", eBlock},  {"table", eBlock},     {"tr", eBlock},
    {"td", eBlock},          {"th", eBlock},        {"emphasis", eBold},
    {"strong", eBold},       {"image", eSkipped},   {"binary", eSkipped},
};

// The first child element of that local name; null when there is none.
const xmlNode* childElement(const xmlNode* parent, const char* localName) {
    for (const xmlNode* child = parent != nullptr ? parent->children : nullptr; child != nullptr;
         child = child->next) {
        if (isElement(child, localName)) {
            return child;
        }
    }
    return nullptr;
}

// An attribute's value by its local name, in any namespace; empty when absent.
std::string attribute(const xmlNode* element, const char* localName) {
    for (const xmlAttr* attr = element->properties; attr != nullptr; attr = attr->next) {
        if (std::strcmp(textOf(attr->name), localName) == 0 && attr->children != nullptr &&
            attr->children->content != nullptr) {
            return textOf(attr->children->content);
        }
    }
    return std::string();
}

// A note reference: a link into the notes body, whose own text ("[1]") is not read.
bool isNoteReference(const xmlNode* element) {
    return isElement(element, "a") && attribute(element, "type") == "note";
}

eElementRole roleOf(const xmlNode* element) {
    if (isNoteReference(element)) {
        return eSkipped;
    }
    for (const SElementRole& entry : kElementRoles) {
        if (isElement(element, entry.name)) {
            return entry.role;
        }
    }
    return eInline;
}

// The text of a node's descendants as it is read, blocks separated by a space.
void appendText(const xmlNode* node, std::string* out) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            *out += textOf(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            const eElementRole role = roleOf(child);
            if (role != eSkipped) {
                appendText(child, out);
                *out += role == eInline || role == eBold ? "" : " ";
            }
        }
    }
}

std::string elementText(const xmlNode* element) {
    std::string out;
    if (element != nullptr) {
        appendText(element, &out);
    }
    return collapsed(out);
}

bool endsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t length = std::strlen(suffix);
    return text.size() > length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

// Appends the text of the bodies to a document: words through a word writer, each top-level
// section opening a page, titled sections entered in the table of contents.
class CFb2Walk {
public:
    // notes: the text of each note of the notes bodies, by its section's id.
    CFb2Walk(CDataManager* target, std::map<std::string, std::string> notes)
        : document(target), writer(target), noteTexts(std::move(notes)) {}

    // The elements below parent, at the section depth given (0 outside any section).
    void walkChildren(const xmlNode* parent, int depth) {
        for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
            walk(child, depth);
        }
    }

    void walk(const xmlNode* node, int depth) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            addText(textOf(node->content));
            return;
        }
        if (node->type != XML_ELEMENT_NODE) {
            return;
        }
        const eElementRole role = roleOf(node);
        if (isNoteReference(node)) {
            addReference(node);
        }
        switch (role) {
        case eSkipped:
            return;
        case eSection:
            startSection(node, depth);
            walkChildren(node, depth + 1);
            breakLine();
            return;
        case eBold:
            ++bold;
            walkChildren(node, depth);
            --bold;
            return;
        case eInline:
            walkChildren(node, depth);
            return;
        default:
            separate(eNewline);
            bold += role == eBoldBlock;
            walkChildren(node, depth);
            bold -= role == eBoldBlock;
            separate(eNewline);
        }
    }

    // Ends the line: the next word, if any, starts a new one.
    void breakLine() {
        endWord();
        writer.flush();
        separator = lineHasWords ? eNewline : eNone;
    }

    // Writes the last word and enters the table of contents, leaving out the entries of titles
    // that held no word at the end.
    void finish() {
        breakLine();
        for (const CDataManager::SContentsEntry& entry : contents) {
            if (entry.itemIndex < document->getItemCount()) {
                document->addContentsEntry(entry.title, entry.level, entry.itemIndex);
            }
        }
    }

    bool hasWords() const { return pages > 0; }

private:
    enum eSeparator { eNone, eSpace, eNewline };

    // A section starts a line; a top-level one a page, which its first word opens.
    void startSection(const xmlNode* section, int depth) {
        breakLine();
        if (depth == 0) {
            pageOpen = false;
        }
        const std::string title = elementText(childElement(section, "title"));
        if (!title.empty()) {
            // Where the section's first item goes: after the newline that ends the line before.
            const std::size_t start = document->getItemCount() + (separator == eNewline);
            contents.push_back(
                CDataManager::SContentsEntry{wxString::FromUTF8(title), depth, start});
        }
    }

    // A reference to a note the book has: a note item after the word it follows (the word in
    // hand, with any marks that follow it), numbered in the order the notes are first referred
    // to. The note is read from the notes body once, however often it is referred to.
    void addReference(const xmlNode* link) {
        const std::string href = attribute(link, "href");
        const auto note =
            href.size() > 1 && href[0] == '#' ? noteTexts.find(href.substr(1)) : noteTexts.end();
        if (note == noteTexts.end() || !pageOpen) {
            return;
        }
        const auto added = numbers.emplace(note->first, 0);
        if (added.second) {
            added.first->second = document->addNote(wxString::FromUTF8(note->second));
        }
        references.push_back(added.first->second);
        if (word.empty()) {
            writeReferences();
        }
    }

    void writeReferences() {
        if (references.empty()) {
            return;
        }
        writer.appendNoteReferences(&references);
        // A reference stands between two words as a space would.
        separator = std::max(separator, eSpace);
    }

    void addText(const char* text) {
        const std::size_t size = text != nullptr ? std::strlen(text) : 0;
        for (std::size_t at = 0; at < size;) {
            bool lineBreak = false;
            if (const std::size_t run = whiteSpaceRun(text + at, size - at, &lineBreak)) {
                separate(eSpace);
                at += run;
            } else if (std::strncmp(text + at, kSoftHyphen, 2) == 0) {
                at += 2;
            } else {
                wordBold = (word.empty() ? false : wordBold) || bold > 0;
                word += text[at++];
            }
        }
    }

    void separate(eSeparator kind) {
        endWord();
        separator = std::max(separator, kind);
    }

    void endWord() {
        if (word.empty()) {
            return;
        }
        // libxml2 hands over UTF-8; a byte that is not (a broken reference) is left out.
        for (std::size_t bad;
             (bad = CUtf8::findInvalid(word.data(), word.size())) != CUtf8::kAllValid;) {
            word.erase(bad, 1);
        }
        if (word.empty()) {
            writeReferences();
            return;
        }
        if (lineHasWords && separator == eNewline) {
            writer.appendNewline();
        } else if (lineHasWords && separator == eSpace && pageOpen) {
            writer.appendSpace();
        }
        if (!pageOpen) {
            // A page marker starts its own line, with nothing held back across it.
            writer.flush();
            document->appendPageInfoRef(document->addPage(kShownPage, ++pages));
            pageOpen = true;
        }
        CStyleInfo style;
        style.setOn(eStyleBold, wordBold);
        writer.appendWord(word.data(), word.size(), style);
        word.clear();
        lineHasWords = true;
        separator = eNone;
        writeReferences();
    }

    CDataManager* document;
    CWordWriter writer;
    // How many open elements make words bold.
    int bold = 0;
    // The word being gathered, which may run across inline elements, and whether any of it is
    // bold.
    std::string word;
    bool wordBold = false;
    // What stands between the last word written and the next.
    eSeparator separator = eNone;
    // Whether a word was written: what comes next is separated from it.
    bool lineHasWords = false;
    // Whether the current top-level section's page marker is written.
    bool pageOpen = false;
    unsigned int pages = 0;
    std::vector<CDataManager::SContentsEntry> contents;
    std::map<std::string, std::string> noteTexts;
    // The number each note referred to was given, by id; the references waiting for the word
    // in hand to end.
    std::map<std::string, unsigned int> numbers;
    std::vector<unsigned int> references;
};

// The notes of the notes bodies: each section with an id, its text without its title (the
// note's number).
void collectNotes(const xmlNode* parent, std::map<std::string, std::string>* notes) {
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (!isElement(child, "section")) {
            continue;
        }
        const std::string id = attribute(child, "id");
        if (!id.empty()) {
            std::string text;
            for (const xmlNode* part = child->children; part != nullptr; part = part->next) {
                if (!isElement(part, "title") && !isElement(part, "section")) {
                    text += elementText(part) + " ";
                }
            }
            notes->emplace(id, collapsed(text));
        }
        collectNotes(child, notes);
    }
}

bool isAsideBody(const xmlNode* body) {
    const std::string name = attribute(body, "name");
    return std::any_of(std::begin(kAsideBodies), std::end(kAsideBodies),
                       [&name](const char* aside) { return strcasecmp(name.c_str(), aside) == 0; });
}

// The one .fb2 file of a zip, with the zip reader's limits; false with *error saying why.
bool unzipBook(const char* bytes, std::size_t size, std::string* xml, std::string* name,
               wxString* error) {
    CZipArchive zip(bytes, size);
    if (!zip.open(error)) {
        return false;
    }
    std::vector<std::string> books;
    for (const std::string& entry : zip.names()) {
        // A zip made on a Mac holds a copy of each file's metadata under __MACOSX/, named as
        // the file is.
        if (endsWithNoCase(entry, kBookExtension) && entry.rfind(kMacMetadataFolder, 0) != 0) {
            books.push_back(entry);
        }
    }
    if (books.size() != 1) {
        *error = books.empty() ? wxString("the zip archive holds no FictionBook (.fb2) file")
                               : wxString::Format("the zip archive holds %zu FictionBook files "
                                                  "(%s, %s...), not one",
                                                  books.size(), quoted(books[0]), quoted(books[1]));
        return false;
    }
    *name = books.front();
    return zip.read(*name, xml, error);
}

std::unique_ptr<CDataManager> readBook(const xmlNode* root, const SImportContext& context,
                                       wxString* error) {
    std::vector<const xmlNode*> bodies;
    std::map<std::string, std::string> notes;
    std::size_t sections = 0;
    for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
        if (isElement(child, "body") && attribute(child, "name") == "notes") {
            collectNotes(child, &notes);
        }
        if (isElement(child, "body") && !isAsideBody(child)) {
            bodies.push_back(child);
            for (const xmlNode* part = child->children; part != nullptr; part = part->next) {
                sections += isElement(part, "section");
            }
        }
    }
    auto document = std::make_unique<CDataManager>();
    CFb2Walk walk(document.get(), std::move(notes));
    std::size_t done = 0;
    for (const xmlNode* body : bodies) {
        walk.breakLine();
        for (const xmlNode* child = body->children; child != nullptr; child = child->next) {
            if (isElement(child, "section") && !context.readOn(done++, sections)) {
                *error = SImportContext::kCancelled;
                return nullptr;
            }
            walk.walk(child, 0);
        }
    }
    walk.finish();
    if (!walk.hasWords()) {
        *error = bodies.empty() ? "the book has no body to read"
                                : "the book has no text to read: its body holds no words";
        return nullptr;
    }
    const xmlNode* titleInfo = childElement(childElement(root, "description"), "title-info");
    document->setTitle(wxString::FromUTF8(elementText(childElement(titleInfo, "book-title"))));
    document->setLanguage(elementText(childElement(titleInfo, "lang")));
    return document;
}

// The offset of the first element after a byte order mark, white space, the XML declaration and
// comments in the first bytes; npos when none starts there.
std::size_t firstElement(const std::string& head) {
    std::size_t at = startsWith(head.data(), head.size(), "\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        at = head.find_first_not_of(" \t\r\n", at);
        if (at == std::string::npos || head.compare(at, 1, "<") != 0) {
            return std::string::npos;
        }
        const char* end = head.compare(at, 2, "<?") == 0     ? "?>"
                          : head.compare(at, 4, "<!--") == 0 ? "-->"
                                                             : nullptr;
        if (end == nullptr) {
            return at;
        }
        at = head.find(end, at);
        if (at == std::string::npos) {
            return at;
        }
        at += std::strlen(end);
    }
}

// XML whose root is FictionBook, or a zip whose first entry's name (after its 30-byte local
// header, its length at byte 26) ends in .fb2.
bool startsAsFictionBook(const char* bytes, std::size_t size) {
    static const std::size_t kHeadBytes = 1024;
    static const std::size_t kLocalHeaderBytes = 30;
    static const std::size_t kNameLengthAt = 26;
    if (startsWith(bytes, size, "PK\x03\x04") && size >= kLocalHeaderBytes) {
        const std::size_t length = static_cast<unsigned char>(bytes[kNameLengthAt]) |
                                   static_cast<unsigned char>(bytes[kNameLengthAt + 1]) << 8;
        return size >= kLocalHeaderBytes + length &&
               endsWithNoCase(std::string(bytes + kLocalHeaderBytes, length), kBookExtension);
    }
    const std::string head(bytes, std::min(size, kHeadBytes));
    const std::size_t at = firstElement(head);
    const std::size_t end = at + 1 + std::strlen(kRootName);
    return at != std::string::npos &&
           head.compare(at + 1, std::strlen(kRootName), kRootName) == 0 && end < head.size() &&
           std::strchr(" \t\r\n>/", head[end]) != nullptr;
}

} // namespace

const SFormatEntry CFb2Importer::kFormat = {
    CDocumentImporter::eFictionBook,
    "fb2",
    "FictionBook",
    "FictionBook books",
    {"fb2", "fb2.zip"},
    &startsAsFictionBook,
    false,
    &makeImporter<CFb2Importer>,
    {"application/x-fictionbook+xml", "application/x-zip-compressed-fb2"},
};

std::unique_ptr<CDataManager> CFb2Importer::read(const char* bytes, std::size_t size,
                                                 const SImportContext& context,
                                                 SImportReport* report) {
    xmlInitParser();
    std::string unzipped;
    std::string entry;
    if (startsWith(bytes, size, "PK\x03\x04") || startsWith(bytes, size, "PK\x05\x06")) {
        if (!unzipBook(bytes, size, &unzipped, &entry, &report->error)) {
            return nullptr;
        }
        bytes = unzipped.data();
        size = unzipped.size();
    }
    xmlHelpers::SXmlFault fault;
    const CXmlDoc doc = xmlHelpers::parseXml(bytes, size, &fault);
    if (!doc) {
        report->error = (entry.empty() ? wxString("it") : quoted(entry) + " in the zip archive") +
                        " is not well-formed XML: " + wxString::FromUTF8(fault.message);
        report->line = fault.line;
        report->column = fault.column;
        return nullptr;
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr || !isElement(root, kRootName)) {
        report->error = wxString::Format(
            "it is not a FictionBook: its root element is <%s>, not "
            "<%s>",
            CMessageText::cut(root != nullptr ? textOf(root->name) : ""), kRootName);
        return nullptr;
    }
    return readBook(root, context, &report->error);
}
