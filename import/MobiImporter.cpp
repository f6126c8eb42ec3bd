#include "import/MobiImporter.h"

#include "import/HtmlImporter.h"
#include "import/TextHelpers.h"
#include "import/XmlHelpers.h"
#include <flitengine/outside/Utf8.h>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <mobi.h>

#include <wx/strconv.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <strings.h>

namespace {

using textHelpers::collapsed;
using xmlHelpers::CXmlDoc;
using xmlHelpers::isElement;
using xmlHelpers::property;
using xmlHelpers::textOf;

// A page marker of this kind is shown to the reader.
constexpr unsigned int kShownPage = 0;
// Where a Palm database says its type and creator, and what a Kindle book's say.
constexpr std::size_t kTypeOffset = 60;
const char kBookType[] = "BOOKMOBI";
// Where the database says how many records it holds, where their list starts, an entry's size.
constexpr std::size_t kRecordCountOffset = 76;
constexpr std::size_t kRecordListOffset = 78;
constexpr std::size_t kRecordEntryBytes = 8;
// The index tags of an NCX entry (its place in a MOBI's text, its label in the CNCX records,
// its depth, and in KF8 its fragment and the offset in it) and of a KF8 fragment (its file).
constexpr std::size_t kNcxFilePosTag = 1;
constexpr std::size_t kNcxLabelTag = 3;
constexpr std::size_t kNcxLevelTag = 4;
constexpr std::size_t kNcxFragmentTag = 6;
constexpr std::size_t kFragmentFileTag = 3;
// A KF8 skeleton's fragment count, and the place and length of a skeleton or fragment.
constexpr std::size_t kSkeletonFragmentsTag = 1;
constexpr std::size_t kPlaceTag = 6;
// The longest start tag looked into for the id a contents entry points at.
constexpr std::size_t kMaxTagBytes = 4096;
// A CNCX offset counts bytes in records of this size.
constexpr std::uint32_t kCncxRecordBytes = 0x10000;
// The anchors written at the places a MOBI's NCX entries and filepos links point at.
const char kFilePosAnchor[] = "filepos";
const char kFilePosAttribute[] = "filepos=";

struct SMobiFree {
    void operator()(MOBIData* data) const { mobi_free(data); }
    void operator()(MOBIRawml* rawml) const { mobi_free_rawml(rawml); }
    void operator()(std::FILE* file) const { std::fclose(file); }
    void operator()(char* text) const { std::free(text); }
};
template <class T> using CMobiPtr = std::unique_ptr<T, SMobiFree>;

// Text from the book's metadata or indexes: UTF-8 when it is, else Windows-1252 as old books are.
std::string utf8Of(const char* text, std::size_t size) {
    if (CUtf8::findInvalid(text, size) == CUtf8::kAllValid) {
        return std::string(text, size);
    }
    return std::string(wxString(text, wxCSConv(wxFONTENCODING_CP1252), size).utf8_str());
}

std::string metaText(char* owned) {
    const CMobiPtr<char> text(owned);
    return text ? collapsed(utf8Of(text.get(), std::strlen(text.get()))) : std::string();
}

// The value of an index entry's tag, or fallback when the entry lacks it.
std::uint32_t tagValue(const MOBIIndexEntry& entry, std::size_t tag, std::size_t which,
                       std::uint32_t fallback) {
    for (std::size_t i = 0; i < entry.tags_count; ++i) {
        if (entry.tags[i].tagid == tag && which < entry.tags[i].tagvalues_count) {
            return entry.tags[i].tagvalues[which];
        }
    }
    return fallback;
}

// The label at offset in an index's CNCX records: a length (7 bits a byte, the last byte
// flagged by its top bit) and that many bytes. Empty when the offset leads nowhere.
std::string cncxText(const MOBIIndx& index, std::uint32_t offset) {
    const MOBIPdbRecord* record = index.cncx_record;
    if (offset / kCncxRecordBytes >= index.cncx_records_count) {
        return std::string();
    }
    for (std::uint32_t skip = offset / kCncxRecordBytes; skip > 0 && record != nullptr; --skip) {
        record = record->next;
    }
    if (record == nullptr || record->data == nullptr) {
        return std::string();
    }
    std::size_t at = offset % kCncxRecordBytes;
    std::size_t length = 0;
    bool last = false;
    while (!last && at < record->size && length <= record->size) {
        const unsigned char byte = record->data[at++];
        length = (length << 7) | (byte & 0x7F);
        last = (byte & 0x80) != 0;
    }
    if (!last || length > record->size - at) {
        return std::string();
    }
    return collapsed(utf8Of(reinterpret_cast<const char*>(record->data) + at, length));
}

// Where each KF8 fragment's text sits in the book's first flow, as the book stores it: each
// skeleton's fragments follow it in order.
std::vector<std::size_t> fragmentStarts(const MOBIRawml& rawml) {
    std::vector<std::size_t> starts;
    if (rawml.skel == nullptr || rawml.frag == nullptr) {
        return starts;
    }
    for (std::size_t i = 0; i < rawml.skel->entries_count; ++i) {
        const MOBIIndexEntry& skeleton = rawml.skel->entries[i];
        std::size_t at =
            std::size_t{tagValue(skeleton, kPlaceTag, 0, 0)} + tagValue(skeleton, kPlaceTag, 1, 0);
        for (std::uint32_t n = tagValue(skeleton, kSkeletonFragmentsTag, 0, 0);
             n > 0 && starts.size() < rawml.frag->entries_count; --n) {
            starts.push_back(at);
            at += tagValue(rawml.frag->entries[starts.size() - 1], kPlaceTag, 1, 0);
        }
    }
    return starts;
}

// The id of the start tag at text[at], or empty when none starts there.
std::string idAt(const MOBIPart* flow, std::size_t at) {
    if (flow == nullptr || flow->data == nullptr || at >= flow->size || flow->data[at] != '<') {
        return std::string();
    }
    const char* text = reinterpret_cast<const char*>(flow->data) + at;
    const std::string tag(text, std::min(flow->size - at, kMaxTagBytes));
    const std::size_t end = tag.find('>');
    const std::size_t id = tag.substr(0, end).find(" id=");
    if (id == std::string::npos || id + 5 >= tag.size()) {
        return std::string();
    }
    const char quote = tag[id + 4];
    const std::size_t close = tag.find(quote, id + 5);
    return close < end ? tag.substr(id + 5, close - id - 5) : std::string();
}

// The node after node in document order, or null at the end.
const xmlNode* nextInOrder(const xmlNode* node) {
    if (node->children != nullptr) {
        return node->children;
    }
    while (node != nullptr && node->next == nullptr) {
        node = node->parent;
    }
    return node != nullptr ? node->next : nullptr;
}

// A table of contents entry before it is placed: its label, depth and anchor.
struct SContentsLink {
    std::string title;
    int level;
    std::string anchor;
};

// The byte offset a filepos value ("0000001234") gives; npos when it starts with no digit.
std::size_t fileposOf(const std::string& value) {
    std::size_t number = 0;
    std::size_t digits = 0;
    for (; digits < value.size() && digits < 12 &&
           std::isdigit(static_cast<unsigned char>(value[digits]));
         ++digits) {
        number = number * 10 + static_cast<std::size_t>(value[digits] - '0');
    }
    return digits > 0 ? number : std::string::npos;
}

// The anchor written at a filepos ("filepos1234"); empty for npos.
std::string fileposAnchor(std::size_t filepos) {
    return filepos != std::string::npos ? kFilePosAnchor + std::to_string(filepos) : std::string();
}

// A MOBI's text as the book stores it, with an anchor written at each place that its NCX
// entries and filepos links point at (one inside a tag moves to the tag's start), in UTF-8.
std::string anchoredText(const MOBIPart& flow, const MOBIIndx* ncx) {
    const std::string raw(reinterpret_cast<const char*>(flow.data), flow.size);
    std::set<std::size_t> targets;
    for (std::size_t i = 0; ncx != nullptr && i < ncx->entries_count; ++i) {
        targets.insert(tagValue(ncx->entries[i], kNcxFilePosTag, 0, MOBI_NOTSET));
    }
    const std::size_t attributeLength = std::strlen(kFilePosAttribute);
    for (std::size_t at = raw.find(kFilePosAttribute); at != std::string::npos;
         at = raw.find(kFilePosAttribute, at + attributeLength)) {
        const std::size_t value = raw.find_first_not_of("\"'", at + attributeLength);
        if (value != std::string::npos) {
            targets.insert(fileposOf(raw.substr(value, 12)));
        }
    }
    std::string out;
    out.reserve(raw.size() + targets.size() * 32);
    std::size_t from = 0;
    for (const std::size_t target : targets) {
        if (target >= raw.size()) {
            break;
        }
        std::size_t place = target;
        for (std::size_t back = target; back > from && target - back < kMaxTagBytes; --back) {
            if (raw[back - 1] == '>') {
                break;
            }
            if (raw[back - 1] == '<') {
                place = back - 1;
                break;
            }
        }
        out.append(raw, from, place - from);
        out += "<a id=\"" + fileposAnchor(target) + "\"></a>";
        from = place;
    }
    out.append(raw, from, std::string::npos);
    return utf8Of(out.data(), out.size());
}

// A MOBI without an NCX index: the links of the page that its guide's "toc" reference points at,
// from that page's anchor to the next page break, each naming the anchor of its filepos.
std::vector<SContentsLink> guideContents(const std::string& original) {
    std::string kept;
    const std::string& markup =
        xmlHelpers::dropExcessAttributes(original.data(), original.size(), &kept) ? kept : original;
    std::vector<SContentsLink> links;
    if (markup.size() > INT_MAX) {
        return links;
    }
    const CXmlDoc doc(htmlReadMemory(markup.data(), static_cast<int>(markup.size()), nullptr,
                                     "UTF-8",
                                     HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                                         HTML_PARSE_NOWARNING | HTML_PARSE_COMPACT));
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    std::string page;
    for (const xmlNode* node = root; node != nullptr && page.empty(); node = nextInOrder(node)) {
        if (isElement(node, "reference") && property(node, "type") == "toc") {
            page = fileposAnchor(fileposOf(property(node, "filepos")));
        }
    }
    if (page.empty()) {
        return links;
    }
    bool inPage = false;
    for (const xmlNode* node = root; node != nullptr; node = nextInOrder(node)) {
        if (node->type != XML_ELEMENT_NODE) {
            continue;
        }
        if (!inPage) {
            inPage = property(node, "id") == page;
            continue;
        }
        if (isElement(node, "mbp:pagebreak") && !links.empty()) {
            break;
        }
        const std::string target =
            isElement(node, "a") ? fileposAnchor(fileposOf(property(node, "filepos"))) : "";
        if (!target.empty()) {
            xmlChar* text = xmlNodeGetContent(node);
            links.push_back(
                SContentsLink{collapsed(text != nullptr ? textOf(text) : ""), 0, target});
            xmlFree(text);
        }
    }
    return links;
}

// The pieces of a MOBI's text that its page breaks separate, each read as a chapter.
std::vector<std::pair<std::size_t, std::size_t>> pageBreakPieces(const std::string& html) {
    static const char kBreak[] = "<mbp:pagebreak";
    const char* text = html.data();
    std::vector<std::pair<std::size_t, std::size_t>> pieces;
    std::size_t start = 0;
    for (std::size_t at = 0; at + sizeof kBreak - 1 <= html.size(); ++at) {
        if (text[at] == '<' && strncasecmp(text + at, kBreak, sizeof kBreak - 1) == 0 &&
            at > start) {
            pieces.emplace_back(start, at - start);
            start = at;
        }
    }
    pieces.emplace_back(start, html.size() - start);
    return pieces;
}

// One import: the book as libmobi holds it and the document being built.
class CMobiReader {
public:
    CMobiReader(const char* bytesIn, std::size_t sizeIn, const SImportContext& importContext)
        : bytes(bytesIn), size(sizeIn), context(importContext) {}

    std::unique_ptr<CDataManager> read(wxString* error);

private:
    bool load();
    bool checkRecords();
    bool readParts();
    bool readPiece(CHtmlTextBuilder* builder, const char* text, std::size_t length, bool xhtml,
                   std::size_t partId);
    void readContents();
    bool fail(const wxString& message) {
        error = message;
        return false;
    }

    const char* bytes;
    std::size_t size;
    const SImportContext& context;
    wxString error;
    CMobiPtr<MOBIData> book;
    CMobiPtr<MOBIRawml> rawml;
    std::unique_ptr<CDataManager> document;
    unsigned int chapter = 0;
    // Where each part (a KF8 book's by their file number; a MOBI's one) begins in the item list,
    // and the anchors read in each.
    std::map<std::size_t, std::size_t> partStarts;
    std::map<std::size_t, std::map<std::string, std::size_t>> partAnchors;
    // A MOBI's text, with its anchors.
    std::string mobiHtml;
};

std::unique_ptr<CDataManager> CMobiReader::read(wxString* message) {
    document = context.newDocument();
    if (!load() || !readParts()) {
        *message = error;
        return nullptr;
    }
    readContents();
    std::string title = metaText(mobi_meta_get_title(book.get()));
    if (title.empty()) {
        char fullName[1024] = {};
        if (mobi_get_fullname(book.get(), fullName, sizeof fullName - 1) == MOBI_SUCCESS) {
            title = collapsed(utf8Of(fullName, std::strlen(fullName)));
        }
    }
    document->setTitle(wxString::FromUTF8(title));
    const std::string language = metaText(mobi_meta_get_language(book.get()));
    if (!language.empty()) {
        document->setLanguage(language);
    }
    return std::move(document);
}

bool CMobiReader::load() {
    if (size < kRecordListOffset) {
        return fail("it is not a Kindle book: it is too short to hold a book's header");
    }
    if (!checkRecords()) {
        return false;
    }
    book.reset(mobi_init());
    if (!book) {
        return fail("there is not enough memory to read it");
    }
    // libmobi reads from a stream; the bytes are already in memory.
    const CMobiPtr<std::FILE> file(fmemopen(const_cast<char*>(bytes), size, "rb"));
    if (!file) {
        return fail("there is not enough memory to read it");
    }
    switch (mobi_load_file(book.get(), file.get())) {
    case MOBI_SUCCESS:
        break;
    case MOBI_MALLOC_FAILED:
        return fail("there is not enough memory to read it");
    case MOBI_FILE_ENCRYPTED:
        return fail("the book is encrypted (DRM) and cannot be read");
    default:
        return fail("the book is damaged or truncated: its records cannot be read");
    }
    if (!mobi_is_mobipocket(book.get()) || book->rh == nullptr || book->mh == nullptr) {
        return fail("it is not a Kindle book: its header is missing or damaged");
    }
    if (mobi_is_encrypted(book.get())) {
        return fail("the book is encrypted (DRM) and cannot be read");
    }
    if (mobi_is_replica(book.get())) {
        return fail("the book is a print replica (a PDF inside a Kindle book), which is not read");
    }
    const std::size_t textBytes = mobi_get_text_maxsize(book.get());
    if (textBytes == MOBI_NOTSET || textBytes > CMobiImporter::kMaxTextBytes ||
        book->rh->text_length > CMobiImporter::kMaxTextBytes) {
        return fail(wxString::Format("the book's text would unpack to more than %zu MiB",
                                     CMobiImporter::kMaxTextBytes >> 20));
    }
    rawml.reset(mobi_init_rawml(book.get()));
    if (!rawml) {
        return fail("there is not enough memory to read it");
    }
    switch (mobi_parse_rawml_opt(rawml.get(), book.get(), true, false, true)) {
    case MOBI_SUCCESS:
        return true;
    case MOBI_MALLOC_FAILED:
        return fail("there is not enough memory to read it");
    case MOBI_FILE_ENCRYPTED:
        return fail("the book is encrypted (DRM) and cannot be read");
    case MOBI_FILE_UNSUPPORTED:
        return fail("the book's text is stored in a way that cannot be read");
    default:
        return fail("the book is damaged or truncated: its text cannot be unpacked");
    }
}

// A Palm database lists its records (a count at byte 76, then eight bytes each, an offset first)
// before their data: a file cut short loses records the list still names, and libmobi takes a
// record's size from the next one's start unchecked.
bool CMobiReader::checkRecords() {
    const auto number = [this](std::size_t at, std::size_t bytesLong) {
        std::size_t value = 0;
        for (std::size_t i = at; i < at + bytesLong; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes[i]);
        }
        return value;
    };
    const std::size_t records = number(kRecordCountOffset, 2);
    if (kRecordListOffset + records * kRecordEntryBytes > size) {
        return fail(wxString::Format("the book is truncated: its list of %zu records is cut short",
                                     records));
    }
    // Each record runs to the next one's start, so the starts must not go back.
    std::size_t previous = kRecordListOffset + records * kRecordEntryBytes;
    for (std::size_t i = 0; i < records; ++i) {
        const std::size_t start = number(kRecordListOffset + i * kRecordEntryBytes, 4);
        if (start > size) {
            return fail(wxString::Format(
                "the book is truncated: record %zu of %zu starts past its end (byte %zu of %zu)",
                i + 1, records, start, size));
        }
        if (start < previous) {
            return fail(wxString::Format(
                "the book is damaged: record %zu of %zu starts before the one it follows", i + 1,
                records));
        }
        previous = start;
    }
    return true;
}

bool CMobiReader::readPiece(CHtmlTextBuilder* builder, const char* text, std::size_t length,
                            bool xhtml, std::size_t partId) {
    // A chapter starts on a line of its own.
    const wxCDataInfoListNode* last = document->getLastNode();
    if (last != nullptr && last->GetData()->getDataInfoType() != eDITNewline) {
        document->appendNewline();
    }
    const std::size_t start = document->getItemCount();
    partStarts.emplace(partId, start);
    document->appendPageInfoRef(document->addPage(kShownPage, ++chapter));
    wxString why;
    bool parsed = builder->append(text, length, xhtml, &why);
    // A part that is not well-formed XML is read as browsers would read it.
    if (!parsed && xhtml && document->getItemCount() == start + 1) {
        parsed = builder->append(text, length, false, &why);
    }
    if (!parsed) {
        return fail(wxString::Format("chapter %u of the book cannot be read: ", chapter) + why);
    }
    partAnchors[partId].insert(builder->getAnchors().begin(), builder->getAnchors().end());
    return true;
}

bool CMobiReader::readParts() {
    // A KF8 book's HTML parts are its chapters; a MOBI's text is one flow, which its page breaks
    // cut into chapters. libmobi rebuilds a MOBI's links and anchors, but only for its links; the
    // text as stored, anchored here, keeps the places that its NCX entries name too.
    struct SPiece {
        const char* text;
        std::size_t length;
        std::size_t partId;
    };
    const bool kf8 = mobi_is_rawml_kf8(rawml.get());
    std::vector<SPiece> pieces;
    for (const MOBIPart* part = kf8 ? rawml->markup : nullptr; part != nullptr; part = part->next) {
        if (part->type == T_HTML && part->data != nullptr) {
            pieces.push_back(
                SPiece{reinterpret_cast<const char*>(part->data), part->size, part->uid});
        }
    }
    const MOBIPart* flow = rawml->flow;
    if (!kf8 && flow != nullptr && flow->type == T_HTML && flow->data != nullptr) {
        mobiHtml = anchoredText(*flow, rawml->ncx);
        for (const auto& [start, length] : pageBreakPieces(mobiHtml)) {
            pieces.push_back(SPiece{mobiHtml.data() + start, length, 0});
        }
    }
    CHtmlTextBuilder builder(document.get());
    for (std::size_t done = 0; done < pieces.size(); ++done) {
        if (!context.readOn(done, pieces.size())) {
            return fail(SImportContext::kCancelled);
        }
        const SPiece& piece = pieces[done];
        if (!readPiece(&builder, piece.text, piece.length, kf8, piece.partId)) {
            return false;
        }
    }
    if (chapter == 0) {
        return fail("the book has no text to read");
    }
    for (const wxCDataInfoListNode* node = document->getFirstNode(); node != nullptr;
         node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() == eDITWord) {
            return true;
        }
    }
    return fail("the book has no text to read: its parts hold no words");
}

// The table of contents is a help, not the book: entries that point at nothing read are left out.
void CMobiReader::readContents() {
    std::vector<CDataManager::SContentsEntry> entries;
    const MOBIIndx* ncx = rawml->ncx;
    const MOBIIndx* fragments = rawml->frag;
    const std::vector<std::size_t> starts = fragmentStarts(*rawml);
    for (std::size_t i = 0; ncx != nullptr && i < ncx->entries_count; ++i) {
        const MOBIIndexEntry& entry = ncx->entries[i];
        const std::string title = cncxText(*ncx, tagValue(entry, kNcxLabelTag, 0, MOBI_NOTSET));
        const int level = static_cast<int>(std::min<std::uint32_t>(
            tagValue(entry, kNcxLevelTag, 0, 0), static_cast<std::uint32_t>(INT_MAX)));
        std::size_t itemIndex = std::string::npos;
        const std::uint32_t fragment = tagValue(entry, kNcxFragmentTag, 0, MOBI_NOTSET);
        if (fragments != nullptr && fragment < fragments->entries_count) {
            // A KF8 entry points at a fragment and a place in it: the element there, by its id,
            // or else the start of the fragment's part.
            const std::size_t file = tagValue(fragments->entries[fragment], kFragmentFileTag, 0, 0);
            const auto start = partStarts.find(file);
            itemIndex = start != partStarts.end() ? start->second : itemIndex;
            const std::string id =
                fragment < starts.size()
                    ? idAt(rawml->flow, starts[fragment] + tagValue(entry, kNcxFragmentTag, 1, 0))
                    : std::string();
            const auto anchor = partAnchors[file].find(id);
            itemIndex =
                !id.empty() && anchor != partAnchors[file].end() ? anchor->second : itemIndex;
        } else {
            const auto& anchors = partAnchors[0];
            const auto anchor =
                anchors.find(fileposAnchor(tagValue(entry, kNcxFilePosTag, 0, MOBI_NOTSET)));
            itemIndex = anchor != anchors.end() ? anchor->second : itemIndex;
        }
        if (itemIndex < document->getItemCount() && !title.empty()) {
            entries.push_back(
                CDataManager::SContentsEntry{wxString::FromUTF8(title), level, itemIndex});
        }
    }
    if (ncx == nullptr && !mobiHtml.empty()) {
        for (const SContentsLink& link : guideContents(mobiHtml)) {
            const auto anchor = partAnchors[0].find(link.anchor);
            if (anchor != partAnchors[0].end() && anchor->second < document->getItemCount()) {
                entries.push_back(CDataManager::SContentsEntry{wxString::FromUTF8(link.title),
                                                               link.level, anchor->second});
            }
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a.itemIndex < b.itemIndex; });
    for (const auto& entry : entries) {
        document->addContentsEntry(entry.title, entry.level, entry.itemIndex);
    }
}

bool startsAsMobi(const char* bytes, std::size_t size) {
    return size >= kTypeOffset + std::strlen(kBookType) &&
           std::memcmp(bytes + kTypeOffset, kBookType, std::strlen(kBookType)) == 0;
}

} // namespace

const SFormatEntry CMobiImporter::kFormat = {
    CDocumentImporter::eMobi,
    "mobi",
    nullptr,
    "Kindle books",
    {"mobi", "azw3", "azw"},
    &startsAsMobi,
    false,
    &makeImporter<CMobiImporter>,
    {"application/x-mobipocket-ebook", "application/vnd.amazon.ebook"},
};

std::unique_ptr<CDataManager> CMobiImporter::read(const char* bytes, std::size_t size,
                                                  const SImportContext& context,
                                                  SImportReport* report) {
    xmlInitParser();
    return CMobiReader(bytes, size, context).read(&report->error);
}
