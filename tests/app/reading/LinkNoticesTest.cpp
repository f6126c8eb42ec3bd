// What the items flashed leave to act on: the last link's address for a moment, and the
// attachment just announced.

#include "reading/LinkNotices.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

namespace {

TEST(LinkNoticesTest, NamesLinksForAMomentAndFindsTheAttachmentAnnounced) {
    CDocumentImporter importer;
    std::unique_ptr<CDataManager> document = importer.importText(
        "Calm.{link http://x.test}{mailto harbour@x.test}{email 0}{attachment announce}"
        "{attachment skip}Tide tables.{email 1}{attachment announce}{email 2}",
        CDocumentImporter::eMarkedUp, ".");
    ASSERT_NE(nullptr, document);
    CLinkNotices notices(document.get());
    const CLinkNotices::Clock::time_point start;
    using std::chrono::milliseconds;
    EXPECT_EQ(nullptr, notices.takeAttachment());
    const struct {
        int type;
        const char* address; // the address named after the item's word
        const char* target;  // the word the attachment key goes to, or null
    } items[] = {
        {eDITWord, "", nullptr},
        {eDITLinkInfoRef, "http://x.test", nullptr},
        {eDITLinkInfoRef, "mailto:harbour@x.test", nullptr},
        {eDITEmailItem, "mailto:harbour@x.test", nullptr},
        {eDITEmailItemAttachmentAnnounce, "mailto:harbour@x.test", "Tide"},
        // The next email passes the attachment by; the last has no words.
        {eDITEmailItem, "mailto:harbour@x.test", nullptr},
        {eDITEmailItemAttachmentAnnounce, "mailto:harbour@x.test", nullptr},
    };
    wxCDataInfoListNode* node = document->getFirstNode();
    for (const auto& item : items) {
        SCOPED_TRACE(item.type);
        while (node->GetData()->getDataInfoType() != item.type) {
            node = node->GetNext();
        }
        const bool link = item.type == eDITLinkInfoRef;
        EXPECT_EQ(link, notices.noticeItem(node, link ? CFlashedWords::kLinkWord : "x", start));
        EXPECT_EQ(item.address, notices.getLinkAddress());
        wxCDataInfoListNode* target = notices.takeAttachment();
        EXPECT_EQ(item.target != nullptr, target != nullptr);
        if (target != nullptr) {
            EXPECT_STREQ(item.target, static_cast<const CDITWord*>(target->GetData())->getWord());
            EXPECT_EQ(nullptr, notices.takeAttachment()); // taken once
        }
        node = node->GetNext();
    }
    // The notice lasts its moment.
    EXPECT_EQ("Link: mailto:harbour@x.test (L opens it)", notices.linkNotice(start));
    EXPECT_EQ(4000, notices.noticeLeftMs(start + milliseconds(1000)));
    EXPECT_EQ(0, notices.noticeLeftMs(start + CLinkNotices::kLinkMoment));
    EXPECT_EQ("", notices.linkNotice(start + CLinkNotices::kLinkMoment + milliseconds(1)));
    EXPECT_EQ(-1, notices.noticeLeftMs(start + CLinkNotices::kLinkMoment + milliseconds(1)));

    const std::pair<const char*, bool> addresses[] = {
        {"http://x.test", true}, {"HTTPS://x.test", true},   {"mailto:a@b", true},
        {"file:///tmp/a", true}, {"gopher://x.test", false}, {"javascript:x", false}};
    for (const auto& [address, openable] : addresses) {
        EXPECT_EQ(openable, CLinkNotices::isOpenable(address)) << address;
    }
}

} // namespace
