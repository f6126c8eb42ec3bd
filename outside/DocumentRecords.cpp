#include <flitengine/outside/DocumentRecords.h>

// The toolkit's list implementation is a source file, included where the lists are defined.
#include <wx/listimpl.cpp> // NOLINT(bugprone-suspicious-include)

WX_DEFINE_LIST(CLinkInfoList)
WX_DEFINE_LIST(CTagInfoList)
WX_DEFINE_LIST(CPageInfoList)

// Gives the constant an address, for code that binds it to a reference.
const unsigned int CPageInfo::kHiddenPageType;
