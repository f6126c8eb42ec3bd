#include <flitengine/outside/DataInfo.h>

// The toolkit's list implementation is a source file, included where the list is defined.
#include <wx/listimpl.cpp> // NOLINT(bugprone-suspicious-include)

#include <cstring>
#include <new>

WX_DEFINE_LIST(CDataInfoList)

// A word's item is its kind, its style and its flags in one pointer's room after the vtable, and
// the pointer to its text: what a million of them cost.
static_assert(sizeof(CDITWord) <= 2 * sizeof(void*) + 8, "a word's item has grown");

// Out of line so that the class has one home for its vtable.
CDataInfo::~CDataInfo() = default;

CDITWord::CDITWord(const char* text, const CStyleInfo& style, wxCLinkInfoListNode* backgroundLink,
                   wxCTagInfoListNode* fontColourTag)
    : CDataInfo(eDITWord), styleInfo(style),
      flags(static_cast<std::uint16_t>(backgroundLink != nullptr || fontColourTag != nullptr
                                           ? kOwnsText | kHasLinks
                                           : kOwnsText)),
      word(nullptr) {
    if (text == nullptr) {
        text = "";
    }
    const bool withLinks = (flags & kHasLinks) != 0;
    const std::size_t length = std::strlen(text);
    // operator new's memory is aligned for any object, the links included.
    word = layOut(::operator new(layoutBytes(length, withLinks)), text, length, backgroundLink,
                  fontColourTag);
}

CDITWord::CDITWord(const char* text, std::size_t length, const CStyleInfo& style)
    : CDataInfo(eDITWord), styleInfo(style), flags(kInlineText), inlineText() {
    std::memcpy(inlineText, text, length);
}

CDITWord::~CDITWord() {
    if ((flags & kOwnsText) != 0) {
        const void* start = (flags & kHasLinks) != 0 ? static_cast<const void*>(linksOf(word))
                                                     : static_cast<const void*>(word);
        ::operator delete(const_cast<void*>(start));
    }
}

std::size_t CDITWord::layoutBytes(std::size_t length, bool withLinks) {
    return (withLinks ? sizeof(SLinks) : 0) + length + 1;
}

std::size_t CDITWord::layoutAlignment(bool withLinks) {
    return withLinks ? alignof(SLinks) : 1;
}

const char* CDITWord::layOut(void* storage, const char* text, std::size_t length,
                             wxCLinkInfoListNode* backgroundLink,
                             wxCTagInfoListNode* fontColourTag) {
    char* out = static_cast<char*>(storage);
    if (backgroundLink != nullptr || fontColourTag != nullptr) {
        out = reinterpret_cast<char*>(new (storage) SLinks{backgroundLink, fontColourTag} + 1);
    }
    std::memcpy(out, text, length);
    out[length] = '\0';
    return out;
}
