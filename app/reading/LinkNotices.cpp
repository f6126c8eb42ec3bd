#include "reading/LinkNotices.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/outside/DataManager.h>

#include <algorithm>

bool CLinkNotices::noticeItem(wxCDataInfoListNode* node, const wxString& chunk,
                              Clock::time_point now) {
    const int type = node != nullptr ? node->GetData()->getDataInfoType() : 0;
    if (type == eDITEmailItemAttachmentAnnounce) {
        announcedAttachment = node;
    } else if (type == eDITEmailItem) {
        // The next email: the attachment announced before it was passed by.
        announcedAttachment = nullptr;
    }
    if (chunk != CFlashedWords::kLinkWord || type != eDITLinkInfoRef) {
        return false;
    }
    const CLinkInfo* link = document->getLinkAt(
        static_cast<const CDITLinkInfoRef*>(node->GetData())->getLinkInfoListNode());
    if (link == nullptr || link->linkData.empty()) {
        return false;
    }
    linkAddress = link->linkData;
    if (link->linkType == eLinkMailto && !linkAddress.Lower().StartsWith("mailto:")) {
        linkAddress = "mailto:" + linkAddress;
    }
    linkShownAt = now;
    return true;
}

wxString CLinkNotices::linkNotice(Clock::time_point now) const {
    if (linkAddress.empty() || now - linkShownAt > kLinkMoment) {
        return wxString();
    }
    return wxString::Format("Link: %s (L opens it)", linkAddress);
}

long long CLinkNotices::noticeLeftMs(Clock::time_point now) const {
    if (linkNotice(now).empty()) {
        return -1;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(linkShownAt + kLinkMoment - now);
    return std::max<long long>(left.count(), 0);
}

bool CLinkNotices::isOpenable(const wxString& address) {
    const wxString lower = address.Lower();
    for (const char* scheme : {"http://", "https://", "mailto:", "file:"}) {
        if (lower.StartsWith(scheme)) {
            return true;
        }
    }
    return false;
}

wxCDataInfoListNode* CLinkNotices::takeAttachment() {
    // Reading goes on from the first word that reading on would pass over: the attachment's
    // text, between the skip and the next email item.
    wxCDataInfoListNode* target = nullptr;
    bool passingOver = false;
    for (wxCDataInfoListNode* node = announcedAttachment; node && target == nullptr;
         node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() == eDITEmailItem) {
            break;
        }
        passingOver = CFlashedWords::passesOver(node, passingOver);
        if (passingOver && node->GetData()->getDataInfoType() == eDITWord) {
            target = node;
        }
    }
    if (target != nullptr) {
        announcedAttachment = nullptr;
    }
    return target;
}
