#include "FlitEngineTestSupport.h"

#include <wx/filename.h>
#include <wx/log.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using std::chrono::milliseconds;

// How long to keep pumping when checking that nothing more arrives.
const milliseconds kQuietPeriod(200);

std::vector<int> typesOf(const std::vector<SRecordedEvent>& events) {
    std::vector<int> types;
    for (const SRecordedEvent& event : events) {
        types.push_back(event.type);
    }
    return types;
}

const std::vector<int> kRestartOnOtherItem = {EVT_FLIT_COMMAND_SPEED_MSG,
                                              EVT_FLIT_COMMAND_PAGE_NUM_MSG};

TEST_F(EngineTest, NothingIsPresentedBeforeTheFirstStart) {
    document.appendWord("Quay");
    ASSERT_TRUE(initialize());
    host.pumpFor(kQuietPeriod);
    EXPECT_TRUE(host.events().empty());
    EXPECT_EQ(CFlitManager::eStopped, manager->getState());
}

// The road of one start: the restart brings the view up to date (background with its hold,
// text colour, speed, page), then the items, then exactly one DONE.
TEST_F(EngineTest, StartRestartsThenPresentsTheItemsThenReportsDoneOnce) {
    const std::string picture = "not really a picture";
    document.storeLinkFileData("sea.png", picture.data(), picture.size());
    wxCLinkInfoListNode* sea = document.addLink(eLinkBackground, "sea.png", "1");
    wxCTagInfoListNode* red = document.addTag(wxColour(200, 30, 40), true);
    wxCDataInfoListNode* harbour = document.appendWord("Harbour", CStyleInfo(), sea, red);
    document.appendSpace();
    wxCDataInfoListNode* reset = document.appendTagInfoRef(nullptr);
    wxCDataInfoListNode* page7 = document.appendPageInfoRef(document.addPage(0, 7));
    document.appendPageInfoRef(document.addPage(CPageInfo::kHiddenPageType, 8));
    document.appendNewline();
    document.appendWord("lights");
    manager->setTargetSpeed(400);
    ASSERT_TRUE(initialize());

    send(EVT_FLIT_COMMAND_START_MSG, harbour);
    ASSERT_TRUE(waitForDone());
    host.pumpFor(kQuietPeriod);

    const std::vector<SRecordedEvent>& events = host.events();
    const int word = EVT_FLIT_COMMAND_WORD_MSG;
    ASSERT_EQ(
        (std::vector<int>{EVT_FLIT_COMMAND_BACKGROUND_MSG, EVT_FLIT_COMMAND_TEXT_COLOUR_MSG,
                          EVT_FLIT_COMMAND_SPEED_MSG, EVT_FLIT_COMMAND_PAGE_NUM_MSG, word, word,
                          EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG, EVT_FLIT_COMMAND_PAGE_NUM_MSG,
                          word, word, EVT_FLIT_COMMAND_DONE_MSG}),
        typesOf(events));
    for (const SRecordedEvent& event : events) {
        EXPECT_EQ(CTestHost::eFlitView, event.window);
    }

    const SRecordedEvent& background = events[0];
    EXPECT_TRUE(background.waitedFor);
    EXPECT_EQ(harbour, background.node);
    std::ifstream file(background.text.utf8_string(), std::ios::binary);
    EXPECT_EQ(picture, std::string(std::istreambuf_iterator<char>(file), {}));

    const SRecordedEvent& colour = events[1];
    EXPECT_EQ(wxColour(200, 30, 40), colour.colour);
    EXPECT_EQ(1, colour.number);
    EXPECT_FALSE(colour.waitedFor);
    // The hold of one second comes after the background has been rendered.
    EXPECT_GE(colour.arrival - background.arrival, milliseconds(1000));

    EXPECT_EQ(400, events[2].number);
    EXPECT_EQ(harbour, events[2].node);
    EXPECT_EQ(0, events[3].number) << "no page marker before the first word";
    EXPECT_EQ("Harbour", events[4].text);
    EXPECT_TRUE(events[5].text.empty());
    EXPECT_EQ(reset, events[6].node);
    EXPECT_EQ(7, events[7].number);
    EXPECT_EQ(page7, events[7].node);
    EXPECT_EQ("lights", events[8].text);
    EXPECT_EQ(nullptr, events[10].node);
    EXPECT_TRUE(events[10].text.empty());

    EXPECT_EQ(CFlitManager::eStopped, manager->getState());
    EXPECT_EQ(nullptr, manager->getDataInfoListNode());
    // The ramp from 100 timed the two words at 100 and 175.
    EXPECT_EQ(250, manager->getCurrentSpeed());
}

TEST_F(EngineTest, RestartOnAPlainWordShowsTheDefaultsAndTheNearestPage) {
    document.appendPageInfoRef(document.addPage(0, 3));
    document.appendPageInfoRef(document.addPage(CPageInfo::kHiddenPageType, 4));
    wxCDataInfoListNode* word = document.appendWord("buoy");
    ASSERT_TRUE(initialize());

    send(EVT_FLIT_COMMAND_START_MSG, word);
    ASSERT_TRUE(waitForDone());
    ASSERT_EQ((std::vector<int>{EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG,
                                EVT_FLIT_COMMAND_RESET_TEXT_COLOUR_MSG, EVT_FLIT_COMMAND_SPEED_MSG,
                                EVT_FLIT_COMMAND_PAGE_NUM_MSG, EVT_FLIT_COMMAND_WORD_MSG,
                                EVT_FLIT_COMMAND_WORD_MSG, EVT_FLIT_COMMAND_DONE_MSG}),
              typesOf(host.events()));
    EXPECT_TRUE(host.events()[0].waitedFor);
    EXPECT_EQ(word, host.events()[0].node);
    EXPECT_EQ(250, host.events()[2].number);
    EXPECT_EQ(3, host.events()[3].number) << "the nearest marker shown, as reading through shows";
}

TEST_F(EngineTest, StartAtTheEndReportsDoneWithoutARestart) {
    document.appendWord("ebb");
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, nullptr);
    ASSERT_TRUE(waitForDone());
    host.pumpFor(kQuietPeriod);
    EXPECT_EQ(std::vector<int>{EVT_FLIT_COMMAND_DONE_MSG}, typesOf(host.events()));
    EXPECT_EQ(CFlitManager::eStopped, manager->getState());
}

TEST_F(EngineTest, StartAtTheLastItemPresentsItThenReportsDoneOnce) {
    document.appendWord("flood");
    wxCDataInfoListNode* last = document.appendPageInfoRef(document.addPage(0, 9));
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, last);
    ASSERT_TRUE(waitForDone());
    host.pumpFor(kQuietPeriod);
    EXPECT_EQ((std::vector<int>{EVT_FLIT_COMMAND_SPEED_MSG, EVT_FLIT_COMMAND_PAGE_NUM_MSG,
                                EVT_FLIT_COMMAND_PAGE_NUM_MSG, EVT_FLIT_COMMAND_DONE_MSG}),
              typesOf(host.events()));
    EXPECT_EQ(9, host.events()[2].number);
}

TEST_F(EngineTest, ItemsWithoutHandlersArePassedOver) {
    wxCDataInfoListNode* first = document.appendSpace();
    document.appendNewline();
    document.appendSpace();
    document.appendMarker(eDITEmailItemAttachmentInfoRef);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(waitForDone());
    host.pumpFor(kQuietPeriod);
    std::vector<int> expected = kRestartOnOtherItem;
    expected.push_back(EVT_FLIT_COMMAND_DONE_MSG);
    EXPECT_EQ(expected, typesOf(host.events()));
}

TEST_F(EngineTest, ColourTagsAndMissingBackgrounds) {
    wxCTagInfoListNode* plain = document.addTag(wxColour(0, 90, 0), false);
    wxCDataInfoListNode* ref = document.appendTagInfoRef(plain);
    // A tag whose colour is invalid: posted as it is, its colour never read.
    document.appendTagInfoRef(document.addTag(wxColour(), true));
    // A background whose data the document does not hold: the restart stops before the colour.
    wxCLinkInfoListNode* lost = document.addLink(eLinkBackground, "lost.png", "");
    wxCDataInfoListNode* word = document.appendWord("mast", CStyleInfo(), lost);
    ASSERT_TRUE(initialize());

    send(EVT_FLIT_COMMAND_START_MSG, ref);
    ASSERT_TRUE(waitForDone());
    std::vector<int> expected = kRestartOnOtherItem;
    expected.push_back(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
    expected.push_back(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
    expected.push_back(EVT_FLIT_COMMAND_DONE_MSG);
    ASSERT_EQ(expected, typesOf(host.events()));
    EXPECT_EQ(0, host.events()[2].number);
    EXPECT_EQ(wxColour(0, 90, 0), host.events()[2].colour);
    EXPECT_EQ(1, host.events()[3].number);
    EXPECT_FALSE(host.events()[3].colour.IsOk());

    host.clearEvents();
    send(EVT_FLIT_COMMAND_START_MSG, word);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(std::vector<int>{EVT_FLIT_COMMAND_DONE_MSG}, typesOf(host.events()));
}

// Negative or unreadable hold times mean no hold; none may turn into an endless sleep.
TEST_F(EngineTest, OddHoldTimesDoNotHold) {
    const char data[] = "x";
    document.storeLinkFileData("a.png", data, 1);
    std::vector<wxCDataInfoListNode*> words;
    for (const char* hold : {"-5", "abc", "-99999999999999999999", ""}) {
        words.push_back(document.appendWord("oar", CStyleInfo(),
                                            document.addLink(eLinkBackground, "a.png", hold)));
    }
    ASSERT_TRUE(initialize());
    CWatchdog watchdog("restarts with odd hold times", std::chrono::seconds(20));
    for (size_t i = 0; i < words.size(); ++i) {
        send(EVT_FLIT_COMMAND_START_MSG, words[i]);
        ASSERT_TRUE(waitForDone(i + 1));
    }
    EXPECT_EQ(words.size(), host.countOf(EVT_FLIT_COMMAND_BACKGROUND_MSG));
}

TEST_F(EngineTest, DoneSentToTheThreadObjectReachesTheView) {
    ASSERT_TRUE(initialize());
    CFlitCommandEvent done(EVT_FLIT_COMMAND_DONE_MSG);
    manager->getFlitViewThread()->ProcessEvent(done);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ("CFlitViewThread::OnFlitCommandDone entered.", host.events()[0].text);
}

// A document of plain words and page markers whose page numbers show where reading went, after a
// graphic that pauses reading. A restart on a word posts a DEFAULT_BACKGROUND that waits for
// render, where the tests hold the thread; so does the pausing graphic.
class EngineCommandTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        const char data[] = "x";
        document.storeLinkFileData("chart.png", data, 1);
        f = document.appendLinkInfoRef(document.addLink(eLinkBGraphic, "chart.png", "look"));
        a = document.appendWord("anchor");
        b = document.appendPageInfoRef(document.addPage(0, 1));
        c = document.appendPageInfoRef(document.addPage(0, 2));
        d = document.appendWord("dock");
        e = document.appendPageInfoRef(document.addPage(0, 4));
        ASSERT_TRUE(initialize());
    }

    // Starts at node with renders held, and waits until the thread is blocked in the handshake
    // of the first event that waits for render.
    void startBlocked(wxCDataInfoListNode* node) {
        host.holdRenders(true);
        send(EVT_FLIT_COMMAND_START_MSG, node);
        ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() == 1; }));
    }

    void release() {
        host.holdRenders(false);
        host.releaseHeldRenders();
    }

    wxCDataInfoListNode* nodeNamed(char name) const {
        switch (name) {
        case 'a':
            return a;
        case 'b':
            return b;
        case 'c':
            return c;
        case 'd':
            return d;
        case 'e':
            return e;
        case 'f':
            return f;
        default:
            return nullptr;
        }
    }

    // Page numbers as they reached the view: each restart posts the page at or before its
    // node (0 for a and f, 2 for d), and each page marker item its own number.
    std::vector<int> pageNumbers() const {
        std::vector<int> numbers;
        for (const SRecordedEvent& event : host.eventsOfType(EVT_FLIT_COMMAND_PAGE_NUM_MSG)) {
            numbers.push_back(event.number);
        }
        return numbers;
    }

    wxCDataInfoListNode* a = nullptr;
    wxCDataInfoListNode* b = nullptr;
    wxCDataInfoListNode* c = nullptr;
    wxCDataInfoListNode* d = nullptr;
    wxCDataInfoListNode* e = nullptr;
    wxCDataInfoListNode* f = nullptr;
};

// One row: where reading starts (held in the handshake there, or not started at all when the
// row's commands start it with the thread idle), the commands then sent, with no event handled
// in between, and how it must end. A row that reads to the end checks every page number; one
// that does not checks that nothing more came, and where the cursor and state were left.
struct SCommandCase {
    const char* name;
    char heldAt; // '-': the thread is idle when the commands are sent
    std::vector<std::pair<int, char>> commands;
    bool readsToTheEnd;
    CFlitManager::eStateType state;
    char cursor; // '-': null
    std::vector<int> pages;
};

TEST_F(EngineCommandTest, CommandSequencesEndInTheStateCursorAndPagesTheyMust) {
    const int kStart = EVT_FLIT_COMMAND_START_MSG;
    const int kPause = EVT_FLIT_COMMAND_PAUSE_MSG;
    const int kContinue = EVT_FLIT_COMMAND_CONTINUE_MSG;
    const int kStop = EVT_FLIT_COMMAND_STOP_MSG;
    const int kMove = EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG;
    const CFlitManager::eStateType kStopped = CFlitManager::eStopped;
    const CFlitManager::eStateType kMoved = CFlitManager::eListPtrModified;
    const SCommandCase cases[] = {
        // The item in hand completes, the new node is not passed, reading goes on from it.
        {"move while reading", 'a', {{kMove, 'd'}}, true, kStopped, '-', {0, 2, 4}},
        {"continue while the paused item completes",
         'a',
         {{kPause, '-'}, {kContinue, 'b'}},
         true,
         kStopped,
         '-',
         {0, 1, 1, 2, 4}},
        {"move after a continue",
         'a',
         {{kPause, '-'}, {kContinue, 'b'}, {kMove, 'd'}},
         true,
         kStopped,
         '-',
         {0, 2, 4}},
        {"every command while blocked",
         'a',
         {{kPause, '-'}, {kContinue, 'b'}, {kMove, 'c'}, {kStop, '-'}, {kStart, 'd'}},
         true,
         kStopped,
         '-',
         {0, 2, 4}},
        // Moves while paused or stopped present nothing, however many there are.
        {"move while paused", 'a', {{kPause, '-'}, {kMove, 'd'}}, false, kMoved, 'd', {0}},
        {"two moves while paused",
         'a',
         {{kPause, '-'}, {kMove, 'c'}, {kMove, 'd'}},
         false,
         kMoved,
         'd',
         {0}},
        {"two moves while stopped",
         'a',
         {{kStop, '-'}, {kMove, 'c'}, {kMove, 'd'}},
         false,
         kMoved,
         'd',
         {0}},
        {"two moves after the document paused",
         'f',
         {{kMove, 'c'}, {kMove, 'd'}},
         false,
         kMoved,
         'd',
         {0}},
        // With the thread idle: it wakes to the move, not to the start.
        {"move right after a start",
         '-',
         {{kStart, 'a'}, {kMove, 'd'}},
         true,
         kStopped,
         '-',
         {2, 4}},
        {"move right after a continue",
         '-',
         {{kContinue, 'a'}, {kMove, 'd'}},
         true,
         kStopped,
         '-',
         {2, 4}},
    };
    for (const SCommandCase& row : cases) {
        SCOPED_TRACE(row.name);
        destroyManager();
        host.clearEvents();
        manager = std::make_unique<CTestableManager>();
        host.attach(manager.get());
        ASSERT_TRUE(initialize());
        if (row.heldAt != '-') {
            startBlocked(nodeNamed(row.heldAt));
        }
        {
            CWatchdog watchdog("command handlers", std::chrono::seconds(10));
            for (const auto& [type, node] : row.commands) {
                send(type, nodeNamed(node));
            }
        }
        release();
        if (row.readsToTheEnd) {
            ASSERT_TRUE(waitForDone());
        } else {
            host.pumpFor(kQuietPeriod);
            EXPECT_EQ(0u, host.countOf(EVT_FLIT_COMMAND_DONE_MSG));
        }
        EXPECT_EQ(row.state, manager->getState());
        EXPECT_EQ(nodeNamed(row.cursor), manager->getDataInfoListNode());
        // Idle rows may or may not have begun at the start's node before the move came.
        std::vector<int> pages = pageNumbers();
        if (row.heldAt == '-' && pages.size() > row.pages.size()) {
            pages.erase(pages.begin());
        }
        EXPECT_EQ(row.pages, pages);
    }
}

// Neither a wake-up without a signal, nor a second signal for an event already shown, nor a
// signal for an event nothing waits for lets the next event through before it is shown.
TEST_F(EngineCommandTest, SpuriousWakeUpsAndStaleSignalsDoNotReleaseTheHandshake) {
    startBlocked(a);
    const long backgroundTicket = host.events().back().ticket;
    host.releaseHeldRenders();
    ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() == 1; }));
    const size_t seen = host.events().size();
    ASSERT_NE(backgroundTicket, host.events().back().ticket);
    for (int i = 0; i < 3; ++i) {
        manager->spuriousRenderWake();
        manager->signalGuiThreadRendered(backgroundTicket);
        manager->signalGuiThreadRendered(0);
    }
    host.pumpFor(kQuietPeriod);
    EXPECT_EQ(seen, host.events().size());
    release();
    ASSERT_TRUE(waitForDone());
}

// Many fresh engines, each started the moment initialize returns: the start must never be lost
// however far the new thread has got towards its first wait.
TEST_F(EngineTest, StartRightAfterInitializeIsNeverLost) {
    wxCDataInfoListNode* page = document.appendPageInfoRef(document.addPage(0, 5));
    for (int round = 0; round < 25; ++round) {
        host.clearEvents();
        manager = std::make_unique<CTestableManager>();
        host.attach(manager.get());
        ASSERT_TRUE(initialize());
        send(EVT_FLIT_COMMAND_START_MSG, page);
        ASSERT_TRUE(waitForDone()) << "round " << round;
        destroyManager();
    }
}

TEST_F(EngineTest, NullWindowsGetNothingAndAreNotWaitedFor) {
    document.appendWord("keel");
    wxCDataInfoListNode* first = document.getFirstNode();
    ASSERT_TRUE(manager->initialize(&document, host.mainFrame(), nullptr, nullptr));
    send(EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(waitForState(CFlitManager::eStopped));
    EXPECT_EQ(nullptr, manager->getDataInfoListNode());
    host.pumpFor(kQuietPeriod);
    EXPECT_TRUE(host.events().empty());
}

TEST_F(EngineTest, DestructionWhileIdleEnds) {
    ASSERT_TRUE(initialize());
    destroyManager();
}

TEST_F(EngineTest, DestructionCutsALongHoldShort) {
    const char data[] = "x";
    document.storeLinkFileData("long.png", data, 1);
    wxCDataInfoListNode* word = document.appendWord(
        "swell", CStyleInfo(), document.addLink(eLinkBackground, "long.png", "100000"));
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, word);
    ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_BACKGROUND_MSG) == 1; }));
    destroyManager();
}

TEST_F(EngineCommandTest, DestructionWhileBlockedInTheHandshakeEndsAndPostsNothingMore) {
    startBlocked(a);
    destroyManager();
    host.pumpFor(kQuietPeriod);
    EXPECT_EQ(1u, host.events().size());
}

// A capturing log target, to see the message of a failed initialize.
class CCaptureLog : public wxLog {
public:
    std::vector<wxString> errors;

protected:
    void DoLogTextAtLevel(wxLogLevel level, const wxString& text) override {
        if (level <= wxLOG_Error) {
            errors.push_back(text);
        }
    }
};

TEST_F(EngineTest, FailedInitializeIsReportedAndDestructionDoesNotWait) {
    manager->failThreadCreation = true;
    CCaptureLog* capture = new CCaptureLog;
    wxLog* previous = wxLog::SetActiveTarget(capture);
    const bool initialized = initialize();
    wxLog::SetActiveTarget(previous);

    EXPECT_FALSE(initialized);
    ASSERT_EQ(1u, capture->errors.size());
    EXPECT_NE(wxNOT_FOUND, capture->errors[0].Find("Failed to create FlitViewThread."));
    delete capture;
    destroyManager();
}

} // namespace
