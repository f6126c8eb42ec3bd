#include "FlitEngineTestSupport.h"

#include "timing/FlitWordCalcs.h"

#include <functional>
#include <sstream>
#include <string>

namespace {

using D = CDataManager;
using FAppend = std::function<wxCDataInfoListNode*(D&)>;

// Appends one item through the document's own append operation.
template <typename... P, typename... A>
FAppend call(wxCDataInfoListNode* (D::*append)(P...), A... args) {
    return [=](D& d) { return (d.*append)(args...); };
}

FAppend linkRef(eLinkInfoType type, const char* data, const char* param = "") {
    return [=](D& d) { return d.appendLinkInfoRef(d.addLink(type, data, param)); };
}

// The log of the words flashed for the node, each with its blank, the given number of times.
std::string flash(const char* words, int times = 1, int node = 1) {
    std::string all;
    for (int time = 0; time < times; ++time) {
        std::istringstream stream(words);
        for (std::string word; stream >> word;) {
            const std::string at = " w @" + std::to_string(node);
            all += (all.empty() ? "" : ", ") + word + at + ", _" + at;
        }
    }
    return all;
}

const wxColour kGreen(0, 90, 0);

// An item read between two words: what it posts after the first, whether reading goes on
// (eRunning) or stops on it, paused or stopped, the sleep it asks for (none when the
// milliseconds are -1), and the target speed it leaves.
struct SItemCase {
    FAppend append;
    std::string expected;
    CFlitManager::eStateType leaves = CFlitManager::eRunning;
    long hold = -1;
    int targetSpeed = 250;
    CFlitViewThread::eSleepAnchor from = kFromRender;
};

// Each item is read between the words gull and tern, from a start at gull. Where reading goes on
// and the row's log does not end with DONE, tern and DONE follow.
TEST_F(EngineTest, EachItemPostsItsEventsThenGoesOnOrStops) {
    const CFlitManager::eStateType R = CFlitManager::eRunning, P = CFlitManager::ePaused,
                                   X = CFlitManager::eStopped;
    const long kMax = 2147483000; // the longest hold, in whole seconds that fit an int in ms
    const std::string graphic = "BGRAPHIC pic w @1, DEFAULT_BACKGROUND w @2";
    const SItemCase cases[] = {
        {linkRef(eLinkLGraphic, "pic"), "BACKGROUND pic w @1, DEFAULT_BACKGROUND w @2"},
        {linkRef(eLinkBGraphic, "pic", "1"), graphic, R, 1000},
        {linkRef(eLinkBGraphic, "pic", "99999999999"), graphic, R, kMax},
        {linkRef(eLinkBGraphic, "pic", "wait"), "BGRAPHIC 1 pic w @1", P, 0},
        {linkRef(eLinkBGraphic, "pic", "-3"), graphic, R, 0},
        {linkRef(eLinkSound, "snd"), "SOUND snd @1"},
        {linkRef(eLinkBackground, "pic"), "BACKGROUND pic w @1"},
        {linkRef(eLinkBackground, "pic", "2"), "BACKGROUND pic w @1", R, 2000},
        // Negative or unreadable hold times mean no hold; none may turn into an endless sleep.
        {linkRef(eLinkBackground, "pic", "-5"), "BACKGROUND pic w @1", R, 0},
        {linkRef(eLinkBackground, "pic", "abc"), "BACKGROUND pic w @1", R, 0},
        {linkRef(eLinkBackground, "pic", "-99999999999999999999"), "BACKGROUND pic w @1", R, 0},
        {linkRef(eLinkBackground, "pic", "99999999999999999999"), "BACKGROUND pic w @1", R, kMax},
        {linkRef(eLinkSpeed, "400"), "SPEED 400 @1", R, -1, 400},
        {linkRef(eLinkSpeed, "2000"), "SPEED 2000 @1", R, -1, 950},
        {linkRef(eLinkSpeed, "-50"), "SPEED -50 @1", R, -1, 100},
        {linkRef(eLinkAssessment, "quiz 7"),
         "assessment ASSESSMENT quiz 7 w @1, main CHANGE_VIEW 3 @1", X},
        {linkRef(eLinkVideo, "clip.mp4"), ""},
        {linkRef(static_cast<eLinkInfoType>(3), "x"), ""},
        {linkRef(eLinkWeb, "http://example.org"), flash("<LINK>")},
        {linkRef(eLinkMailto, "a@example.org"), flash("<LINK>")},
        {call(&D::appendValueRef, eDITGlossaryNoteRef, 7), "GLOSSARY_NOTE 7 @1"},
        {call(&D::appendValueRef, eDITCourseNoteRef, 8), "COURSE_NOTE 8 @1"},
        {call(&D::appendValueRef, eDITRapidNoteRef, 9), "RAPID_NOTE 9 @1"},
        {call(&D::appendValueRef, eDITUserNoteRef, 10), "USER_NOTE 10 @1"},
        {call(&D::appendValueRef, eDITDogearRef, 11), "DOGEAR 11 @1"},
        {call(&D::appendValueRef, eDITEmailItem, 0), flash("Email Item # 1")},
        {call(&D::appendMarker, eDITEmailItemAttachmentAnnounce),
         flash("Press 'A' to read attachment", 3)},
        {call(&D::appendChangeView, CDITChangeView::eViewReading), "main CHANGE_VIEW 0 @1", X},
        {call(&D::appendChangeView, CDITChangeView::eViewStop), "STOP @1"},
        {call(&D::appendChangeView, CDITChangeView::eViewOverview), "main CHANGE_VIEW 2 @1", X},
        {call(&D::appendChangeView, CDITChangeView::eViewNone), ""},
        {call(&D::appendChangeView, CDITChangeView::eViewAssessment), "main CHANGE_VIEW 3 @1", X},
        {call(&D::appendFlitCommand, CDITFlitCommand::eFlitCommandStop), "STOP @1"},
        {call(&D::appendFlitCommand, static_cast<CDITFlitCommand::eFlitCommandType>(1)), ""},
        {call(&D::appendMarker, eDITAssessmentReview),
         "assessment ASSESSMENT_REVIEW w, main CHANGE_VIEW 3 @1", X},
        // A skip jumps over everything up to the next email item, or to the end.
        {[](D& d) {
             wxCDataInfoListNode* skip = d.appendMarker(eDITEmailItemAttachmentSkip);
             d.appendWord("hidden");
             d.appendValueRef(eDITEmailItem, 2);
             return skip;
         },
         flash("Email Item # 3", 1, 3) + ", tern w @4, _ w @4, DONE"},
        {call(&D::appendMarker, eDITEmailItemAttachmentSkip), "DONE"},
        {[](D& d) { return d.appendTagInfoRef(d.addTag(kGreen)); }, "TEXT_COLOUR 0 #005A00 @1"},
        // A tag whose colour is invalid is posted as it is, its colour never read.
        {[](D& d) { return d.appendTagInfoRef(d.addTag(wxColour(), true)); }, "TEXT_COLOUR 1 @1"},
        {call(&D::appendTagInfoRef, nullptr), "RESET_TEXT_COLOUR @1"},
        {[](D& d) { return d.appendPageInfoRef(d.addPage(0, 7)); }, "PAGE_NUM 7 @1"},
        {[](D& d) { return d.appendPageInfoRef(d.addPage(CPageInfo::kHiddenPageType, 8)); }, ""},
        // Items without handlers are passed over.
        {call(&D::appendSpace), ""},
        {call(&D::appendNewline), ""},
        {call(&D::appendMarker, eDITEmailItemAttachmentInfoRef), ""},
        // A rest's blank waits for no render: its delay counts from the post.
        {call(&D::appendRest, 2), "_ @1", R, CFlitWordCalcs().calcRestDelay(2, 250), 250,
         kFromPost},
        {call(&D::appendSustain, 2), ""},
    };
    for (const SItemCase& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        reset();
        for (const char* name : {"pic", "snd"}) {
            document->storeLinkFileData(name, name, 3);
        }
        document->appendWord("gull");
        wxCDataInfoListNode* item = c.append(*document);
        document->appendWord("tern");
        manager->setWordDisplayLength(10);
        ASSERT_TRUE(initialize());
        send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
        std::string expected = "DEFAULT_BACKGROUND w @0, RESET_TEXT_COLOUR @0, SPEED 250 @0, "
                               "PAGE_NUM 0 @0, gull w @0, _ w @0";
        expected += c.expected.empty() ? "" : ", " + c.expected;
        const bool goesOn = c.leaves == R && expected.rfind("DONE") != expected.size() - 4;
        expected += goesOn ? ", tern w @2, _ w @2, DONE" : "";
        host.waitFor([&] { return log() == expected; });
        if (c.leaves != R) {
            // Nothing more may follow an item that stops reading; after DONE nothing can.
            host.pumpFor(kQuietPeriod);
        }
        EXPECT_EQ(expected, log());

        // gull's two sleeps, the item's own, then one for each flash and each blank it waited
        // for.
        const std::vector<SSleep> requested = sleeps();
        const size_t ownSleeps = c.hold >= 0 ? 1 : 0;
        size_t waitedWords = 0;
        for (const SRecordedEvent& event : host.events()) {
            waitedWords += event.type == EVT_FLIT_COMMAND_WORD_MSG && event.waitedFor ? 1 : 0;
        }
        EXPECT_EQ(waitedWords + ownSleeps, requested.size());
        if (ownSleeps == 1 && requested.size() > 2) {
            EXPECT_EQ(SSleep(c.hold, c.from), requested[2]);
        }
        EXPECT_EQ(c.targetSpeed, manager->getTargetSpeed());
        EXPECT_EQ(c.leaves == R ? X : c.leaves, manager->getState());
        EXPECT_EQ(c.leaves == R ? nullptr : item, manager->getDataInfoListNode())
            << "the cursor stays on an item that stops reading";
    }
}

} // namespace
