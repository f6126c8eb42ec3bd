#include "outside/DataInfo.h"

#include <wx/listimpl.cpp>

WX_DEFINE_LIST(CDataInfoList)

// Out of line so that the class has one home for its vtable.
CDataInfo::~CDataInfo() = default;

CDITWord::CDITWord(const char* text, const CStyleInfo& style, wxCLinkInfoListNode* backgroundLink,
                   wxCTagInfoListNode* fontColourTag)
    : CDataInfo(eDITWord), word(text != nullptr ? text : ""), styleInfo(style),
      backgroundLinkInfoNode(backgroundLink), fontColourTagInfoListNode(fontColourTag) {}
