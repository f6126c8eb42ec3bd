#ifndef FLIT_APP_LINKNOTICES_H
#define FLIT_APP_LINKNOTICES_H

#include <wx/string.h>

#include <chrono>

class CDataManager;
class wxCDataInfoListNode;

// What the items flashed leave for the user to act on: the address of the last link flashed,
// named for a moment for L to open, and the attachment just announced, for A to read rather
// than skip until the next email item. Needs no window.
class CLinkNotices {
public:
    using Clock = std::chrono::steady_clock;
    // How long the status bar names a link after it was flashed.
    static constexpr std::chrono::seconds kLinkMoment{5};

    explicit CLinkNotices(const CDataManager* read = nullptr) : document(read) {}

    // A chunk flashed for node at the time given; true when it was a link, whose address is
    // then named.
    bool noticeItem(wxCDataInfoListNode* node, const wxString& chunk, Clock::time_point now);
    // What the status bar says about the link last flashed; empty once its moment is over.
    wxString linkNotice(Clock::time_point now) const;
    // Milliseconds until the link notice's moment is over (0 when due); -1 without a notice.
    long long noticeLeftMs(Clock::time_point now) const;
    // The address of the last link flashed in this document; empty before any.
    const wxString& getLinkAddress() const { return linkAddress; }
    // The addresses the reader hands to the browser (web, mail and file); others could run
    // programs or open arbitrary schemes.
    static bool isOpenable(const wxString& address);

    // The first word of the attachment just announced, which the skip after the announcement
    // jumps over; null when none was announced or it has no words. The announcement is
    // forgotten when one is found.
    wxCDataInfoListNode* takeAttachment();

private:
    const CDataManager* document;
    wxString linkAddress;
    Clock::time_point linkShownAt;
    wxCDataInfoListNode* announcedAttachment = nullptr;
};

#endif
