#include "FlitEngineTestSupport.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using std::chrono::milliseconds;

const milliseconds kQuietPeriod(200);
const int kView = CTestHost::eFlitView;
const int kMain = CTestHost::eMainFrame;
const int kAssessment = CTestHost::eAssessmentView;

// One event a case expects. The node is the item's own ('i'), that of the word read after it
// ('t') or none ('0'). For events that carry a file path, text is what the file must hold.
struct SExpected {
    const int* type;
    int window;
    bool waited;
    int number;
    std::string text;
    char node;
};

SExpected ev(const int& type, int window, bool waited, int number = -1, std::string text = "",
             char node = 'i') {
    return {&type, window, waited, number, std::move(text), node};
}

std::vector<SExpected> flash(std::initializer_list<const char*> words, char node = 'i') {
    std::vector<SExpected> events;
    for (const char* word : words) {
        events.push_back(ev(EVT_FLIT_COMMAND_WORD_MSG, kView, true, -1, word, node));
        events.push_back(ev(EVT_FLIT_COMMAND_WORD_MSG, kView, true, -1, "", node));
    }
    return events;
}

std::vector<SExpected> operator+(std::vector<SExpected> first, const std::vector<SExpected>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Reading goes on to the word after the item and the end of the document; the word first
// shows the default background when a graphic left one pending.
std::vector<SExpected> thenTern(bool backgroundFirst = false) {
    std::vector<SExpected> events;
    if (backgroundFirst) {
        events.push_back(ev(EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG, kView, true, -1, "", 't'));
    }
    return events + flash({"tern"}, 't') +
           std::vector<SExpected>{ev(EVT_FLIT_COMMAND_DONE_MSG, kView, false, -1, "", '0')};
}

// One event of the item's own, then the word after it.
std::vector<SExpected> andTern(SExpected own, bool backgroundFirst = false) {
    return std::vector<SExpected>{std::move(own)} + thenTern(backgroundFirst);
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

FAppend changeView(CDITChangeView::eViewType view) {
    return [=](CDataManager& d) { return d.appendChangeView(view); };
}

FAppend command(int type) {
    return [=](CDataManager& d) {
        return d.appendFlitCommand(static_cast<CDITFlitCommand::eFlitCommandType>(type));
    };
}

// An item read between two words: what it posts (the word after it included), and whether
// reading goes on (eRunning) or stops on it, paused or stopped.
struct SItemCase {
    const char* name;
    FAppend append;
    std::vector<SExpected> expected;
    CFlitManager::eStateType leaves = CFlitManager::eRunning;
    int targetSpeed = 250;
    // A lower bound on the time from the item's first event to the next event.
    long holdMs = 0;
};

void PrintTo(const SItemCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<SItemCase> itemCases() {
    using S = CFlitManager;
    std::vector<SExpected> announcement;
    for (int i = 0; i < 3; ++i) {
        announcement = announcement + flash({"Press", "'A'", "to", "read", "attachment"});
    }
    return {
        {"LGraphic", linkRef(eLinkLGraphic, "pic.png"),
         andTern(ev(EVT_FLIT_COMMAND_BACKGROUND_MSG, kView, true, -1, "pic.png"), true)},
        {"BGraphicHolding", linkRef(eLinkBGraphic, "pic.png", "1"),
         andTern(ev(EVT_FLIT_COMMAND_BGRAPHIC_MSG, kView, true, -1, "pic.png"), true), S::eRunning,
         250, 1000},
        {"BGraphicPausing",
         linkRef(eLinkBGraphic, "pic.png", "wait"),
         {ev(EVT_FLIT_COMMAND_BGRAPHIC_MSG, kView, true, 1, "pic.png")},
         S::ePaused},
        {"BGraphicNeitherHoldingNorPausing", linkRef(eLinkBGraphic, "pic.png", "-3"),
         andTern(ev(EVT_FLIT_COMMAND_BGRAPHIC_MSG, kView, true, -1, "pic.png"), true)},
        {"Sound", linkRef(eLinkSound, "snd.wav"),
         andTern(ev(EVT_FLIT_COMMAND_SOUND_MSG, kView, false, -1, "snd.wav"))},
        {"BackgroundLink", linkRef(eLinkBackground, "pic.png"),
         andTern(ev(EVT_FLIT_COMMAND_BACKGROUND_MSG, kView, true, -1, "pic.png"))},
        {"SpeedLink", linkRef(eLinkSpeed, "400"),
         andTern(ev(EVT_FLIT_COMMAND_SPEED_MSG, kView, false, 400)), S::eRunning, 400},
        {"SpeedLinkAboveTheRange", linkRef(eLinkSpeed, "2000"),
         andTern(ev(EVT_FLIT_COMMAND_SPEED_MSG, kView, false, 2000)), S::eRunning, 950},
        {"SpeedLinkBelowTheRange", linkRef(eLinkSpeed, "-50"),
         andTern(ev(EVT_FLIT_COMMAND_SPEED_MSG, kView, false, -50)), S::eRunning, 100},
        {"Assessment",
         linkRef(eLinkAssessment, "quiz 7"),
         {ev(EVT_FLIT_COMMAND_ASSESSMENT_MSG, kAssessment, true, -1, "quiz 7"),
          ev(EVT_FLIT_COMMAND_CHANGE_VIEW_MSG, kMain, false, 3)},
         S::eStopped},
        {"Video", linkRef(eLinkVideo, "clip.mp4"), thenTern()},
        {"UnknownLinkKind", linkRef(static_cast<eLinkInfoType>(3), "x"), thenTern()},
        {"Hyperlink", linkRef(eLinkWeb, "http://example.org"), flash({"<LINK>"}) + thenTern()},
        {"MailLink", linkRef(eLinkMailto, "a@example.org"), flash({"<LINK>"}) + thenTern()},
        {"GlossaryNote", valueRef(eDITGlossaryNoteRef, 7),
         andTern(ev(EVT_FLIT_COMMAND_GLOSSARY_NOTE_MSG, kView, false, 7))},
        {"CourseNote", valueRef(eDITCourseNoteRef, 8),
         andTern(ev(EVT_FLIT_COMMAND_COURSE_NOTE_MSG, kView, false, 8))},
        {"RapidNote", valueRef(eDITRapidNoteRef, 9),
         andTern(ev(EVT_FLIT_COMMAND_RAPID_NOTE_MSG, kView, false, 9))},
        {"UserNote", valueRef(eDITUserNoteRef, 10),
         andTern(ev(EVT_FLIT_COMMAND_USER_NOTE_MSG, kView, false, 10))},
        {"Dogear", valueRef(eDITDogearRef, 11),
         andTern(ev(EVT_FLIT_COMMAND_DOGEAR_MSG, kView, false, 11))},
        {"EmailItemZero", valueRef(eDITEmailItem, 0),
         flash({"Email", "Item", "#", "1"}) + thenTern()},
        {"EmailItemFour", valueRef(eDITEmailItem, 4),
         flash({"Email", "Item", "#", "5"}) + thenTern()},
        {"AttachmentAnnouncement", marker(eDITEmailItemAttachmentAnnounce),
         announcement + thenTern()},
        {"ViewChangeToReading",
         changeView(CDITChangeView::eViewReading),
         {ev(EVT_FLIT_COMMAND_CHANGE_VIEW_MSG, kMain, false, 0)},
         S::eStopped},
        {"ViewChangeStop", changeView(CDITChangeView::eViewStop),
         andTern(ev(EVT_FLIT_COMMAND_STOP_MSG, kView, false))},
        {"ViewChangeToOverview",
         changeView(CDITChangeView::eViewOverview),
         {ev(EVT_FLIT_COMMAND_CHANGE_VIEW_MSG, kMain, false, 2)},
         S::eStopped},
        {"ViewChangeNone", changeView(CDITChangeView::eViewNone), thenTern()},
        {"ViewChangeToAssessment",
         changeView(CDITChangeView::eViewAssessment),
         {ev(EVT_FLIT_COMMAND_CHANGE_VIEW_MSG, kMain, false, 3)},
         S::eStopped},
        {"StopCommand", command(CDITFlitCommand::eFlitCommandStop),
         andTern(ev(EVT_FLIT_COMMAND_STOP_MSG, kView, false))},
        {"OtherCommand", command(1), thenTern()},
        {"AssessmentReview",
         marker(eDITAssessmentReview),
         {ev(EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG, kAssessment, true, -1, "", '0'),
          ev(EVT_FLIT_COMMAND_CHANGE_VIEW_MSG, kMain, false, 3)},
         S::eStopped},
        {"Rest", [](CDataManager& d) { return d.appendRest(2); },
         andTern(ev(EVT_FLIT_COMMAND_WORD_MSG, kView, false))},
        {"Sustain", [](CDataManager& d) { return d.appendSustain(2); }, thenTern()},
    };
}

std::string fileContents(const wxString& path) {
    std::ifstream file(path.utf8_string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
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
    wxCDataInfoListNode* tern = document.appendWord("tern");
    manager->setWordDisplayLength(10);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, gull);

    // The restart on gull (default background, colour reset, speed, page) and gull itself.
    const size_t first = 6;
    ASSERT_TRUE(host.waitFor([&] { return host.events().size() >= first + c.expected.size(); }));
    if (c.leaves != CFlitManager::eRunning) {
        // Nothing more may follow an item that stops reading; after DONE nothing can.
        host.pumpFor(kQuietPeriod);
    }
    const std::vector<SRecordedEvent>& events = host.events();
    std::vector<int> expectedTypes;
    std::vector<int> types;
    for (const SExpected& expected : c.expected) {
        expectedTypes.push_back(*expected.type);
    }
    for (size_t i = first; i < events.size(); ++i) {
        types.push_back(events[i].type);
    }
    ASSERT_EQ(expectedTypes, types);
    ASSERT_EQ("gull", events[first - 2].text);

    for (size_t i = 0; i < c.expected.size(); ++i) {
        const SExpected& expected = c.expected[i];
        const SRecordedEvent& event = events[first + i];
        SCOPED_TRACE("event " + std::to_string(i));
        EXPECT_EQ(expected.window, event.window);
        EXPECT_EQ(expected.waited, event.waitedFor);
        EXPECT_EQ(expected.number, event.number);
        EXPECT_EQ(expected.node == 'i' ? item : expected.node == 't' ? tern : nullptr, event.node);
        const int type = event.type;
        if (type == EVT_FLIT_COMMAND_BACKGROUND_MSG || type == EVT_FLIT_COMMAND_BGRAPHIC_MSG ||
            type == EVT_FLIT_COMMAND_SOUND_MSG) {
            EXPECT_EQ(expected.text, fileContents(event.text));
        } else {
            EXPECT_EQ(expected.text, event.text.utf8_string());
        }
    }
    if (c.holdMs > 0) {
        const auto held = events[first + 1].arrival - events[first].arrival;
        EXPECT_GE(std::chrono::duration_cast<milliseconds>(held).count(), c.holdMs);
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

using EmailAttachmentTest = EngineTest;

// The first skip jumps over everything up to the next email item; the second finds none and
// ends the document.
TEST_F(EmailAttachmentTest, ASkipJumpsToTheNextEmailItemOrToTheEnd) {
    wxCDataInfoListNode* skip = document.appendMarker(eDITEmailItemAttachmentSkip);
    document.appendWord("hidden");
    document.appendMarker(eDITEmailItemAttachmentInfoRef);
    wxCDataInfoListNode* email = document.appendValueRef(eDITEmailItem, 2);
    document.appendWord("after");
    document.appendMarker(eDITEmailItemAttachmentSkip);
    document.appendWord("unread");
    ASSERT_TRUE(initialize());

    send(EVT_FLIT_COMMAND_START_MSG, skip);
    ASSERT_TRUE(waitForDone());
    host.pumpFor(kQuietPeriod);
    EXPECT_EQ((std::vector<wxString>{"Email", "", "Item", "", "#", "", "3", "", "after", ""}),
              host.wordTexts());
    EXPECT_EQ(email, host.events()[2].node) << "the email item's words follow the restart";
    EXPECT_EQ(1u, host.countOf(EVT_FLIT_COMMAND_DONE_MSG));
    EXPECT_EQ(CFlitManager::eStopped, manager->getState());
    EXPECT_EQ(nullptr, manager->getDataInfoListNode());

    // A skip's cursor move keeps a pause the host sent meanwhile.
    send(EVT_FLIT_COMMAND_PAUSE_MSG);
    manager->moveCursorWhileReading(email);
    EXPECT_EQ(CFlitManager::ePaused, manager->getState());
    EXPECT_EQ(email, manager->getDataInfoListNode());
}

TEST_F(EmailAttachmentTest, APauseDuringTheAnnouncementSuppressesTheRestOfIt) {
    wxCDataInfoListNode* announcement = document.appendMarker(eDITEmailItemAttachmentAnnounce);
    document.appendWord("tern");
    ASSERT_TRUE(initialize());

    host.holdRenders(true);
    send(EVT_FLIT_COMMAND_START_MSG, announcement);
    ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() > 0; }));
    send(EVT_FLIT_COMMAND_PAUSE_MSG);
    host.holdRenders(false);
    host.releaseHeldRenders();
    ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_WORD_MSG) >= 2; }));
    host.pumpFor(kQuietPeriod);
    EXPECT_EQ((std::vector<wxString>{"Press", ""}), host.wordTexts());
    EXPECT_EQ(CFlitManager::ePaused, manager->getState());
    EXPECT_EQ(announcement, manager->getDataInfoListNode());
}

} // namespace
