#include "FlitEngineTestSupport.h"

#include "timing/FlitWordCalcs.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines operator+(Lines first, const Lines& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Each word flashed for the item (@1), and its blank.
Lines flash(std::initializer_list<const char*> words) {
    Lines lines;
    for (const char* word : words) {
        lines.push_back(std::string("WORD ") + word + " w @1");
        lines.push_back("WORD w @1");
    }
    return lines;
}

// Reading goes on to the word after the item (@2) and the end of the document; the word first
// shows the default background when a graphic left one pending.
Lines thenTern(bool backgroundFirst = false) {
    return (backgroundFirst ? Lines{"DEFAULT_BACKGROUND w @2"} : Lines{}) +
           Lines{"WORD tern w @2", "WORD w @2", "DONE"};
}

using FAppend = std::function<wxCDataInfoListNode*(CDataManager&)>;

FAppend linkRef(eLinkInfoType type, const char* data, const char* param = "") {
    return [=](CDataManager& d) { return d.appendLinkInfoRef(d.addLink(type, data, param)); };
}

FAppend valueRef(eDataInfoType type, unsigned int value) {
    return [=](CDataManager& d) { return d.appendValueRef(type, value); };
}

FAppend marker(eDataInfoType type) {
    return [=](CDataManager& d) { return d.appendMarker(type); };
}

FAppend tagRef(wxColour colour, bool flag) {
    return [=](CDataManager& d) { return d.appendTagInfoRef(d.addTag(colour, flag)); };
}

FAppend pageRef(unsigned int type, unsigned int number) {
    return [=](CDataManager& d) { return d.appendPageInfoRef(d.addPage(type, number)); };
}

FAppend changeView(CDITChangeView::eViewType view) {
    return [=](CDataManager& d) { return d.appendChangeView(view); };
}

FAppend command(int type) {
    return [=](CDataManager& d) {
        return d.appendFlitCommand(static_cast<CDITFlitCommand::eFlitCommandType>(type));
    };
}

// An item read between two words: what it posts (the word after it included), whether reading
// goes on (eRunning) or stops on it, paused or stopped, and the sleep it asks for (none when
// the milliseconds are -1).
struct SItemCase {
    const char* name;
    FAppend append;
    Lines expected;
    CFlitManager::eStateType leaves = CFlitManager::eRunning;
    int targetSpeed = 250;
    SSleep hold{-1, kFromRender};
};

void PrintTo(const SItemCase& c, std::ostream* os) {
    *os << c.name;
}

// The longest hold, in whole seconds that fit an int in milliseconds.
const long kLongestHold = 2147483000;

std::vector<SItemCase> itemCases() {
    using S = CFlitManager;
    const SSleep none{-1, kFromRender};
    Lines announcement;
    for (int i = 0; i < 3; ++i) {
        announcement = announcement + flash({"Press", "'A'", "to", "read", "attachment"});
    }
    return {
        {"LGraphic", linkRef(eLinkLGraphic, "pic.png"),
         Lines{"BACKGROUND pic.png w @1"} + thenTern(true)},
        {"BGraphicHolding",
         linkRef(eLinkBGraphic, "pic.png", "1"),
         Lines{"BGRAPHIC pic.png w @1"} + thenTern(true),
         S::eRunning,
         250,
         {1000, kFromRender}},
        {"BGraphicHugeHoldIsClamped",
         linkRef(eLinkBGraphic, "pic.png", "99999999999"),
         Lines{"BGRAPHIC pic.png w @1"} + thenTern(true),
         S::eRunning,
         250,
         {kLongestHold, kFromRender}},
        {"BGraphicPausing",
         linkRef(eLinkBGraphic, "pic.png", "wait"),
         Lines{"BGRAPHIC 1 pic.png w @1"},
         S::ePaused,
         250,
         {0, kFromRender}},
        {"BGraphicNeitherHoldingNorPausing",
         linkRef(eLinkBGraphic, "pic.png", "-3"),
         Lines{"BGRAPHIC pic.png w @1"} + thenTern(true),
         S::eRunning,
         250,
         {0, kFromRender}},
        {"Sound", linkRef(eLinkSound, "snd.wav"), Lines{"SOUND snd.wav @1"} + thenTern()},
        {"BackgroundLink", linkRef(eLinkBackground, "pic.png"),
         Lines{"BACKGROUND pic.png w @1"} + thenTern()},
        {"BackgroundHolding",
         linkRef(eLinkBackground, "pic.png", "2"),
         Lines{"BACKGROUND pic.png w @1"} + thenTern(),
         S::eRunning,
         250,
         {2000, kFromRender}},
        // Negative or unreadable hold times mean no hold; none may turn into an endless sleep.
        {"BackgroundNegativeHold",
         linkRef(eLinkBackground, "pic.png", "-5"),
         Lines{"BACKGROUND pic.png w @1"} + thenTern(),
         S::eRunning,
         250,
         {0, kFromRender}},
        {"BackgroundUnreadableHold",
         linkRef(eLinkBackground, "pic.png", "abc"),
         Lines{"BACKGROUND pic.png w @1"} + thenTern(),
         S::eRunning,
         250,
         {0, kFromRender}},
        {"BackgroundHugeNegativeHold",
         linkRef(eLinkBackground, "pic.png", "-99999999999999999999"),
         Lines{"BACKGROUND pic.png w @1"} + thenTern(),
         S::eRunning,
         250,
         {0, kFromRender}},
        {"BackgroundHugeHoldIsClamped",
         linkRef(eLinkBackground, "pic.png", "99999999999999999999"),
         Lines{"BACKGROUND pic.png w @1"} + thenTern(),
         S::eRunning,
         250,
         {kLongestHold, kFromRender}},
        {"SpeedLink", linkRef(eLinkSpeed, "400"), Lines{"SPEED 400 @1"} + thenTern(), S::eRunning,
         400},
        {"SpeedLinkAboveTheRange", linkRef(eLinkSpeed, "2000"), Lines{"SPEED 2000 @1"} + thenTern(),
         S::eRunning, 950},
        {"SpeedLinkBelowTheRange", linkRef(eLinkSpeed, "-50"), Lines{"SPEED -50 @1"} + thenTern(),
         S::eRunning, 100},
        {"Assessment", linkRef(eLinkAssessment, "quiz 7"),
         Lines{"assessment ASSESSMENT quiz 7 w @1", "main CHANGE_VIEW 3 @1"}, S::eStopped},
        {"Video", linkRef(eLinkVideo, "clip.mp4"), thenTern()},
        {"UnknownLinkKind", linkRef(static_cast<eLinkInfoType>(3), "x"), thenTern()},
        {"Hyperlink", linkRef(eLinkWeb, "http://example.org"), flash({"<LINK>"}) + thenTern()},
        {"MailLink", linkRef(eLinkMailto, "a@example.org"), flash({"<LINK>"}) + thenTern()},
        {"GlossaryNote", valueRef(eDITGlossaryNoteRef, 7),
         Lines{"GLOSSARY_NOTE 7 @1"} + thenTern()},
        {"CourseNote", valueRef(eDITCourseNoteRef, 8), Lines{"COURSE_NOTE 8 @1"} + thenTern()},
        {"RapidNote", valueRef(eDITRapidNoteRef, 9), Lines{"RAPID_NOTE 9 @1"} + thenTern()},
        {"UserNote", valueRef(eDITUserNoteRef, 10), Lines{"USER_NOTE 10 @1"} + thenTern()},
        {"Dogear", valueRef(eDITDogearRef, 11), Lines{"DOGEAR 11 @1"} + thenTern()},
        {"EmailItemZero", valueRef(eDITEmailItem, 0),
         flash({"Email", "Item", "#", "1"}) + thenTern()},
        {"EmailItemFour", valueRef(eDITEmailItem, 4),
         flash({"Email", "Item", "#", "5"}) + thenTern()},
        {"AttachmentAnnouncement", marker(eDITEmailItemAttachmentAnnounce),
         announcement + thenTern()},
        {"ViewChangeToReading", changeView(CDITChangeView::eViewReading),
         Lines{"main CHANGE_VIEW 0 @1"}, S::eStopped},
        {"ViewChangeStop", changeView(CDITChangeView::eViewStop), Lines{"STOP @1"} + thenTern()},
        {"ViewChangeToOverview", changeView(CDITChangeView::eViewOverview),
         Lines{"main CHANGE_VIEW 2 @1"}, S::eStopped},
        {"ViewChangeNone", changeView(CDITChangeView::eViewNone), thenTern()},
        {"ViewChangeToAssessment", changeView(CDITChangeView::eViewAssessment),
         Lines{"main CHANGE_VIEW 3 @1"}, S::eStopped},
        {"StopCommand", command(CDITFlitCommand::eFlitCommandStop), Lines{"STOP @1"} + thenTern()},
        {"OtherCommand", command(1), thenTern()},
        {"AssessmentReview", marker(eDITAssessmentReview),
         Lines{"assessment ASSESSMENT_REVIEW w", "main CHANGE_VIEW 3 @1"}, S::eStopped},
        // A skip jumps over everything up to the next email item, or to the end.
        {"AttachmentSkipToTheNextEmailItem",
         [](CDataManager& d) {
             wxCDataInfoListNode* skip = d.appendMarker(eDITEmailItemAttachmentSkip);
             d.appendWord("hidden");
             d.appendValueRef(eDITEmailItem, 2);
             return skip;
         },
         Lines{"WORD Email w @3", "WORD w @3", "WORD Item w @3", "WORD w @3", "WORD # w @3",
               "WORD w @3", "WORD 3 w @3", "WORD w @3", "WORD tern w @4", "WORD w @4", "DONE"}},
        {"AttachmentSkipToTheEnd", marker(eDITEmailItemAttachmentSkip), Lines{"DONE"}},
        {"TextColourTag", tagRef(wxColour(0, 90, 0), false),
         Lines{"TEXT_COLOUR 0 #005A00 @1"} + thenTern()},
        // A tag whose colour is invalid is posted as it is, its colour never read.
        {"InvalidColourTag", tagRef(wxColour(), true), Lines{"TEXT_COLOUR 1 @1"} + thenTern()},
        {"NoColourTag", [](CDataManager& d) { return d.appendTagInfoRef(nullptr); },
         Lines{"RESET_TEXT_COLOUR @1"} + thenTern()},
        {"PageMarker", pageRef(0, 7), Lines{"PAGE_NUM 7 @1"} + thenTern()},
        {"HiddenPageMarker", pageRef(CPageInfo::kHiddenPageType, 8), thenTern()},
        // Items without handlers are passed over.
        {"Space", [](CDataManager& d) { return d.appendSpace(); }, thenTern()},
        {"Newline", [](CDataManager& d) { return d.appendNewline(); }, thenTern()},
        {"AttachmentInfo", marker(eDITEmailItemAttachmentInfoRef), thenTern()},
        // A rest's blank waits for no render: its delay counts from the post.
        {"Rest",
         [](CDataManager& d) { return d.appendRest(2); },
         Lines{"WORD @1"} + thenTern(),
         S::eRunning,
         250,
         {CFlitWordCalcs().calcRestDelay(2, 250), kFromPost}},
        {"Sustain", [](CDataManager& d) { return d.appendSustain(2); }, thenTern()},
    };
}

class ItemPresentationTest : public EngineTest, public testing::WithParamInterface<SItemCase> {};

// Each item is read between the words gull and tern, from a start at gull.
TEST_P(ItemPresentationTest, PostsItsEventsThenGoesOnOrStops) {
    const SItemCase& c = GetParam();
    for (const char* name : {"pic.png", "snd.wav"}) {
        document.storeLinkFileData(name, name, std::strlen(name));
    }
    wxCDataInfoListNode* gull = document.appendWord("gull");
    wxCDataInfoListNode* item = c.append(document);
    document.appendWord("tern");
    manager->setWordDisplayLength(10);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, gull);

    // The restart on gull (default background, colour reset, speed, page) and gull itself.
    const Lines expected = Lines{"DEFAULT_BACKGROUND w @0", "RESET_TEXT_COLOUR @0", "SPEED 250 @0",
                                 "PAGE_NUM 0 @0",           "WORD gull w @0",       "WORD w @0"} +
                           c.expected;
    ASSERT_TRUE(host.waitFor([&] { return host.events().size() >= expected.size(); }));
    if (c.leaves != CFlitManager::eRunning) {
        // Nothing more may follow an item that stops reading; after DONE nothing can.
        host.pumpFor(kQuietPeriod);
    }
    EXPECT_EQ(expected, log());

    // gull's two sleeps, the item's own, then one for each flash and each blank it waited for.
    const std::vector<SSleep> requested = sleeps();
    const size_t ownSleeps = c.hold.first >= 0 ? 1 : 0;
    const std::vector<SRecordedEvent> words = host.eventsOfType(EVT_FLIT_COMMAND_WORD_MSG);
    EXPECT_EQ(std::count_if(words.begin(), words.end(),
                            [](const SRecordedEvent& word) { return word.waitedFor; }) +
                  ownSleeps,
              requested.size());
    if (ownSleeps == 1 && requested.size() > 2) {
        EXPECT_EQ(c.hold, requested[2]);
    }

    EXPECT_EQ(c.targetSpeed, manager->getTargetSpeed());
    if (c.leaves == CFlitManager::eRunning) {
        EXPECT_EQ(CFlitManager::eStopped, manager->getState());
        EXPECT_EQ(nullptr, manager->getDataInfoListNode());
    } else {
        EXPECT_EQ(c.leaves, manager->getState());
        EXPECT_EQ(item, manager->getDataInfoListNode()) << "the cursor stays on the item";
    }
}

INSTANTIATE_TEST_SUITE_P(Items, ItemPresentationTest, testing::ValuesIn(itemCases()),
                         [](const testing::TestParamInfo<SItemCase>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
