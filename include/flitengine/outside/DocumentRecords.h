#ifndef FLIT_OUTSIDE_DOCUMENTRECORDS_H
#define FLIT_OUTSIDE_DOCUMENTRECORDS_H

#include <flitengine/FlitExport.h>

#include <wx/colour.h>
#include <wx/list.h>
#include <wx/string.h>

// The records that document items refer to: links, text-colour tags and page markers. Each kind
// lives in its own list owned by the document; items hold the list nodes.

// Kinds of link, one bit each.
enum eLinkInfoType {
    eLinkLGraphic = 1,
    eLinkBGraphic = 2,
    eLinkSound = 4,
    eLinkBackground = 8,
    eLinkSpeed = 16,
    eLinkAssessment = 32,
    eLinkVideo = 64,
    eLinkWeb = 128,
    eLinkMailto = 256,
};

// A link: its kind, its data (the name of its stored file data, a URL, an address, a speed or
// an assessment text) and an optional parameter (a hold time, "pause", ...).
class FLIT_EXPORT CLinkInfo {
public:
    CLinkInfo(int type, const wxString& data, const wxString& param)
        : linkType(type), linkData(data), linkParam(param) {}

    int linkType;
    wxString linkData;
    wxString linkParam;
};

// A text colour; tagFlag marks colours the author flagged for attention.
class FLIT_EXPORT CTagInfo {
public:
    CTagInfo(const wxColour& colour, bool flag) : tagColour(colour), tagFlag(flag) {}

    wxColour tagColour;
    bool tagFlag;
};

// A page marker's record. Pages of kind kHiddenPageType are never shown to the reader.
class FLIT_EXPORT CPageInfo {
public:
    static const unsigned int kHiddenPageType = 2;

    CPageInfo(unsigned int type, unsigned int num) : pageType(type), pageNum(num) {}

    unsigned int pageType;
    unsigned int pageNum;
};

// Node types wxCLinkInfoListNode, wxCTagInfoListNode and wxCPageInfoListNode. (The toolkit's
// macro writes each node's copy constructor.)
// NOLINTBEGIN(bugprone-copy-constructor-init)
WX_DECLARE_USER_EXPORTED_LIST(CLinkInfo, CLinkInfoList, FLIT_EXPORT);
WX_DECLARE_USER_EXPORTED_LIST(CTagInfo, CTagInfoList, FLIT_EXPORT);
WX_DECLARE_USER_EXPORTED_LIST(CPageInfo, CPageInfoList, FLIT_EXPORT);
// NOLINTEND(bugprone-copy-constructor-init)

#endif
