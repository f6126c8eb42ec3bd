#include "outside/DocumentRecords.h"

#include <wx/listimpl.cpp>

WX_DEFINE_LIST(CLinkInfoList)
WX_DEFINE_LIST(CTagInfoList)
WX_DEFINE_LIST(CPageInfoList)

// Gives the constant an address, for code that binds it to a reference.
const unsigned int CPageInfo::kHiddenPageType;
