#include "FlitEngineTestSupport.h"

#include <wx/log.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A document, where reading starts in it, and everything the view is then told. Every start
// ends stopped at the end of the document, with exactly one DONE.
struct SStartCase {
    const char* name;
    wxCDataInfoListNode* (*build)(CDataManager&, CFlitManager&);
    std::vector<std::string> expected;
};

void PrintTo(const SStartCase& c, std::ostream* os) {
    *os << c.name;
}

class StartTest : public EngineTest, public testing::WithParamInterface<SStartCase> {};

const SStartCase kStartCases[] = {
    // The restart brings the view up to date (background, text colour, speed, page), then the
    // items follow.
    {"WordWithBackgroundAndColour",
     [](CDataManager& d, CFlitManager& m) {
         d.storeLinkFileData("sea.png", "a picture", 9);
         wxCDataInfoListNode* first =
             d.appendWord("Harbour", CStyleInfo(), d.addLink(eLinkBackground, "sea.png", "1"),
                          d.addTag(wxColour(200, 30, 40), true));
         d.appendSpace();
         d.appendWord("lights");
         m.setTargetSpeed(400);
         return first;
     },
     {"BACKGROUND a picture w @0", "TEXT_COLOUR 1 #C81E28 @0", "SPEED 400 @0", "PAGE_NUM 0 @0",
      "WORD Harbour w @0", "WORD w @0", "WORD lights w @2", "WORD w @2", "DONE"}},
    // The nearest page shown before the word, as reading through shows it.
    {"PlainWord",
     [](CDataManager& d, CFlitManager&) {
         d.appendPageInfoRef(d.addPage(0, 3));
         d.appendPageInfoRef(d.addPage(CPageInfo::kHiddenPageType, 4));
         return d.appendWord("buoy");
     },
     {"DEFAULT_BACKGROUND w @2", "RESET_TEXT_COLOUR @2", "SPEED 250 @2", "PAGE_NUM 3 @2",
      "WORD buoy w @2", "WORD w @2", "DONE"}},
    {"AtTheEnd",
     [](CDataManager& d, CFlitManager&) {
         d.appendWord("ebb");
         return static_cast<wxCDataInfoListNode*>(nullptr);
     },
     {"DONE"}},
    {"AtTheLastItem",
     [](CDataManager& d, CFlitManager&) {
         d.appendWord("flood");
         return d.appendPageInfoRef(d.addPage(0, 9));
     },
     {"SPEED 250 @1", "PAGE_NUM 9 @1", "PAGE_NUM 9 @1", "DONE"}},
    // A background whose data the document does not hold: the restart stops before the colour,
    // and the word is not shown.
    {"MissingBackground",
     [](CDataManager& d, CFlitManager&) {
         return d.appendWord("mast", CStyleInfo(), d.addLink(eLinkBackground, "lost.png", ""));
     },
     {"DONE"}},
};

TEST_P(StartTest, RestartsThenPresentsTheItemsThenReportsDoneOnce) {
    wxCDataInfoListNode* start = GetParam().build(document, *manager);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, start);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(CFlitManager::eStopped, manager->getState());
    EXPECT_EQ(nullptr, manager->getDataInfoListNode());
    // A second start at the end shows that the engine has moved on: anything the first one
    // posted after its DONE would come before the second DONE.
    send(EVT_FLIT_COMMAND_START_MSG, nullptr);
    ASSERT_TRUE(waitForDone(2));
    std::vector<std::string> expected = GetParam().expected;
    expected.push_back("DONE");
    EXPECT_EQ(expected, log());
}

INSTANTIATE_TEST_SUITE_P(Starts, StartTest, testing::ValuesIn(kStartCases),
                         [](const testing::TestParamInfo<SStartCase>& param) {
                             return std::string(param.param.name);
                         });

// Destruction joins the thread, so nothing it posted can still be on its way.
TEST_F(EngineTest, NothingIsPresentedBeforeTheFirstStartAndDestructionWhileIdleEnds) {
    document.appendWord("Quay");
    ASSERT_TRUE(initialize());
    destroyManager();
    host.pumpFor(std::chrono::milliseconds(1));
    EXPECT_TRUE(host.events().empty());
}

TEST_F(EngineTest, NullWindowsGetNothingAndAreNotWaitedFor) {
    wxCDataInfoListNode* first = document.appendWord("keel");
    ASSERT_TRUE(manager->initialize(&document, host.mainFrame(), nullptr, nullptr));
    send(EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(host.waitFor([&] { return manager->getState() == CFlitManager::eStopped; }));
    EXPECT_EQ(nullptr, manager->getDataInfoListNode());
    destroyManager();
    host.pumpFor(std::chrono::milliseconds(1));
    EXPECT_TRUE(host.events().empty());
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
        document.storeLinkFileData("chart.png", "x", 1);
        nodes['f'] =
            document.appendLinkInfoRef(document.addLink(eLinkBGraphic, "chart.png", "look"));
        nodes['a'] = document.appendWord("anchor");
        nodes['b'] = document.appendPageInfoRef(document.addPage(0, 1));
        nodes['c'] = document.appendPageInfoRef(document.addPage(0, 2));
        nodes['d'] = document.appendWord("dock");
        nodes['e'] = document.appendPageInfoRef(document.addPage(0, 4));
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

    // Page numbers as they reached the view: each restart posts the page at or before its
    // node (0 for a and f, 2 for d), and each page marker item its own number.
    std::vector<int> pageNumbers() const {
        std::vector<int> numbers;
        for (const SRecordedEvent& event : host.eventsOfType(EVT_FLIT_COMMAND_PAGE_NUM_MSG)) {
            numbers.push_back(event.number);
        }
        return numbers;
    }

    // By name; '-' is null.
    std::map<char, wxCDataInfoListNode*> nodes{{'-', nullptr}};
};

// One row: where reading starts, held in the handshake there ('-': not started; the commands
// start it with the thread idle); the commands then sent with no event handled in between, each
// a letter (Start, Pause, Continue, stop X, Move) and the node it carries; and how it must end.
// A row that ends stopped at '-' reads to the end and checks every page number; any other
// checks that nothing more came.
struct SCommandCase {
    const char* name;
    char heldAt;
    const char* commands;
    CFlitManager::eStateType state;
    char cursor;
    std::vector<int> pages;
};

TEST_F(EngineCommandTest, CommandSequencesEndInTheStateCursorAndPagesTheyMust) {
    const CFlitManager::eStateType kStopped = CFlitManager::eStopped;
    const CFlitManager::eStateType kMoved = CFlitManager::eListPtrModified;
    const SCommandCase cases[] = {
        // The item in hand completes, the new node is not passed, reading goes on from it.
        {"move while reading", 'a', "Md", kStopped, '-', {0, 2, 4}},
        {"continue while the paused item completes", 'a', "P-Cb", kStopped, '-', {0, 1, 1, 2, 4}},
        {"move after a continue", 'a', "P-CbMd", kStopped, '-', {0, 2, 4}},
        {"every command while blocked", 'a', "P-CbMcX-Sd", kStopped, '-', {0, 2, 4}},
        // Moves while paused or stopped present nothing, however many there are.
        {"move while paused", 'a', "P-Md", kMoved, 'd', {0}},
        {"two moves while paused", 'a', "P-McMd", kMoved, 'd', {0}},
        {"two moves while stopped", 'a', "X-McMd", kMoved, 'd', {0}},
        {"two moves after the document paused", 'f', "McMd", kMoved, 'd', {0}},
        // With the thread idle: it wakes to the move, not to the start.
        {"move right after a start", '-', "SaMd", kStopped, '-', {2, 4}},
        {"move right after a continue", '-', "CaMd", kStopped, '-', {2, 4}},
    };
    std::map<char, int> types = {{'S', EVT_FLIT_COMMAND_START_MSG},
                                 {'P', EVT_FLIT_COMMAND_PAUSE_MSG},
                                 {'C', EVT_FLIT_COMMAND_CONTINUE_MSG},
                                 {'X', EVT_FLIT_COMMAND_STOP_MSG},
                                 {'M', EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG}};
    for (const SCommandCase& row : cases) {
        SCOPED_TRACE(row.name);
        replaceManager();
        ASSERT_TRUE(initialize());
        if (row.heldAt != '-') {
            startBlocked(nodes[row.heldAt]);
        }
        {
            CWatchdog watchdog("command handlers", std::chrono::seconds(10));
            for (const char* command = row.commands; *command != '\0'; command += 2) {
                send(types[command[0]], nodes[command[1]]);
            }
        }
        release();
        if (row.state == kStopped && row.cursor == '-') {
            ASSERT_TRUE(waitForDone());
        } else {
            host.pumpFor(kQuietPeriod);
            EXPECT_EQ(0u, host.countOf(EVT_FLIT_COMMAND_DONE_MSG));
        }
        EXPECT_EQ(row.state, manager->getState());
        EXPECT_EQ(nodes[row.cursor], manager->getDataInfoListNode());
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
    startBlocked(nodes['a']);
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

TEST_F(EngineCommandTest, DestructionWhileBlockedInTheHandshakeEndsAndPostsNothingMore) {
    startBlocked(nodes['a']);
    destroyManager();
    host.pumpFor(std::chrono::milliseconds(1));
    EXPECT_EQ(1u, host.events().size());
}

// Many fresh engines, each started the moment initialize returns: the start must never be lost
// however far the new thread has got towards its first wait.
TEST_F(EngineTest, StartRightAfterInitializeIsNeverLost) {
    wxCDataInfoListNode* page = document.appendPageInfoRef(document.addPage(0, 5));
    for (int round = 0; round < 25; ++round) {
        replaceManager();
        ASSERT_TRUE(initialize());
        send(EVT_FLIT_COMMAND_START_MSG, page);
        ASSERT_TRUE(waitForDone()) << "round " << round;
    }
}

// The hold really sleeps here, and destruction cuts it short.
TEST_F(EngineTest, DestructionCutsALongHoldShort) {
    document.storeLinkFileData("long.png", "x", 1);
    wxCDataInfoListNode* word = document.appendWord(
        "swell", CStyleInfo(), document.addLink(eLinkBackground, "long.png", "100000"));
    skipSleeps = false;
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, word);
    ASSERT_TRUE(host.waitFor([&] { return !sleeps().empty(); }));
    EXPECT_EQ(std::vector<SSleep>(1, {100000000, kFromRender}), sleeps());
    destroyManager();
}

// A capturing log target, to see the message of a failed initialize.
class CCaptureLog : public wxLog {
public:
    std::vector<wxString> errors;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo&) override {
        if (level <= wxLOG_Error) {
            errors.push_back(message);
        }
    }
};

TEST_F(EngineTest, FailedInitializeIsReportedAndDestructionDoesNotWait) {
    manager->failThreadCreation = true;
    CCaptureLog capture;
    wxLog* previous = wxLog::SetActiveTarget(&capture);
    const bool initialized = initialize();
    wxLog::SetActiveTarget(previous);
    EXPECT_FALSE(initialized);
    EXPECT_EQ(std::vector<wxString>{"Failed to create FlitViewThread."}, capture.errors);
    destroyManager();
}

} // namespace
