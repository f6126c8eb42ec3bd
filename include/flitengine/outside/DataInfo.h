#ifndef FLIT_OUTSIDE_DATAINFO_H
#define FLIT_OUTSIDE_DATAINFO_H

#include <flitengine/FlitExport.h>
#include <flitengine/outside/DocumentRecords.h>
#include <flitengine/outside/StyleInfo.h>

#include <cstddef>
#include <cstdint>

// The kind of a document item, one bit each, so that a search can ask for several kinds at once
// with a mask (for instance word | space | newline).
enum eDataInfoType {
    eDITWord = 0x1,
    eDITSpace = 0x2,
    eDITNewline = 0x4,
    eDITLinkInfoRef = 0x8,
    eDITRest = 0x10,
    eDITSustain = 0x20,
    eDITTagInfoRef = 0x40,
    eDITCourseNoteRef = 0x80,
    eDITGlossaryNoteRef = 0x100,
    eDITRapidNoteRef = 0x200,
    eDITUserNoteRef = 0x400,
    eDITDogearRef = 0x800,
    eDITPageInfoRef = 0x1000,
    eDITAssessmentReview = 0x2000,
    eDITEmailItem = 0x4000,
    eDITEmailItemAttachmentAnnounce = 0x8000,
    eDITEmailItemAttachmentSkip = 0x10000,
    eDITEmailItemAttachmentInfoRef = 0x20000,
    eDITChangeView = 0x40000,
    eDITFlitCommand = 0x80000,
};

// One item of a document. Items are created by the document (CDataManager), which owns them;
// readers downcast them by run-time type after looking at getDataInfoType().
class FLIT_EXPORT CDataInfo {
public:
    explicit CDataInfo(eDataInfoType type) : dataInfoType(type) {}
    virtual ~CDataInfo();
    CDataInfo(const CDataInfo&) = delete;
    CDataInfo& operator=(const CDataInfo&) = delete;

    eDataInfoType getDataInfoType() const { return dataInfoType; }

private:
    eDataInfoType dataInfoType;
};

// Items that carry nothing but their kind.
class FLIT_EXPORT CDITSpace : public CDataInfo {
public:
    CDITSpace() : CDataInfo(eDITSpace) {}
};

class FLIT_EXPORT CDITNewline : public CDataInfo {
public:
    CDITNewline() : CDataInfo(eDITNewline) {}
};

class FLIT_EXPORT CDITAssessmentReview : public CDataInfo {
public:
    CDITAssessmentReview() : CDataInfo(eDITAssessmentReview) {}
};

class FLIT_EXPORT CDITEmailItemAttachmentAnnounce : public CDataInfo {
public:
    CDITEmailItemAttachmentAnnounce() : CDataInfo(eDITEmailItemAttachmentAnnounce) {}
};

class FLIT_EXPORT CDITEmailItemAttachmentSkip : public CDataInfo {
public:
    CDITEmailItemAttachmentSkip() : CDataInfo(eDITEmailItemAttachmentSkip) {}
};

class FLIT_EXPORT CDITEmailItemAttachmentInfoRef : public CDataInfo {
public:
    CDITEmailItemAttachmentInfoRef() : CDataInfo(eDITEmailItemAttachmentInfoRef) {}
};

// A word: its UTF-8 text, its style, and optionally its own background link and font colour
// tag (null when it has none).
//
// A long book has a million of these, so the item holds only its style and a pointer to its
// text (24 bytes on a 64-bit system). A short word of a document (most words: up to seven
// bytes) without a link or a tag is held in the pointer's place instead. A longer text is laid
// out elsewhere, behind the link and the tag when the word has either: in the document's text
// arena for the words a document makes, and in a copy that the item owns for a word made on
// its own.
class FLIT_EXPORT CDITWord : public CDataInfo {
public:
    // A word on its own: the text is copied.
    CDITWord(const char* word, const CStyleInfo& style, wxCLinkInfoListNode* backgroundLink,
             wxCTagInfoListNode* fontColourTag);
    ~CDITWord() override;

    const char* getWord() const { return (flags & kInlineText) != 0 ? inlineText : word; }
    CStyleInfo& getStyleInfo() { return styleInfo; }
    wxCLinkInfoListNode* getBackgroundLinkInfoNode() const {
        return (flags & kHasLinks) != 0 ? linksOf(word)->backgroundLink : nullptr;
    }
    wxCTagInfoListNode* getFontColourTagInfoListNode() const {
        return (flags & kHasLinks) != 0 ? linksOf(word)->fontColourTag : nullptr;
    }

private:
    friend class CDataManager;

    // What a word with a link or a tag keeps just before its text.
    struct SLinks {
        wxCLinkInfoListNode* backgroundLink;
        wxCTagInfoListNode* fontColourTag;
    };
    static constexpr std::uint16_t kHasLinks = 0x1;
    static constexpr std::uint16_t kOwnsText = 0x2;
    static constexpr std::uint16_t kInlineText = 0x4;
    // The longest text, in bytes, held in the item itself: its null takes the last byte.
    static constexpr std::size_t kMaxInlineBytes = sizeof(const char*) - 1;

    static const SLinks* linksOf(const char* text) {
        return reinterpret_cast<const SLinks*>(text) - 1;
    }
    // The bytes, and their alignment, that layOut needs for a text of length bytes.
    static std::size_t layoutBytes(std::size_t length, bool withLinks);
    static std::size_t layoutAlignment(bool withLinks);
    // Writes the links (when either is set) and the text with its null into storage; returns
    // where the text starts.
    static const char* layOut(void* storage, const char* text, std::size_t length,
                              wxCLinkInfoListNode* backgroundLink,
                              wxCTagInfoListNode* fontColourTag);

    // A document's word, whose text (and links, as flags say) the document laid out.
    CDITWord(const char* laidOutWord, const CStyleInfo& style, std::uint16_t wordFlags)
        : CDataInfo(eDITWord), styleInfo(style), flags(wordFlags), word(laidOutWord) {}

    // A document's short word, held in the item.
    CDITWord(const char* text, std::size_t length, const CStyleInfo& style);

    CStyleInfo styleInfo;
    std::uint16_t flags;
    union {
        const char* word;
        char inlineText[sizeof(const char*)];
    };
};

// Base of the items that carry one unsigned count or reference number.
class FLIT_EXPORT CDITSize_tRefBase : public CDataInfo {
public:
    CDITSize_tRefBase(eDataInfoType type, unsigned int initialValue)
        : CDataInfo(type), value(initialValue) {}

    unsigned int getValue() const { return value; }

private:
    unsigned int value;
};

// A timed blank of this many units.
class FLIT_EXPORT CDITRest : public CDITSize_tRefBase {
public:
    explicit CDITRest(unsigned int units) : CDITSize_tRefBase(eDITRest, units) {}
};

// Extra display time, in units, for the next word.
class FLIT_EXPORT CDITSustain : public CDITSize_tRefBase {
public:
    explicit CDITSustain(unsigned int units) : CDITSize_tRefBase(eDITSustain, units) {}
};

class FLIT_EXPORT CDITCourseNoteRef : public CDITSize_tRefBase {
public:
    explicit CDITCourseNoteRef(unsigned int note) : CDITSize_tRefBase(eDITCourseNoteRef, note) {}
};

class FLIT_EXPORT CDITGlossaryNoteRef : public CDITSize_tRefBase {
public:
    explicit CDITGlossaryNoteRef(unsigned int note)
        : CDITSize_tRefBase(eDITGlossaryNoteRef, note) {}
};

class FLIT_EXPORT CDITRapidNoteRef : public CDITSize_tRefBase {
public:
    explicit CDITRapidNoteRef(unsigned int note) : CDITSize_tRefBase(eDITRapidNoteRef, note) {}
};

class FLIT_EXPORT CDITUserNoteRef : public CDITSize_tRefBase {
public:
    explicit CDITUserNoteRef(unsigned int note) : CDITSize_tRefBase(eDITUserNoteRef, note) {}
};

class FLIT_EXPORT CDITDogearRef : public CDITSize_tRefBase {
public:
    explicit CDITDogearRef(unsigned int dogear) : CDITSize_tRefBase(eDITDogearRef, dogear) {}
};

// An email item; its value is the item's index, counted from 0.
class FLIT_EXPORT CDITEmailItem : public CDITSize_tRefBase {
public:
    explicit CDITEmailItem(unsigned int index) : CDITSize_tRefBase(eDITEmailItem, index) {}
};

// A reference to one of the document's links (background, graphic, sound, ...).
class FLIT_EXPORT CDITLinkInfoRef : public CDataInfo {
public:
    explicit CDITLinkInfoRef(wxCLinkInfoListNode* node)
        : CDataInfo(eDITLinkInfoRef), linkInfoListNode(node) {}

    wxCLinkInfoListNode* getLinkInfoListNode() const { return linkInfoListNode; }

private:
    wxCLinkInfoListNode* linkInfoListNode;
};

// A change of text colour: to the tag's colour, or back to the default when the node is null.
// The engine also builds these locally from a word's font colour tag.
class FLIT_EXPORT CDITTagInfoRef : public CDataInfo {
public:
    explicit CDITTagInfoRef(wxCTagInfoListNode* node)
        : CDataInfo(eDITTagInfoRef), tagInfoListNode(node) {}

    wxCTagInfoListNode* getTagInfoListNode() const { return tagInfoListNode; }

private:
    wxCTagInfoListNode* tagInfoListNode;
};

// A page marker.
class FLIT_EXPORT CDITPageInfoRef : public CDataInfo {
public:
    explicit CDITPageInfoRef(wxCPageInfoListNode* node)
        : CDataInfo(eDITPageInfoRef), pageInfoListNode(node) {}

    wxCPageInfoListNode* getPageInfoListNode() const { return pageInfoListNode; }

private:
    wxCPageInfoListNode* pageInfoListNode;
};

// A switch of the host's view.
class FLIT_EXPORT CDITChangeView : public CDataInfo {
public:
    enum eViewType : unsigned int {
        eViewReading = 0,
        eViewStop = 1,
        eViewOverview = 2,
        eViewNone = 3,
        eViewAssessment = 4,
    };

    explicit CDITChangeView(eViewType view) : CDataInfo(eDITChangeView), viewType(view) {}

    eViewType getViewType() const { return viewType; }

private:
    eViewType viewType;
};

// A command embedded in the document.
class FLIT_EXPORT CDITFlitCommand : public CDataInfo {
public:
    enum eFlitCommandType : unsigned int {
        eFlitCommandStop = 0,
    };

    explicit CDITFlitCommand(eFlitCommandType command)
        : CDataInfo(eDITFlitCommand), type(command) {}

    eFlitCommandType getType() const { return type; }

private:
    eFlitCommandType type;
};

// The document's item list; its node type is wxCDataInfoListNode. (The toolkit's macro writes
// the node's copy constructor.)
// NOLINTNEXTLINE(bugprone-copy-constructor-init)
WX_DECLARE_USER_EXPORTED_LIST(CDataInfo, CDataInfoList, FLIT_EXPORT);

#endif
