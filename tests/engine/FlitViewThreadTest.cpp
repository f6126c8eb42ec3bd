#include "FlitEngineTestSupport.h"

#include <wx/log.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Reading from a node goes to the end of the document and reports DONE once. The restart before
// the first item brings the view up to date: background, text colour, speed, and the nearest page
// shown before it (hidden ones are passed over). A background the document holds no data for
// stops the restart, and its word is not shown. A second start at the end shows that the engine
// has moved on: anything the first one posted after its DONE would come before the second DONE.
TEST_F(EngineTest, AStartRestartsThenPresentsTheItemsThenReportsDoneOnce) {
    const struct {
        int start; // the index of the node; 8 is past the end
        const char* expected;
    } cases[] = {
        {0, "BACKGROUND a picture w @0, TEXT_COLOUR 1 #C81E28 @0, SPEED 400 @0, PAGE_NUM 0 @0, "
            "Harbour w @0, _ w @0, lights w @2, _ w @2, mast w @3, _ w @3, PAGE_NUM 3 @4, "
            "buoy w @6, _ w @6, PAGE_NUM 9 @7, DONE"},
        {3, "PAGE_NUM 3 @4, DEFAULT_BACKGROUND w @6, buoy w @6, _ w @6, PAGE_NUM 9 @7, DONE"},
        {6, "DEFAULT_BACKGROUND w @6, RESET_TEXT_COLOUR @6, SPEED 400 @6, PAGE_NUM 3 @6, "
            "buoy w @6, _ w @6, PAGE_NUM 9 @7, DONE"},
        {7, "SPEED 400 @7, PAGE_NUM 9 @7, PAGE_NUM 9 @7, DONE"},
        {8, "DONE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        reset();
        CDataManager& d = *document;
        d.storeLinkFileData("sea.png", "a picture", 9);
        d.appendWord("Harbour", CStyleInfo(), d.addLink(eLinkBackground, "sea.png", "1"),
                     d.addTag(wxColour(200, 30, 40), true));
        d.appendSpace();
        d.appendWord("lights");
        d.appendWord("mast", CStyleInfo(), d.addLink(eLinkBackground, "lost.png"));
        d.appendPageInfoRef(d.addPage(0, 3));
        d.appendPageInfoRef(d.addPage(CPageInfo::kHiddenPageType, 4));
        d.appendWord("buoy");
        d.appendPageInfoRef(d.addPage(0, 9));
        wxCDataInfoListNode* start = d.getFirstNode();
        d.getNextNode(&start, c.start);
        manager->setTargetSpeed(400);
        ASSERT_TRUE(initialize());
        send(EVT_FLIT_COMMAND_START_MSG, start);
        ASSERT_TRUE(waitForDone());
        EXPECT_EQ(CFlitManager::eStopped, manager->getState());
        EXPECT_EQ(nullptr, manager->getDataInfoListNode());
        send(EVT_FLIT_COMMAND_START_MSG);
        ASSERT_TRUE(waitForDone(2));
        EXPECT_EQ(c.expected + std::string(", DONE"), log());
    }
}

// A missing view gets nothing and is not waited for; destruction joins the thread, so nothing it
// posted can still be on its way.
TEST_F(EngineTest, NullWindowsGetNothingAndAreNotWaitedFor) {
    wxCDataInfoListNode* first = document->appendWord("keel");
    ASSERT_TRUE(manager->initialize(document.get(), host.mainFrame(), nullptr, nullptr));
    send(EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(host.waitFor([&] { return manager->getState() == CFlitManager::eStopped; }));
    EXPECT_EQ(nullptr, manager->getDataInfoListNode());
    destroyManager();
    host.pumpFor(std::chrono::milliseconds(1));
    EXPECT_EQ("", log());
}

TEST_F(EngineTest, DoneSentToTheThreadObjectReachesTheView) {
    ASSERT_TRUE(initialize());
    CFlitCommandEvent done(EVT_FLIT_COMMAND_DONE_MSG);
    manager->getFlitViewThread()->ProcessEvent(done);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ("DONE CFlitViewThread::OnFlitCommandDone entered.", log());
}

// A document of plain words and page markers whose page numbers show where reading went, after a
// graphic that pauses reading. A restart on a word posts a DEFAULT_BACKGROUND that waits for
// render, where the tests hold the thread; so does the pausing graphic.
class EngineCommandTest : public EngineTest {
protected:
    void SetUp() override { build(); }

    void build() {
        reset();
        CDataManager& d = *document;
        d.storeLinkFileData("chart.png", "x", 1);
        nodes = {{'-', nullptr},
                 {'f', d.appendLinkInfoRef(d.addLink(eLinkBGraphic, "chart.png", "look"))},
                 {'a', d.appendWord("anchor")},
                 {'b', d.appendPageInfoRef(d.addPage(0, 1))},
                 {'c', d.appendPageInfoRef(d.addPage(0, 2))},
                 {'d', d.appendWord("dock")},
                 {'e', d.appendPageInfoRef(d.addPage(0, 4))}};
        ASSERT_TRUE(initialize());
    }

    // By name; '-' is null.
    std::map<char, wxCDataInfoListNode*> nodes;
};

// One row: where reading starts, held in the handshake there ('-': not started; the commands
// start it with the thread idle); the commands then sent with no event handled in between, each
// a letter (Start, Pause, Continue, stop X, Move) and the node it carries; where reading ends:
// '-' when it reads to the end, or the node it was moved to while paused or stopped, with
// nothing more presented; and the page numbers that reached the view: each restart posts the
// page at or before its node (0 for a and f, 2 for d), and each page marker its own number.
TEST_F(EngineCommandTest, CommandSequencesEndInTheStateCursorAndPagesTheyMust) {
    const struct {
        const char* name;
        char heldAt;
        const char* commands;
        char movedTo;
        std::vector<int> pages;
    } cases[] = {
        // The item in hand completes, the new node is not passed, reading goes on from it.
        {"move while reading", 'a', "Md", '-', {0, 2, 4}},
        {"continue while the paused item completes", 'a', "P-Cb", '-', {0, 1, 1, 2, 4}},
        {"move after a continue", 'a', "P-CbMd", '-', {0, 2, 4}},
        {"every command while blocked", 'a', "P-CbMcX-Sd", '-', {0, 2, 4}},
        // Moves while paused or stopped present nothing, however many there are.
        {"move while paused", 'a', "P-Md", 'd', {0}},
        {"two moves while paused", 'a', "P-McMd", 'd', {0}},
        {"two moves while stopped", 'a', "X-McMd", 'd', {0}},
        {"two moves after the document paused", 'f', "McMd", 'd', {0}},
        // With the thread idle: it wakes to the move, not to the start.
        {"move right after a start", '-', "SaMd", '-', {2, 4}},
        {"move right after a continue", '-', "CaMd", '-', {2, 4}},
    };
    const std::string letters = "SPCXM";
    const int types[] = {EVT_FLIT_COMMAND_START_MSG, EVT_FLIT_COMMAND_PAUSE_MSG,
                         EVT_FLIT_COMMAND_CONTINUE_MSG, EVT_FLIT_COMMAND_STOP_MSG,
                         EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        build();
        if (row.heldAt != '-') {
            startBlocked(nodes[row.heldAt]);
        }
        {
            CWatchdog watchdog("command handlers", std::chrono::seconds(10));
            for (const char* command = row.commands; *command != '\0'; command += 2) {
                send(types[letters.find(command[0])], nodes[command[1]]);
            }
        }
        release();
        if (row.movedTo == '-') {
            ASSERT_TRUE(waitForDone());
        } else {
            host.pumpFor(kQuietPeriod);
            EXPECT_EQ(0u, host.countOf(EVT_FLIT_COMMAND_DONE_MSG));
        }
        EXPECT_EQ(row.movedTo == '-' ? CFlitManager::eStopped : CFlitManager::eListPtrModified,
                  manager->getState());
        EXPECT_EQ(nodes[row.movedTo], manager->getDataInfoListNode());
        std::vector<int> pages;
        for (const SRecordedEvent& event : host.events()) {
            if (event.type == EVT_FLIT_COMMAND_PAGE_NUM_MSG) {
                pages.push_back(event.number);
            }
        }
        // Idle rows may or may not have begun at the start's node before the move came.
        if (row.heldAt == '-' && pages.size() > row.pages.size()) {
            pages.erase(pages.begin());
        }
        EXPECT_EQ(row.pages, pages);
    }
}

// Neither a wake-up without a signal, nor a second signal for an event already shown, nor a
// signal for an event nothing waits for lets the next event through before it is shown.
TEST_F(EngineCommandTest, SpuriousWakeUpsAndStaleSignalsDoNotReleaseTheHandshake) {
    startBlocked(nodes['a'], "anchor");
    const long backgroundTicket = host.events()[0].ticket;
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

// The hold really sleeps here, and destruction cuts it short.
TEST_F(EngineTest, DestructionCutsALongHoldShort) {
    document->storeLinkFileData("long.png", "x", 1);
    wxCDataInfoListNode* word = document->appendWord(
        "swell", CStyleInfo(), document->addLink(eLinkBackground, "long.png", "100000"));
    skipSleeps = false;
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, word);
    ASSERT_TRUE(host.waitFor([&] { return !sleeps().empty(); }));
    EXPECT_EQ(std::vector<SSleep>(1, {100000000, kFromRender}), sleeps());
    destroyManager();
}

// Captures the errors logged, to see the message of a failed initialize.
struct CCaptureLog : wxLog {
    std::vector<wxString> errors;
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
}

} // namespace
