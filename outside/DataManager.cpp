#include <flitengine/outside/DataManager.h>

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

// Longest part of a link name kept in its file name, and longest extension kept.
const size_t kMaxFileStem = 40;
const size_t kMaxFileExtension = 8;

bool isSafeFileChar(wxUniChar c, bool allowPunctuation) {
    if (!c.IsAscii()) {
        return false;
    }
    const char a = static_cast<char>(c.GetValue());
    if ((a >= 'a' && a <= 'z') || (a >= 'A' && a <= 'Z') || (a >= '0' && a <= '9')) {
        return true;
    }
    return allowPunctuation && (a == '-' || a == '_');
}

// The file name under which the data stored as name is written. The serial number, given once
// per name, keeps every name apart; after it comes the last component of the name with every
// character but ASCII letters, digits, '-' and '_' replaced, then the name's extension, so that
// loaders that go by the extension recognise the type. No separator or dot other than the one
// before the extension survives, so the file cannot land outside the folder.
wxString linkFileNameFor(const wxString& name, size_t serial) {
    wxString base = name.AfterLast('/').AfterLast('\\');
    wxString extension;
    const int dot = base.Find('.', true);
    if (dot != wxNOT_FOUND) {
        extension = base.Mid(static_cast<size_t>(dot) + 1);
        base.Truncate(static_cast<size_t>(dot));
    }
    bool extensionSafe = !extension.empty() && extension.length() <= kMaxFileExtension;
    for (wxString::const_iterator it = extension.begin(); extensionSafe && it != extension.end();
         ++it) {
        extensionSafe = isSafeFileChar(*it, false);
    }

    wxString stem;
    for (wxString::const_iterator it = base.begin();
         it != base.end() && stem.length() < kMaxFileStem; ++it) {
        stem += isSafeFileChar(*it, true) ? *it : wxUniChar('_');
    }

    wxString fileName = wxString(std::to_string(serial)) + "-" + stem;
    if (extensionSafe) {
        fileName += '.';
        fileName += extension;
    }
    return fileName;
}

// Steps node count places in one direction; null once it runs off the end.
wxCDataInfoListNode* stepNode(wxCDataInfoListNode* node, unsigned long count, bool forward) {
    for (; node != nullptr && count > 0; --count) {
        node = forward ? node->GetNext() : node->GetPrevious();
    }
    return node;
}

// The size of a count's magnitude, without overflow for the most negative int.
unsigned long magnitude(int count) {
    return count < 0 ? 0UL - static_cast<unsigned long>(static_cast<long>(count))
                     : static_cast<unsigned long>(count);
}

} // namespace

CDataManager::CDataManager() {
    links.DeleteContents(true);
    tags.DeleteContents(true);
}

CDataManager::~CDataManager() {
    // The items made here end in place (the arena frees their memory); those given to
    // appendItem are deleted; the two shared ones are members.
    std::sort(adoptedItems.begin(), adoptedItems.end());
    for (wxCDataInfoListNode* node = items.GetFirst(); node != nullptr; node = node->GetNext()) {
        CDataInfo* item = node->GetData();
        if (item != &sharedSpace && item != &sharedNewline &&
            !std::binary_search(adoptedItems.begin(), adoptedItems.end(), item)) {
            item->~CDataInfo();
        }
    }
    for (CDataInfo* item : adoptedItems) {
        delete item;
    }
    // The list ends its nodes and the other lists free their records themselves; what is left
    // is the folder of written files.
    if (!privateFolder.empty() && wxFileName::DirExists(privateFolder)) {
        wxFileName::Rmdir(privateFolder, wxPATH_RMDIR_RECURSIVE);
    }
}

CDataManager::CArenaList::~CArenaList() {
    // The toolkit's list would delete each node; these are in the arena, so each is detached
    // (which leaves the base list nothing to delete) and ended here.
    while (wxCDataInfoListNode* node = GetFirst()) {
        DetachNode(node);
        node->~wxCDataInfoListNode();
    }
}

wxNodeBase* CDataManager::CArenaList::CreateNode(wxNodeBase* prev, wxNodeBase* next, void* data,
                                                 const wxListKey& key) {
    void* storage = arena->allocate(sizeof(wxCDataInfoListNode), alignof(wxCDataInfoListNode));
    return new (storage) wxCDataInfoListNode(this, static_cast<wxCDataInfoListNode*>(prev),
                                             static_cast<wxCDataInfoListNode*>(next),
                                             static_cast<CDataInfo*>(data), key);
}

template <typename T, typename... Args> T* CDataManager::makeItem(Args... args) {
    return new (itemArena.allocate(sizeof(T), alignof(T))) T(args...);
}

template <typename T, typename... Args>
wxCDataInfoListNode* CDataManager::appendMade(Args... args) {
    return admits() ? items.Append(makeItem<T>(args...)) : nullptr;
}

// --- Reading the document ---

wxCDataInfoListNode* CDataManager::getFirstNode() const {
    return items.GetFirst();
}

wxCDataInfoListNode* CDataManager::getLastNode() const {
    return items.GetLast();
}

size_t CDataManager::getItemCount() const {
    return items.GetCount();
}

// A negative count moves the other way.
bool CDataManager::getNextNode(wxCDataInfoListNode** node, int count) const {
    if (node == nullptr) {
        return false;
    }
    *node = stepNode(*node, magnitude(count), count >= 0);
    return *node != nullptr;
}

bool CDataManager::getPrevNode(wxCDataInfoListNode** node, int count) const {
    if (node == nullptr) {
        return false;
    }
    *node = stepNode(*node, magnitude(count), count < 0);
    return *node != nullptr;
}

bool CDataManager::getNodeOfDataInfoTypeCommon(eSearchDirection direction, eDataInfoType typeMask,
                                               wxCDataInfoListNode* start,
                                               wxCDataInfoListNode** found) const {
    if (direction != eSearchForward && direction != eSearchBackward) {
        return false;
    }
    const bool forward = direction == eSearchForward;
    const auto mask = static_cast<unsigned int>(typeMask);
    for (wxCDataInfoListNode* node = start; node != nullptr;
         node = forward ? node->GetNext() : node->GetPrevious()) {
        if ((static_cast<unsigned int>(node->GetData()->getDataInfoType()) & mask) != 0) {
            if (found != nullptr) {
                *found = node;
            }
            return true;
        }
    }
    return false;
}

bool CDataManager::getPageNum(const wxCDataInfoListNode* node, unsigned int* pageNum) const {
    if (node == nullptr) {
        return false;
    }
    unsigned int number = 0;
    for (; node != nullptr; node = node->GetPrevious()) {
        const auto* marker = dynamic_cast<const CDITPageInfoRef*>(node->GetData());
        if (marker == nullptr) {
            continue;
        }
        // A hidden page is never shown while reading, so the page in force is the nearest one
        // shown before it: a restart shows the same number as reading through did.
        const CPageInfo* page = pageManager.getPageInfoAt(marker->getPageInfoListNode());
        if (page != nullptr && page->pageType != CPageInfo::kHiddenPageType) {
            number = page->pageNum;
            break;
        }
    }
    if (pageNum != nullptr) {
        *pageNum = number;
    }
    return true;
}

CLinkInfo* CDataManager::getLinkAt(wxCLinkInfoListNode* node) const {
    return node != nullptr ? node->GetData() : nullptr;
}

CTagInfo* CDataManager::getTagAtNode(wxCTagInfoListNode* node) const {
    return node != nullptr ? node->GetData() : nullptr;
}

bool CDataManager::getLinkFileDataStoreAsFile(eLinkFileDataInfoType kind, const char* name,
                                              wxString* path) {
    if (kind != eLinkFileDataStored || name == nullptr || path == nullptr) {
        return false;
    }
    const wxString key = wxString::FromUTF8(name);

    std::lock_guard<std::mutex> lock(linkFileMutex);
    const auto data = linkFileData.find(key);
    if (data == linkFileData.end() || !ensurePrivateFolder()) {
        return false;
    }
    auto fileName = linkFileNames.find(key);
    if (fileName == linkFileNames.end()) {
        fileName = linkFileNames.emplace(key, linkFileNameFor(key, linkFileNames.size() + 1)).first;
    }
    const wxString fullPath = wxFileName(privateFolder, fileName->second).GetFullPath();

    // Written to a temporary file beside it and renamed over it, so that a reader never sees
    // a file half written.
    wxTempFile file;
    if (!file.Open(fullPath) || !file.Write(data->second.data(), data->second.size()) ||
        !file.Commit()) {
        return false;
    }
    *path = fullPath;
    return true;
}

// Called with linkFileMutex held. A folder that has gone missing is replaced by a new one
// rather than made again under the old name, which someone else may have taken meanwhile.
bool CDataManager::ensurePrivateFolder() {
    if (!privateFolder.empty() && wxFileName::DirExists(privateFolder)) {
        return true;
    }
    const wxString prefix = wxFileName(wxFileName::GetTempDir(), "flitdoc").GetFullPath();
    // The temporary file only reserves a unique name; mkdir fails rather than reuse a name
    // taken between its removal and the folder's creation, and then another name is tried.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const wxString candidate = wxFileName::CreateTempFileName(prefix);
        if (candidate.empty()) {
            return false;
        }
        wxRemoveFile(candidate);
        if (wxFileName::Mkdir(candidate, 0700)) {
            privateFolder = candidate;
            return true;
        }
    }
    return false;
}

// --- Building the document ---

wxCLinkInfoListNode* CDataManager::addLink(eLinkInfoType type, const wxString& data,
                                           const wxString& param) {
    return links.Append(new CLinkInfo(type, data, param));
}

wxCTagInfoListNode* CDataManager::addTag(const wxColour& colour, bool flag) {
    return tags.Append(new CTagInfo(colour, flag));
}

wxCPageInfoListNode* CDataManager::addPage(unsigned int pageType, unsigned int pageNum) {
    return pageManager.addPage(pageType, pageNum);
}

void CDataManager::storeLinkFileData(const wxString& name, const void* data, size_t size) {
    std::string bytes;
    if (data != nullptr && size > 0) {
        bytes.assign(static_cast<const char*>(data), size);
    }
    std::lock_guard<std::mutex> lock(linkFileMutex);
    linkFileData[name] = std::move(bytes);
}

bool CDataManager::hasLinkFileData(const wxString& name) const {
    std::lock_guard<std::mutex> lock(linkFileMutex);
    return linkFileData.find(name) != linkFileData.end();
}

wxCDataInfoListNode* CDataManager::appendWord(const char* word, const CStyleInfo& style,
                                              wxCLinkInfoListNode* backgroundLink,
                                              wxCTagInfoListNode* fontColourTag) {
    const char* text = word != nullptr ? word : "";
    const std::size_t length = std::strlen(text);
    if (!admits(length)) {
        return nullptr;
    }
    const bool withLinks = backgroundLink != nullptr || fontColourTag != nullptr;
    if (!withLinks && length <= CDITWord::kMaxInlineBytes) {
        return items.Append(makeItem<CDITWord>(text, length, style));
    }
    void* storage = textArena.allocate(CDITWord::layoutBytes(length, withLinks),
                                       CDITWord::layoutAlignment(withLinks));
    const char* laidOut = CDITWord::layOut(storage, text, length, backgroundLink, fontColourTag);
    return items.Append(
        makeItem<CDITWord>(laidOut, style, withLinks ? CDITWord::kHasLinks : std::uint16_t{0}));
}

wxCDataInfoListNode* CDataManager::appendSpace() {
    return admits() ? items.Append(&sharedSpace) : nullptr;
}

wxCDataInfoListNode* CDataManager::appendNewline() {
    return admits() ? items.Append(&sharedNewline) : nullptr;
}

wxCDataInfoListNode* CDataManager::appendRest(unsigned int units) {
    return appendMade<CDITRest>(units);
}

wxCDataInfoListNode* CDataManager::appendSustain(unsigned int units) {
    return appendMade<CDITSustain>(units);
}

wxCDataInfoListNode* CDataManager::appendLinkInfoRef(wxCLinkInfoListNode* link) {
    return appendMade<CDITLinkInfoRef>(link);
}

wxCDataInfoListNode* CDataManager::appendTagInfoRef(wxCTagInfoListNode* tag) {
    return appendMade<CDITTagInfoRef>(tag);
}

// A marker must name one of this document's page records: the engine shows the record's number,
// so a marker without one is refused (nothing appended, null returned).
wxCDataInfoListNode* CDataManager::appendPageInfoRef(wxCPageInfoListNode* page) {
    if (!pageManager.holds(page) || !admits()) {
        return nullptr;
    }
    return items.Append(makeItem<CDITPageInfoRef>(page));
}

// A kind that carries no value of this sort is refused: nothing is appended and the result is
// null, so that a builder's mistake shows instead of putting an item of the wrong class in the
// document.
wxCDataInfoListNode* CDataManager::appendValueRef(eDataInfoType type, unsigned int value) {
    if (!admits()) {
        return nullptr;
    }
    CDataInfo* item = nullptr;
    switch (type) {
    case eDITCourseNoteRef:
        item = makeItem<CDITCourseNoteRef>(value);
        break;
    case eDITGlossaryNoteRef:
        item = makeItem<CDITGlossaryNoteRef>(value);
        break;
    case eDITRapidNoteRef:
        item = makeItem<CDITRapidNoteRef>(value);
        break;
    case eDITUserNoteRef:
        item = makeItem<CDITUserNoteRef>(value);
        break;
    case eDITDogearRef:
        item = makeItem<CDITDogearRef>(value);
        break;
    case eDITEmailItem:
        item = makeItem<CDITEmailItem>(value);
        break;
    default:
        return nullptr;
    }
    return items.Append(item);
}

wxCDataInfoListNode* CDataManager::appendChangeView(CDITChangeView::eViewType viewType) {
    return appendMade<CDITChangeView>(viewType);
}

wxCDataInfoListNode* CDataManager::appendFlitCommand(CDITFlitCommand::eFlitCommandType type) {
    return appendMade<CDITFlitCommand>(type);
}

// As with appendValueRef, a kind that is not a bare marker appends nothing and gives null.
wxCDataInfoListNode* CDataManager::appendMarker(eDataInfoType type) {
    if (type == eDITSpace) {
        return appendSpace();
    }
    if (type == eDITNewline) {
        return appendNewline();
    }
    if (!admits()) {
        return nullptr;
    }
    CDataInfo* item = nullptr;
    switch (type) {
    case eDITAssessmentReview:
        item = makeItem<CDITAssessmentReview>();
        break;
    case eDITEmailItemAttachmentAnnounce:
        item = makeItem<CDITEmailItemAttachmentAnnounce>();
        break;
    case eDITEmailItemAttachmentSkip:
        item = makeItem<CDITEmailItemAttachmentSkip>();
        break;
    case eDITEmailItemAttachmentInfoRef:
        item = makeItem<CDITEmailItemAttachmentInfoRef>();
        break;
    default:
        return nullptr;
    }
    return items.Append(item);
}

wxCDataInfoListNode* CDataManager::appendItem(CDataInfo* item) {
    if (item == nullptr) {
        return nullptr;
    }
    const auto* marker = dynamic_cast<const CDITPageInfoRef*>(item);
    const auto* word = dynamic_cast<const CDITWord*>(item);
    if ((marker != nullptr && !pageManager.holds(marker->getPageInfoListNode())) ||
        !admits(word != nullptr ? std::strlen(word->getWord()) : 0)) {
        delete item;
        return nullptr;
    }
    adoptedItems.push_back(item);
    return items.Append(item);
}

bool CDataManager::admits(size_t textLength) {
    const bool textFits = limits == nullptr || (textBytes <= limits->maxTextBytes &&
                                                textLength <= limits->maxTextBytes - textBytes);
    if (limits == nullptr || (items.GetCount() < limits->maxItems && textFits)) {
        textBytes += textLength;
        return true;
    }
    limits->reached = true;
    limits->textReached = limits->textReached || !textFits;
    return false;
}

void CDataManager::addContentsEntry(const wxString& entryTitle, int level, size_t itemIndex) {
    contents.push_back(SContentsEntry{entryTitle, level, itemIndex});
}

// A search by halves: the reader asks at every word it shows, and a long book's contents are
// thousands of entries.
const CDataManager::SContentsEntry* CDataManager::getContentsEntryAt(size_t itemIndex) const {
    const auto after = std::upper_bound(
        contents.begin(), contents.end(), itemIndex,
        [](size_t index, const SContentsEntry& entry) { return index < entry.itemIndex; });
    return after == contents.begin() ? nullptr : &*(after - 1);
}

unsigned int CDataManager::addNote(const wxString& text) {
    notes.push_back(text);
    return static_cast<unsigned int>(notes.size());
}

void CDataManager::setNote(unsigned int number, const wxString& text) {
    if (number >= 1 && number <= notes.size()) {
        notes[number - 1] = text;
    }
}

const wxString* CDataManager::getNote(unsigned int number) const {
    return number >= 1 && number <= notes.size() ? &notes[number - 1] : nullptr;
}
