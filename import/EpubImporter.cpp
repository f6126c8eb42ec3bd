#include "import/EpubImporter.h"

#include "import/HtmlImporter.h"
#include "import/TextHelpers.h"
#include "import/XmlHelpers.h"
#include "import/ZipArchive.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using textHelpers::collapsed;
using textHelpers::quoted;
using xmlHelpers::CXmlDoc;
using xmlHelpers::isElement;
using xmlHelpers::textOf;

const char kContainerPath[] = "META-INF/container.xml";
const char kEncryptionPath[] = "META-INF/encryption.xml";
const char kNcxMediaType[] = "application/x-dtbncx+xml";
const char kHtmlMediaType[] = "text/html";
const char kXhtmlMediaType[] = "application/xhtml+xml";
const char kSvgMediaType[] = "image/svg+xml";
// A page marker of this kind is shown to the reader.
constexpr unsigned int kShownPage = 0;

// Parses XML with network access, DTD loading and entity substitution off and nothing written
// to stderr; with html, as HTML (for a navigation document that is not well-formed). Null, with
// *error set, when the bytes cannot be parsed.
CXmlDoc parseXml(const std::string& original, bool html, std::string* error) {
    std::string kept;
    const std::string& bytes =
        xmlHelpers::dropExcessAttributes(original.data(), original.size(), &kept) ? kept : original;
    if (bytes.size() > INT_MAX) {
        *error = "it is too large";
        return nullptr;
    }
    const int size = static_cast<int>(bytes.size());
    xmlDoc* doc = nullptr;
    xmlParserCtxt* context = html ? htmlNewParserCtxt() : xmlNewParserCtxt();
    if (context == nullptr) {
        *error = "there is not enough memory to parse it";
        return nullptr;
    }
    if (html) {
        doc = htmlCtxtReadMemory(context, bytes.data(), size, nullptr, nullptr,
                                 HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                                     HTML_PARSE_NOWARNING);
    } else {
        doc = xmlCtxtReadMemory(context, bytes.data(), size, nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    }
    if (doc == nullptr) {
        const xmlError* fault = xmlCtxtGetLastError(context);
        std::string message =
            fault != nullptr && fault->message != nullptr ? fault->message : "it cannot be parsed";
        message.erase(message.find_last_not_of(" \n") + 1);
        *error = fault != nullptr && fault->line > 0
                     ? "line " + std::to_string(fault->line) + ": " + message
                     : message;
    }
    if (html) {
        htmlFreeParserCtxt(context);
    } else {
        xmlFreeParserCtxt(context);
    }
    return CXmlDoc(doc);
}

// The text content of a node's text children (entity references are not followed, so no
// entity is ever expanded).
void appendText(const xmlNode* node, std::string* out) {
    for (const xmlNode* child = node; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            *out += textOf(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            appendText(child->children, out);
        }
    }
}

std::string elementText(const xmlNode* node) {
    std::string out;
    appendText(node->children, &out);
    return collapsed(out);
}

// An attribute's value by its local name, in any namespace, or by "prefix:name" for one in a
// namespace (which an HTML parse keeps as a plain name with the colon). Empty when absent.
std::string attribute(const xmlNode* node, const char* name) {
    const bool prefixed = std::strchr(name, ':') != nullptr;
    for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
        std::string qualified = textOf(attr->name);
        if (prefixed && attr->ns != nullptr && attr->ns->prefix != nullptr) {
            qualified.insert(0, std::string(textOf(attr->ns->prefix)) + ":");
        }
        if (qualified == name) {
            std::string value;
            appendText(attr->children, &value);
            return value;
        }
    }
    return std::string();
}

bool hasToken(const std::string& list, const char* token) {
    const std::string spaced = " " + collapsed(list) + " ";
    return spaced.find(" " + std::string(token) + " ") != std::string::npos;
}

// The first node at or below node and its following siblings, depth first, that matches.
template <typename TMatch> const xmlNode* findFirst(const xmlNode* node, const TMatch& matches) {
    for (; node != nullptr; node = node->next) {
        if (matches(node)) {
            return node;
        }
        if (const xmlNode* found = findFirst(node->children, matches)) {
            return found;
        }
    }
    return nullptr;
}

// The first element of that local name whose epub:type holds type (a "nav" of "toc" for the
// table of contents or of "landmarks"; an "a" of "bodymatter"), as findFirst searches.
const xmlNode* findTyped(const xmlNode* node, const char* localName, const char* type) {
    return findFirst(node, [localName, type](const xmlNode* at) {
        return isElement(at, localName) && hasToken(attribute(at, "epub:type"), type);
    });
}

// Whether an SVG document holds text to read (a text element with words), rather than being a
// drawing or a page picture in an SVG frame.
bool holdsText(const xmlNode* node) {
    for (; node != nullptr; node = node->next) {
        if ((isElement(node, "text") && !elementText(node).empty()) || holdsText(node->children)) {
            return true;
        }
    }
    return false;
}

// Whether bytes begin as a picture file does (JPEG, PNG, GIF, WebP), whatever the manifest says
// they are: such bytes are never read as text.
bool startsAsPicture(const std::string& bytes) {
    const char* const kSignatures[] = {"\xFF\xD8\xFF", "\x89PNG", "GIF8"};
    for (const char* signature : kSignatures) {
        if (bytes.compare(0, std::strlen(signature), signature) == 0) {
            return true;
        }
    }
    return bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 &&
           bytes.compare(8, 4, "WEBP") == 0;
}

// Letters of text, lowercased, each run of anything else one space, trimmed.
std::string lettersOf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

// Whether a table of contents entry's title, or a file's name, says it is front matter: the
// cover, a title page, the contents, copyright, a dedication or an epigraph. Titles are matched
// whole (English ones only); names by their letters' start ("titlepage.xhtml", "toc.html",
// "cover01.xhtml", "fm2.xhtml").
bool isFrontMatterTitle(const std::string& title) {
    static const char* const kTitles[] = {
        "cover",   "front cover",       "title",     "title page",     "half title", "contents",
        "toc",     "table of contents", "copyright", "copyright page", "dedication", "epigraph",
        "imprint", "front matter"};
    const std::string words = lettersOf(title);
    return std::any_of(std::begin(kTitles), std::end(kTitles),
                       [&words](const char* known) { return words == known; });
}

bool isFrontMatterFile(const std::string& path) {
    static const char* const kStarts[] = {"cover",    "title",     "halftitle",  "toc",
                                          "contents", "copyright", "dedication", "epigraph",
                                          "front",    "imprint",   "nav"};
    std::string name = path.substr(path.rfind('/') + 1);
    name = lettersOf(name.substr(0, name.rfind('.')));
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    return name == "fm" ||
           std::any_of(std::begin(kStarts), std::end(kStarts), [&name](const char* start) {
               return name.compare(0, std::strlen(start), start) == 0;
           });
}

// The first element of that local name, as findFirst searches.
const xmlNode* findElement(const xmlNode* node, const char* localName) {
    return findFirst(node, [localName](const xmlNode* at) { return isElement(at, localName); });
}

std::string percentDecoded(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const int high = in[i] == '%' && i + 2 < in.size() ? textHelpers::hexDigit(in[i + 1]) : -1;
        const int low = high >= 0 ? textHelpers::hexDigit(in[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A reference inside the book, as the name of a zip entry and a fragment.
struct STarget {
    std::string path;
    std::string fragment;
};

// href relative to folder, percent-decoded, "." and ".." taken within the zip. An empty path
// for a reference that leaves the book (a URL, or ".." above its top).
STarget resolve(const std::string& folder, const std::string& href) {
    STarget target;
    const std::size_t hash = href.find('#');
    std::string path = href.substr(0, hash);
    if (hash != std::string::npos) {
        target.fragment = percentDecoded(href.substr(hash + 1));
    }
    const std::size_t colon = path.find(':');
    if (colon != std::string::npos && path.find('/') > colon) {
        return target;
    }
    path = percentDecoded(path[0] == '/' ? path.substr(1) : folder + path);
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string part = path.substr(start, slash - start);
        if (part == "..") {
            if (parts.empty()) {
                return target;
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    for (const std::string& part : parts) {
        target.path += (target.path.empty() ? "" : "/") + part;
    }
    return target;
}

struct SManifestItem {
    std::string path;
    std::string mediaType;
    std::string properties;
    // The id of the item to read in its place when this one is not a content document.
    std::string fallback;
    // Set once the item's fallback chain has been followed: the content document it leads to
    // (itself when it is one; null when the chain finds none).
    bool resolved = false;
    const SManifestItem* content = nullptr;
};

// A table of contents entry before it is placed in the document.
struct SContentsTarget {
    std::string title;
    int level;
    STarget target;
};

// One import: the zip, the package and the document being built.
class CEpubReader {
public:
    CEpubReader(const char* bytes, std::size_t size, const SImportContext& importContext)
        : zip(bytes, size), context(importContext) {}

    std::unique_ptr<CDataManager> read(wxString* error);

private:
    bool readEntry(const std::string& name, std::string* bytes);
    bool readPackage();
    bool resolveSpine();
    const SManifestItem* contentOf(SManifestItem* item);
    bool isContentDocument(const SManifestItem& item);
    bool checkEncryption();
    bool readChapters();
    bool refuseUnread();
    void readContents();
    bool placeOf(const STarget& target, std::size_t* itemIndex) const;
    std::size_t resolvingCount(const std::vector<SContentsTarget>& targets) const;
    void findBodyStart(const std::vector<std::pair<std::size_t, const SContentsTarget*>>& placed);
    void readNav(const std::string& path, std::vector<SContentsTarget>* targets);
    void readNcx(const std::string& path, std::vector<SContentsTarget>* targets);
    void addNavList(const xmlNode* list, int level, const std::string& folder,
                    std::vector<SContentsTarget>* targets);
    void addNavPoints(const xmlNode* parent, int level, const std::string& folder,
                      std::vector<SContentsTarget>* targets);
    bool fail(const wxString& message) {
        error = message;
        return false;
    }

    CZipArchive zip;
    const SImportContext& context;
    wxString error;
    std::string packagePath;
    std::string title;
    std::string language;
    std::map<std::string, SManifestItem> manifest;
    // The spine's idrefs in order, with whether each is read as text.
    std::vector<std::pair<std::string, bool>> spine;
    // For each spine item, the content document read at its place: null when it adds nothing
    // (not linear, the navigation document, a file read at an earlier place, or a picture
    // without a text fallback).
    std::vector<const SManifestItem*> reading;
    // The spine items left unread for having no content document: how many, the first of them,
    // whether all are pictures, and the first whose fallback chain loops.
    std::size_t unreadCount = 0;
    std::string firstUnread;
    bool unreadArePictures = true;
    std::string looping;
    // Where the body begins, as the navigation document's landmarks and EPUB 2's guide say.
    STarget bodyMatter;
    STarget guideText;
    std::string ncxId;
    std::unique_ptr<CDataManager> document;
    // Where each chapter read begins in the item list, and where its anchors are.
    std::map<std::string, std::size_t> chapterStarts;
    std::map<std::string, std::map<std::string, std::size_t>> chapterAnchors;
};

bool CEpubReader::readEntry(const std::string& name, std::string* bytes) {
    wxString why;
    return zip.read(name, bytes, &why) || fail(why);
}

std::unique_ptr<CDataManager> CEpubReader::read(wxString* message) {
    document = context.newDocument();
    const bool ok =
        zip.open(&error) && readPackage() && resolveSpine() && checkEncryption() && readChapters();
    if (!ok) {
        *message = error;
        return nullptr;
    }
    readContents();
    document->setTitle(wxString::FromUTF8(title));
    // The package's language outweighs the chapters' own.
    if (!language.empty()) {
        document->setLanguage(language);
    }
    return std::move(document);
}

bool CEpubReader::readPackage() {
    std::string bytes;
    std::string why;
    if (!zip.contains(kContainerPath)) {
        return fail(wxString("it is not an EPUB: ") + kContainerPath + " is missing");
    }
    if (!readEntry(kContainerPath, &bytes)) {
        return false;
    }
    const CXmlDoc container = parseXml(bytes, false, &why);
    if (!container) {
        return fail(wxString(kContainerPath) + " cannot be read: " + wxString::FromUTF8(why));
    }
    const xmlNode* rootfile = findElement(xmlDocGetRootElement(container.get()), "rootfile");
    packagePath = rootfile != nullptr ? resolve("", attribute(rootfile, "full-path")).path : "";
    if (packagePath.empty()) {
        return fail(wxString(kContainerPath) + " names no package document");
    }
    if (!zip.contains(packagePath)) {
        return fail("the package document " + quoted(packagePath) + " is missing");
    }
    if (!readEntry(packagePath, &bytes)) {
        return false;
    }
    const CXmlDoc package = parseXml(bytes, false, &why);
    if (!package) {
        return fail("the package document " + quoted(packagePath) +
                    " cannot be read: " + wxString::FromUTF8(why));
    }
    const xmlNode* root = xmlDocGetRootElement(package.get());
    if (const xmlNode* titleElement = findElement(root, "title")) {
        title = elementText(titleElement);
    }
    if (const xmlNode* languageElement = findElement(root, "language")) {
        language = elementText(languageElement);
    }
    const std::string folder = folderOf(packagePath);
    const xmlNode* manifestElement = findElement(root, "manifest");
    for (const xmlNode* item = manifestElement != nullptr ? manifestElement->children : nullptr;
         item != nullptr; item = item->next) {
        if (isElement(item, "item")) {
            // A fragment ("chapter.xhtml#part2") names the file all the same.
            SManifestItem entry;
            entry.path = resolve(folder, attribute(item, "href")).path;
            entry.mediaType = attribute(item, "media-type");
            entry.properties = attribute(item, "properties");
            entry.fallback = attribute(item, "fallback");
            manifest.emplace(attribute(item, "id"), std::move(entry));
        }
    }
    const xmlNode* guide = findElement(root, "guide");
    for (const xmlNode* ref = guide != nullptr ? guide->children : nullptr;
         ref != nullptr && guideText.path.empty(); ref = ref->next) {
        if (isElement(ref, "reference") && lettersOf(attribute(ref, "type")) == "text") {
            guideText = resolve(folder, attribute(ref, "href"));
        }
    }
    const xmlNode* spineElement = findElement(root, "spine");
    for (const xmlNode* ref = spineElement != nullptr ? spineElement->children : nullptr;
         ref != nullptr; ref = ref->next) {
        if (isElement(ref, "itemref")) {
            spine.emplace_back(attribute(ref, "idref"), attribute(ref, "linear") != "no");
        }
    }
    if (spine.empty()) {
        return fail("the package document " + quoted(packagePath) +
                    " has no spine: the book's reading order is missing");
    }
    ncxId = attribute(spineElement, "toc");
    return true;
}

// Decides what each spine item reads, as reading systems do: a file once, at its first place in
// the spine; an item that is not a content document, the one its fallback chain leads to.
bool CEpubReader::resolveSpine() {
    std::set<std::string> placed;
    reading.reserve(spine.size());
    for (const auto& [id, linear] : spine) {
        const auto found = manifest.find(id);
        if (found == manifest.end()) {
            return fail("the spine names " + quoted(id) + ", which the manifest does not list");
        }
        SManifestItem& item = found->second;
        const SManifestItem* content = nullptr;
        if (linear && !hasToken(item.properties, "nav")) {
            content = contentOf(&item);
            if (content == nullptr) {
                firstUnread = unreadCount++ == 0 ? item.path : firstUnread;
                unreadArePictures =
                    unreadArePictures && item.mediaType.compare(0, 6, "image/") == 0;
            } else if (hasToken(content->properties, "nav") ||
                       !placed.insert(content->path).second) {
                content = nullptr;
            }
        }
        reading.push_back(content);
    }
    return true;
}

// The content document an item's fallback chain leads to; null when it finds none or loops.
// Each item's answer is kept, so that the chains cost no more than the manifest's length.
const SManifestItem* CEpubReader::contentOf(SManifestItem* item) {
    std::vector<SManifestItem*> chain;
    std::set<const SManifestItem*> seen;
    const SManifestItem* content = nullptr;
    for (SManifestItem* at = item; at != nullptr;) {
        if (at->resolved) {
            content = at->content;
            break;
        }
        if (!seen.insert(at).second) {
            looping = looping.empty() ? item->path : looping;
            break;
        }
        chain.push_back(at);
        if (isContentDocument(*at)) {
            content = at;
            break;
        }
        const auto next = at->fallback.empty() ? manifest.end() : manifest.find(at->fallback);
        at = next == manifest.end() ? nullptr : &next->second;
    }
    for (SManifestItem* link : chain) {
        link->resolved = true;
        link->content = content;
    }
    return content;
}

// XHTML and HTML are content documents (as are EPUB 2's older OEB and DTBook documents, and an
// item of no media type, as sloppy books give); SVG is when it holds text; pictures and other
// media are not.
bool CEpubReader::isContentDocument(const SManifestItem& item) {
    static const char* const kTextTypes[] = {"", kXhtmlMediaType, kHtmlMediaType,
                                             "text/x-oeb1-document", "application/x-dtbook+xml"};
    for (const char* type : kTextTypes) {
        if (item.mediaType == type) {
            return true;
        }
    }
    std::string bytes;
    std::string why;
    wxString unread;
    if (item.mediaType != kSvgMediaType || !zip.contains(item.path) ||
        !zip.read(item.path, &bytes, &unread)) {
        return false;
    }
    const CXmlDoc doc = parseXml(bytes, false, &why);
    return doc && holdsText(xmlDocGetRootElement(doc.get()));
}

// A book that encrypts its content documents (rather than only obfuscating its fonts) can only
// be read by the program its seller allows.
bool CEpubReader::checkEncryption() {
    std::set<std::string> content;
    for (const SManifestItem* item : reading) {
        if (item != nullptr) {
            content.insert(item->path);
        }
    }
    std::vector<std::string> encrypted;
    for (const std::string& path : content) {
        if (zip.isEncrypted(path)) {
            encrypted.push_back(path);
        }
    }
    std::string bytes;
    std::string why;
    wxString unread;
    if (zip.contains(kEncryptionPath) && zip.read(kEncryptionPath, &bytes, &unread)) {
        const CXmlDoc doc = parseXml(bytes, false, &why);
        const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
        for (const xmlNode* data = root != nullptr ? root->children : nullptr; data != nullptr;
             data = data->next) {
            const xmlNode* reference = findElement(data->children, "CipherReference");
            const std::string path =
                reference != nullptr ? resolve("", attribute(reference, "URI")).path : "";
            if (content.count(path) != 0) {
                encrypted.push_back(path);
            }
        }
    }
    return encrypted.empty() || fail("the book is encrypted (DRM) and cannot be read: " +
                                     quoted(encrypted.front()) + " is encrypted");
}

bool CEpubReader::readChapters() {
    CHtmlTextBuilder builder(document.get());
    unsigned int chapter = 0;
    std::string bytes;
    std::size_t done = 0;
    for (const SManifestItem* content : reading) {
        if (!context.readOn(done++, spine.size())) {
            return fail(SImportContext::kCancelled);
        }
        if (content == nullptr) {
            continue;
        }
        const SManifestItem& item = *content;
        if (!zip.contains(item.path)) {
            return fail("the content document " + quoted(item.path) +
                        " that the spine names is missing");
        }
        if (!readEntry(item.path, &bytes)) {
            return false;
        }
        if (startsAsPicture(bytes)) {
            firstUnread = unreadCount++ == 0 ? item.path : firstUnread;
            continue;
        }
        // A chapter starts on a line of its own.
        const wxCDataInfoListNode* last = document->getLastNode();
        if (last != nullptr && last->GetData()->getDataInfoType() != eDITNewline) {
            document->appendNewline();
        }
        const std::size_t start = document->getItemCount();
        chapterStarts.emplace(item.path, start);
        document->appendPageInfoRef(document->addPage(kShownPage, ++chapter));
        const bool xhtml = item.mediaType != kHtmlMediaType;
        wxString why;
        builder.setFile(item.path);
        bool parsed = builder.append(bytes.data(), bytes.size(), xhtml, &why);
        // A chapter that is not well-formed XML is read as browsers would read it.
        if (!parsed && xhtml && document->getItemCount() == start + 1) {
            parsed = builder.append(bytes.data(), bytes.size(), false, &why);
        }
        if (!parsed) {
            return fail("the content document " + quoted(item.path) + " cannot be read: " + why);
        }
        chapterAnchors.emplace(item.path, builder.getAnchors());
    }
    if (chapter == 0) {
        return refuseUnread();
    }
    // A book of pictures alone would open on nothing to flash.
    for (const wxCDataInfoListNode* node = document->getFirstNode(); node != nullptr;
         node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() == eDITWord) {
            return true;
        }
    }
    return fail("the book has no text to read: its chapters hold no words");
}

// A book whose spine leads to no content document: the message says why, naming a file.
bool CEpubReader::refuseUnread() {
    const wxString what = "the spine names no content document to read";
    if (unreadCount == 0) {
        return fail(what);
    }
    const wxString kind = unreadArePictures ? "pictures" : "pictures or other media";
    wxString message =
        unreadCount == 1
            ? what + ": " + quoted(firstUnread) + " is not text and has no text fallback"
            : wxString::Format("%s: %zu items are %s without a text fallback, the first %s", what,
                               unreadCount, kind, quoted(firstUnread));
    if (!looping.empty()) {
        message += "; the fallback chain of " + quoted(looping) + " loops";
    }
    return fail(message);
}

void CEpubReader::addNavList(const xmlNode* list, int level, const std::string& folder,
                             std::vector<SContentsTarget>* targets) {
    for (const xmlNode* item = list->children; item != nullptr; item = item->next) {
        if (!isElement(item, "li")) {
            continue;
        }
        for (const xmlNode* child = item->children; child != nullptr; child = child->next) {
            if (isElement(child, "a")) {
                targets->push_back(SContentsTarget{elementText(child), level,
                                                   resolve(folder, attribute(child, "href"))});
            } else if (isElement(child, "ol")) {
                addNavList(child, level + 1, folder, targets);
            }
        }
    }
}

void CEpubReader::addNavPoints(const xmlNode* parent, int level, const std::string& folder,
                               std::vector<SContentsTarget>* targets) {
    for (const xmlNode* point = parent->children; point != nullptr; point = point->next) {
        if (!isElement(point, "navPoint")) {
            continue;
        }
        const xmlNode* label = findElement(point->children, "navLabel");
        const xmlNode* content = findElement(point->children, "content");
        if (label != nullptr && content != nullptr) {
            targets->push_back(SContentsTarget{elementText(label), level,
                                               resolve(folder, attribute(content, "src"))});
        }
        addNavPoints(point, level + 1, folder, targets);
    }
}

// The table of contents of the navigation document, and the body's start among its landmarks.
void CEpubReader::readNav(const std::string& path, std::vector<SContentsTarget>* targets) {
    std::string bytes;
    std::string why;
    wxString unread;
    if (!zip.read(path, &bytes, &unread)) {
        return;
    }
    CXmlDoc doc = parseXml(bytes, false, &why);
    if (!doc) {
        doc = parseXml(bytes, true, &why);
    }
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    const xmlNode* nav = root != nullptr ? findTyped(root, "nav", "toc") : nullptr;
    const xmlNode* list = nav != nullptr ? findElement(nav->children, "ol") : nullptr;
    if (list != nullptr) {
        addNavList(list, 0, folderOf(path), targets);
    }
    const xmlNode* landmarks = root != nullptr ? findTyped(root, "nav", "landmarks") : nullptr;
    const xmlNode* body =
        landmarks != nullptr ? findTyped(landmarks->children, "a", "bodymatter") : nullptr;
    if (body != nullptr) {
        bodyMatter = resolve(folderOf(path), attribute(body, "href"));
    }
}

void CEpubReader::readNcx(const std::string& path, std::vector<SContentsTarget>* targets) {
    std::string bytes;
    std::string why;
    wxString unread;
    if (!zip.read(path, &bytes, &unread)) {
        return;
    }
    const CXmlDoc doc = parseXml(bytes, false, &why);
    const xmlNode* map = doc ? findElement(xmlDocGetRootElement(doc.get()), "navMap") : nullptr;
    if (map != nullptr) {
        addNavPoints(map, 0, folderOf(path), targets);
    }
}

// The item where a reference inside the book begins: the element of its fragment, else its
// file's start. False for a file not read.
bool CEpubReader::placeOf(const STarget& target, std::size_t* itemIndex) const {
    const auto start = chapterStarts.find(target.path);
    if (start == chapterStarts.end()) {
        return false;
    }
    *itemIndex = start->second;
    const auto anchors = chapterAnchors.find(target.path);
    if (!target.fragment.empty() && anchors != chapterAnchors.end()) {
        const auto anchor = anchors->second.find(target.fragment);
        *itemIndex = anchor != anchors->second.end() ? anchor->second : *itemIndex;
    }
    return true;
}

std::size_t CEpubReader::resolvingCount(const std::vector<SContentsTarget>& targets) const {
    std::size_t count = 0;
    for (const SContentsTarget& entry : targets) {
        count += chapterStarts.count(entry.target.path);
    }
    return count;
}

// The table of contents is a help, not the book: one that cannot be read leaves the book
// without it, and entries pointing at what was not read are left out. The navigation document's
// is taken unless most of its entries point at nothing and toc.ncx has more that point at
// something (a navigation document left behind when the book's files were renamed).
void CEpubReader::readContents() {
    std::string navPath;
    std::string ncxPath;
    for (const auto& [id, item] : manifest) {
        if (hasToken(item.properties, "nav") && navPath.empty()) {
            navPath = item.path;
        }
        if (item.mediaType == kNcxMediaType && (ncxPath.empty() || id == ncxId)) {
            ncxPath = item.path;
        }
    }
    std::vector<SContentsTarget> targets;
    if (!navPath.empty()) {
        readNav(navPath, &targets);
    }
    const std::size_t resolving = resolvingCount(targets);
    if (!ncxPath.empty() && (targets.empty() || resolving * 2 < targets.size())) {
        std::vector<SContentsTarget> ncx;
        readNcx(ncxPath, &ncx);
        if (targets.empty() || resolvingCount(ncx) > resolving) {
            targets = std::move(ncx);
        }
    }
    // The entries placed, in reading order.
    std::vector<std::pair<std::size_t, const SContentsTarget*>> placed;
    for (const SContentsTarget& entry : targets) {
        std::size_t itemIndex = 0;
        if (placeOf(entry.target, &itemIndex)) {
            placed.emplace_back(itemIndex, &entry);
        }
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [itemIndex, entry] : placed) {
        document->addContentsEntry(wxString::FromUTF8(entry->title), entry->level, itemIndex);
    }
    findBodyStart(placed);
}

// Where the book's body begins: the landmarks' bodymatter, else the guide's text, else the first
// chapter after the front matter, which is the first contents entry (in reading order) whose
// title or file is not the cover, a title page, the contents, copyright, a dedication or an
// epigraph; in a book without contents, the first file read whose name is none of these.
void CEpubReader::findBodyStart(
    const std::vector<std::pair<std::size_t, const SContentsTarget*>>& placed) {
    std::size_t itemIndex = 0;
    if (placeOf(bodyMatter, &itemIndex) || placeOf(guideText, &itemIndex)) {
        document->setBodyStart(itemIndex);
        return;
    }
    for (const auto& [at, entry] : placed) {
        if (!isFrontMatterTitle(entry->title) && !isFrontMatterFile(entry->target.path)) {
            document->setBodyStart(at);
            return;
        }
    }
    if (placed.empty()) {
        for (const SManifestItem* item : reading) {
            if (item != nullptr && chapterStarts.count(item->path) != 0 &&
                !isFrontMatterFile(item->path)) {
                document->setBodyStart(chapterStarts.at(item->path));
                return;
            }
        }
    }
}

// An EPUB's first zip entry is its stored, uncompressed "mimetype": its name and content follow
// the entry's local header.
bool startsAsEpub(const char* bytes, std::size_t size) {
    static const char kLocalHeader[] = "PK\x03\x04";
    static const std::size_t kLocalHeaderBytes = 30;
    return textHelpers::startsWith(bytes, size, kLocalHeader) && size >= kLocalHeaderBytes &&
           textHelpers::startsWith(bytes + kLocalHeaderBytes, size - kLocalHeaderBytes,
                                   "mimetypeapplication/epub+zip");
}

} // namespace

const SFormatEntry CEpubImporter::kFormat = {
    CDocumentImporter::eEpub,
    "epub",
    nullptr,
    "EPUB books",
    {"epub"},
    &startsAsEpub,
    false,
    &makeImporter<CEpubImporter>,
    {"application/epub+zip"},
};

std::unique_ptr<CDataManager> CEpubImporter::read(const char* bytes, std::size_t size,
                                                  const SImportContext& context,
                                                  SImportReport* report) {
    xmlInitParser();
    return CEpubReader(bytes, size, context).read(&report->error);
}
