#include "outside/DataInfo.h"

// The toolkit's list implementation is a source file, included where the list is defined.
#include <wx/listimpl.cpp> // NOLINT(bugprone-suspicious-include)

WX_DEFINE_LIST(CDataInfoList)

// Out of line so that the class has one home for its vtable.
CDataInfo::~CDataInfo() = default;

CDITWord::CDITWord(const char* text, const CStyleInfo& style, wxCLinkInfoListNode* backgroundLink,
                   wxCTagInfoListNode* fontColourTag)
    : CDataInfo(eDITWord), word(text != nullptr ? text : ""), styleInfo(style),
      backgroundLinkInfoNode(backgroundLink), fontColourTagInfoListNode(fontColourTag) {}
