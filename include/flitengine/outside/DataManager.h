#ifndef FLIT_OUTSIDE_DATAMANAGER_H
#define FLIT_OUTSIDE_DATAMANAGER_H

#include <flitengine/FlitExport.h>
#include <flitengine/outside/BlockArena.h>
#include <flitengine/outside/DataInfo.h>
#include <flitengine/outside/PageManager.h>

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class CEmailItemAttachmentManager;

// A document: the list of its items in reading order, and the link, tag and page records the
// items refer to. It owns all of them and frees them when it is destroyed.
//
// A host builds a document by appending items in order; the engine then only reads it. Link
// data (the pictures and sounds that links name) is held in memory under a name and written out
// as a file on demand, in a folder private to the document that goes with it.
//
// A long book is millions of items, so the document keeps them compactly: the items it makes
// and the list's nodes are placed one after another in large blocks (an arena), the words'
// texts in another, and every space and every newline is one shared item. Nothing is removed
// from a document, and all of it goes at once with the document.
class FLIT_EXPORT CDataManager {
public:
    enum eSearchDirection {
        eSearchForward = 0,
        eSearchBackward = 1,
    };

    // What getLinkFileDataStoreAsFile writes out. Only the link's stored data is known.
    enum eLinkFileDataInfoType {
        eLinkFileDataStored = 0,
    };

    CDataManager();
    ~CDataManager();
    CDataManager(const CDataManager&) = delete;
    CDataManager& operator=(const CDataManager&) = delete;

    // --- Reading the document ---

    // The first item's node; null for an empty document.
    wxCDataInfoListNode* getFirstNode() const;
    // The last item's node; null for an empty document.
    wxCDataInfoListNode* getLastNode() const;
    size_t getItemCount() const;
    const CDataInfoList& getDataInfoList() const { return items; }

    // Move *node count nodes forward (backward); past either end it becomes null. A null *node
    // stays null. Returns false when the move ran off the end.
    bool getNextNode(wxCDataInfoListNode** node, int count) const;
    bool getPrevNode(wxCDataInfoListNode** node, int count) const;

    // The first node at or after start (before, searching backward) whose item kind is in
    // typeMask. Returns true and sets *found when there is one; otherwise returns false and
    // leaves *found alone.
    bool getNodeOfDataInfoTypeCommon(eSearchDirection direction, eDataInfoType typeMask,
                                     wxCDataInfoListNode* start, wxCDataInfoListNode** found) const;

    // The number of the nearest shown page marker at or before node, in *pageNum; 0 when there
    // is none. Hidden pages (kind 2) are passed over, as reading never shows them. Returns false
    // for a null node.
    bool getPageNum(const wxCDataInfoListNode* node, unsigned int* pageNum) const;

    CLinkInfo* getLinkAt(wxCLinkInfoListNode* node) const;
    CTagInfo* getTagAtNode(wxCTagInfoListNode* node) const;
    CPageManager* getPageManager() { return &pageManager; }
    CEmailItemAttachmentManager* getEmailItemAttachmentManager() { return nullptr; }

    // Writes the data stored under name to a file in the document's private folder (created on
    // first use) and gives its path. The same name always gives the same path; the file is
    // rewritten on every call so that a host that deleted it gets it back. Returns false, and
    // leaves *path alone, when no data has that name, the kind is unknown, or the file cannot be
    // written.
    bool getLinkFileDataStoreAsFile(eLinkFileDataInfoType kind, const char* name, wxString* path);

    // --- What the document says of itself ---

    // One entry of a book's table of contents: its title, its depth (0 for the top level), and
    // the index in the item list where its part begins.
    struct SContentsEntry {
        wxString title;
        int level;
        size_t itemIndex;
    };

    // The title (an EPUB's metadata, an HTML title); empty when the document names none.
    const wxString& getTitle() const { return title; }
    void setTitle(const wxString& text) { title = text; }
    // The language the document says it is written in, a BCP 47 tag ("en", "fr-CA"; an EPUB's
    // dc:language, the lang of an HTML page); empty when it says none.
    const std::string& getLanguage() const { return language; }
    void setLanguage(const std::string& tag) { language = tag; }
    // The table of contents in reading order; empty when the document has none.
    const std::vector<SContentsEntry>& getContents() const { return contents; }
    // Adds an entry; entries are expected in the order of their item indexes.
    void addContentsEntry(const wxString& entryTitle, int level, size_t itemIndex);
    // The last entry that begins at or before itemIndex: the part being read there; null before
    // the first entry.
    const SContentsEntry* getContentsEntryAt(size_t itemIndex) const;
    // The notes (footnotes, endnotes, asides) taken out of the reading flow, numbered from 1:
    // a rapid note reference item names one by its number where the text refers to it.
    // addNote gives the new note's number; a reference met before its note adds it empty, and
    // setNote fills it in once read. getNote is null for a number the document does not have.
    unsigned int addNote(const wxString& text);
    void setNote(unsigned int number, const wxString& text);
    const wxString* getNote(unsigned int number) const;
    size_t getNoteCount() const { return notes.size(); }
    // Where the body of a book begins, past its cover, title page and contents: the index in the
    // item list of its first item; 0 (the beginning) when the document says nothing of it.
    size_t getBodyStart() const { return bodyStart; }
    void setBodyStart(size_t itemIndex) { bodyStart = itemIndex; }

    // --- Building the document ---

    // What a document may hold: its items, and the bytes of its words' texts. The builder owns
    // the record, and the document sets reached when it refuses an append for it (and
    // textReached when for the text), so that the builder can tell a document cut short by its
    // limits after the document is gone.
    struct SLimits {
        size_t maxItems = SIZE_MAX;
        size_t maxTextBytes = SIZE_MAX;
        bool reached = false;
        bool textReached = false;
    };
    // Holds the document to the limits, which must outlive its building (null: none, the
    // default). Beyond either, an append appends nothing and gives null.
    void setLimits(SLimits* documentLimits) { limits = documentLimits; }
    // Whether an append was refused for the limits: a builder reads no further.
    bool isFull() const { return limits != nullptr && limits->reached; }
    // The bytes of the words' texts appended so far, without their ends.
    size_t getTextBytes() const { return textBytes; }

    // Records, referred to by the items appended afterwards.
    wxCLinkInfoListNode* addLink(eLinkInfoType type, const wxString& data,
                                 const wxString& param = wxString());
    wxCTagInfoListNode* addTag(const wxColour& colour, bool flag = false);
    wxCPageInfoListNode* addPage(unsigned int pageType, unsigned int pageNum);

    // Stores file data under name, replacing what was stored under it before.
    void storeLinkFileData(const wxString& name, const void* data, size_t size);
    bool hasLinkFileData(const wxString& name) const;

    // Items, appended at the end; each returns the new item's node (null beyond the limits).
    wxCDataInfoListNode* appendWord(const char* word, const CStyleInfo& style = CStyleInfo(),
                                    wxCLinkInfoListNode* backgroundLink = nullptr,
                                    wxCTagInfoListNode* fontColourTag = nullptr);
    wxCDataInfoListNode* appendSpace();
    wxCDataInfoListNode* appendNewline();
    wxCDataInfoListNode* appendRest(unsigned int units);
    wxCDataInfoListNode* appendSustain(unsigned int units);
    wxCDataInfoListNode* appendLinkInfoRef(wxCLinkInfoListNode* link);
    // A null tag resets the text colour.
    wxCDataInfoListNode* appendTagInfoRef(wxCTagInfoListNode* tag);
    // Null, and nothing appended, unless page is one of this document's page records.
    wxCDataInfoListNode* appendPageInfoRef(wxCPageInfoListNode* page);
    // Note and dogear references, email items: type is one of eDITCourseNoteRef,
    // eDITGlossaryNoteRef, eDITRapidNoteRef, eDITUserNoteRef, eDITDogearRef, eDITEmailItem.
    wxCDataInfoListNode* appendValueRef(eDataInfoType type, unsigned int value);
    wxCDataInfoListNode* appendChangeView(CDITChangeView::eViewType viewType);
    wxCDataInfoListNode* appendFlitCommand(CDITFlitCommand::eFlitCommandType type);
    // Items that carry nothing but their kind: space, newline, assessment review and the three
    // email attachment kinds.
    wxCDataInfoListNode* appendMarker(eDataInfoType type);
    // Takes ownership of any item made with new; a page marker without one of this document's
    // page records is deleted and refused (null).
    wxCDataInfoListNode* appendItem(CDataInfo* item);

private:
    // The toolkit's list of the items, whose nodes are placed in the document's item arena
    // rather than allocated one by one. The document only appends, so no node is ever deleted
    // singly; when the list goes, it detaches and ends its nodes and the arena frees them.
    class CArenaList : public CDataInfoList {
    public:
        explicit CArenaList(CBlockArena* nodeArena) : arena(nodeArena) {}
        ~CArenaList() override;
        CArenaList(const CArenaList&) = delete;
        CArenaList& operator=(const CArenaList&) = delete;

    protected:
        wxNodeBase* CreateNode(wxNodeBase* prev, wxNodeBase* next, void* data,
                               const wxListKey& key) override;

    private:
        CBlockArena* arena;
    };

    // An item of class T, made in the item arena.
    template <typename T, typename... Args> T* makeItem(Args... args);
    // Makes an item of class T and appends it, when the limits admit one more item.
    template <typename T, typename... Args> wxCDataInfoListNode* appendMade(Args... args);
    bool ensurePrivateFolder();
    // Whether one more item, whose text (if a word) is textLength bytes, stays within the
    // limits, counting its text when it does; when not, says so in them.
    bool admits(size_t textLength = 0);

    // The arenas are declared before the list so that they outlive it. The item arena holds the
    // list's nodes and the items the document makes; the text arena holds the words' texts.
    CBlockArena itemArena;
    CBlockArena textArena;
    // Every space and every newline of the document is one of these two items: they carry
    // nothing but their kind, and a long text has a million of them.
    CDITSpace sharedSpace;
    CDITNewline sharedNewline;
    // The items given to appendItem, which were made with new and are deleted with the
    // document.
    std::vector<CDataInfo*> adoptedItems;
    CArenaList items{&itemArena};
    CLinkInfoList links;
    CTagInfoList tags;
    CPageManager pageManager;
    wxString title;
    std::string language;
    std::vector<SContentsEntry> contents;
    std::vector<wxString> notes;
    size_t bodyStart = 0;
    SLimits* limits = nullptr;
    size_t textBytes = 0;

    // Guards linkFileData, linkFileNames and privateFolder: the host adds data on its thread
    // while the presentation thread writes files out.
    mutable std::mutex linkFileMutex;
    std::map<wxString, std::string> linkFileData;
    // The file name, inside privateFolder, given to each name written out so far.
    std::map<wxString, wxString> linkFileNames;
    wxString privateFolder;
};

#endif
