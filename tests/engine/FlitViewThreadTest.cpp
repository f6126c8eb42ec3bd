#include "support/TestHost.h"
#include "support/Watchdog.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/FlitViewThread.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <gtest/gtest.h>
#include <wx/log.h>
#include <wx/tokenzr.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// A manager that lets tests wake the waiting thread without a render signal, make the creation
// of its thread fail, and see every sleep the thread asks for.
struct CTestableManager : CFlitManager {
    void spuriousRenderWake() {
        wxMutexLocker lock(renderedMutex);
        renderedCondition.Broadcast();
    }

    bool failThreadCreation = false;
    CFlitViewThread::SleepObserver sleepObserver;
    CFlitViewThread::LatencyObserver latencyObserver;

    wxThreadError createThread(CFlitViewThread& thread) override {
        thread.setSleepObserver(sleepObserver);
        thread.setLatencyObserver(latencyObserver);
        return failThreadCreation ? wxTHREAD_NO_RESOURCE : CFlitManager::createThread(thread);
    }
};

// A sleep the thread asked for: milliseconds, and what they count from.
using SSleep = std::pair<long, CFlitViewThread::eSleepAnchor>;
const CFlitViewThread::eSleepAnchor kFromRender = CFlitViewThread::eFromRender;

// How long to keep pumping, once everything expected has arrived, to see that nothing more
// comes where no later event can show that the engine has moved on.
const std::chrono::milliseconds kQuietPeriod(200);

// An engine on a document in the test host, with the default timing table; every sleep the
// thread asks for is recorded and, unless skipSleeps is cleared, skipped.
class EngineTest : public testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { destroyManager(); }

    // A new empty document and a new manager on it; no event or sleep seen yet.
    void reset() {
        destroyManager();
        host.clearEvents();
        requestedSleeps.clear();
        sleepsEarly.clear();
        document = std::make_unique<CDataManager>();
        manager = std::make_unique<CTestableManager>();
        manager->sleepObserver = [this](long milliseconds, CFlitViewThread::eSleepAnchor from,
                                        std::chrono::microseconds early) {
            std::lock_guard<std::mutex> lock(sleepsMutex);
            requestedSleeps.emplace_back(milliseconds, from);
            sleepsEarly.push_back(early.count());
            return skipSleeps.load();
        };
        host.attach(manager.get());
    }

    bool initialize() {
        return manager->initialize(document.get(), host.mainFrame(), host.flitView(),
                                   host.assessmentView());
    }

    void destroyManager() {
        host.attach(nullptr);
        CWatchdog watchdog("destroying the manager", std::chrono::seconds(30));
        manager.reset();
    }

    std::vector<SSleep> sleeps() {
        std::lock_guard<std::mutex> lock(sleepsMutex);
        return requestedSleeps;
    }

    void send(int type, wxCDataInfoListNode* node = nullptr) { host.send(*manager, type, node); }

    // Starts at node with renders held, and waits until the thread is blocked in the handshake
    // of the first event that waits for render, or of the first one with the given text.
    void startBlocked(wxCDataInfoListNode* node, const wxString& text = "") {
        host.holdRenders(true);
        send(EVT_FLIT_COMMAND_START_MSG, node);
        for (;; host.releaseHeldRenders()) {
            ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() == 1; }));
            if (text.empty() || host.events().back().text == text) {
                return;
            }
        }
    }

    void release() {
        host.holdRenders(false);
        host.releaseHeldRenders();
    }

    bool waitForDone(size_t count = 1) {
        return host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) >= count; });
    }

    // The events the host received, each as: the window unless it is the view; a word's text
    // ("_" for a blank) or else the type's name; the number unless -1; the colour; any other
    // text (for a file the engine wrote, what it holds); "w" when the thread waited for its
    // render; @ and the index of its node in the document.
    std::string log() const {
        static const char* const kWindowNames[] = {"main ", "", "assessment "};
        std::string all;
        for (const SRecordedEvent& e : host.events()) {
            std::string text = e.text.utf8_string();
            if (text.rfind('/', 0) == 0) {
                std::ifstream file(text, std::ios::binary);
                text.assign(std::istreambuf_iterator<char>(file), {});
            }
            const bool word = e.type == EVT_FLIT_COMMAND_WORD_MSG;
            const wxString colour =
                e.colour.IsOk() ? " " + e.colour.GetAsString(wxC2S_HTML_SYNTAX) : wxString();
            const int index =
                document->getDataInfoList().IndexOf(e.node ? e.node->GetData() : nullptr);
            all += (all.empty() ? "" : ", ") + std::string(kWindowNames[e.window]) +
                   (word ? (text.empty() ? "_" : text) : CFlitCommandEvent::getTypeName(e.type)) +
                   (e.number != -1 ? " " + std::to_string(e.number) : "") + colour.utf8_string() +
                   (!word && !text.empty() ? " " + text : "") + (e.waitedFor ? " w" : "") +
                   (e.node != nullptr ? " @" + std::to_string(index) : "");
        }
        return all;
    }

    // Adds to expectedSleeps the sleeps of a word shown at the speed: each chunk for the display
    // time of its first L characters (the first chunk also for the sustain armed before it), each
    // blank for the inter-word delay.
    void word(const char* timedPart, int chunks, char separator, int speed, int sustain = 0) {
        for (int chunk = 0; chunk < chunks; ++chunk) {
            const int shown = calcs.calcWordDisplayTime(timedPart, speed);
            expectedSleeps.emplace_back(shown + (chunk == 0 ? sustain : 0), kFromRender);
            expectedSleeps.emplace_back(calcs.calcInterWordDelayTime(timedPart, separator, speed),
                                        kFromRender);
        }
    }

    // A new document of plain words and page markers whose page numbers show where reading
    // went, after a graphic that pauses reading, with an engine on it. A restart on a word posts
    // a DEFAULT_BACKGROUND that waits for render, where the tests hold the thread; so does the
    // pausing graphic.
    void buildHarbour() {
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

    CTestHost host;
    // The nodes of buildHarbour's document, by name; '-' is null.
    std::map<char, wxCDataInfoListNode*> nodes;
    CFlitWordCalcs calcs;
    std::vector<SSleep> expectedSleeps;
    std::mutex sleepsMutex;
    std::vector<SSleep> requestedSleeps;
    // How much earlier each sleep was to end, in microseconds.
    std::vector<long> sleepsEarly;
    std::atomic<bool> skipSleeps{true};
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CTestableManager> manager;
};

// --- Starting, commands, the render handshake, destruction ---

// Reading from a node goes to the end of the document and reports DONE once. The restart before
// the first item brings the view up to date: background, text colour, speed, and the nearest page
// shown before it (hidden ones are passed over). A background the document holds no data for
// stops the restart, and its word is not shown. Bold and highlight are announced before a word
// that changes them (italic and underline are not); an empty word shows nothing and leaves the
// remembered style alone. A second start, at the last word, shows that the engine has moved on
// (anything the first reading posted after its DONE would come before it), and that the restart
// forgets the last style: the styles that are on are announced again.
TEST_F(EngineTest, AStartRestartsThenPresentsTheItemsThenReportsDoneOnce) {
    const struct {
        int start; // the index of the node; 9 is past the end
        const char* expected;
    } cases[] = {
        {0, "BACKGROUND a picture w @0, TEXT_COLOUR 1 #C81E28 @0, SPEED 400 @0, PAGE_NUM 0 @0, "
            "STYLE_BOLD 1 @0, STYLE_HIGHLIGHT 1 @0, Harbour w @0, _ w @0, same w @2, _ w @2, "
            "STYLE_BOLD 0 @4, lit w @4, _ w @4, STYLE_HIGHLIGHT 0 @5, mast w @5, _ w @5, "
            "PAGE_NUM 3 @6, STYLE_BOLD 1 @8, STYLE_HIGHLIGHT 1 @8, again w @8, _ w @8, DONE"},
        {5, "PAGE_NUM 3 @6, DEFAULT_BACKGROUND w @8, STYLE_BOLD 1 @8, STYLE_HIGHLIGHT 1 @8, "
            "again w @8, _ w @8, DONE"},
        {9, "DONE"},
    };
    const CStyleInfo boldAndHighlight(eStyleBold | eStyleHighlight);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        reset();
        CDataManager& d = *document;
        d.storeLinkFileData("sea.png", "a picture", 9);
        d.appendWord("Harbour", boldAndHighlight, d.addLink(eLinkBackground, "sea.png", "1"),
                     d.addTag(wxColour(200, 30, 40), true));
        d.appendSpace();
        d.appendWord("same", CStyleInfo(eStyleBold | eStyleHighlight | eStyleItalic));
        d.appendWord("");
        d.appendWord("lit", CStyleInfo(eStyleHighlight));
        d.appendWord("mast", CStyleInfo(eStyleUnderline), d.addLink(eLinkBackground, "lost.png"));
        d.appendPageInfoRef(d.addPage(0, 3));
        d.appendPageInfoRef(d.addPage(CPageInfo::kHiddenPageType, 4));
        wxCDataInfoListNode* again = d.appendWord("again", boldAndHighlight);
        wxCDataInfoListNode* start = d.getFirstNode();
        d.getNextNode(&start, c.start);
        manager->setTargetSpeed(400);
        ASSERT_TRUE(initialize());
        send(EVT_FLIT_COMMAND_START_MSG, start);
        ASSERT_TRUE(waitForDone());
        send(EVT_FLIT_COMMAND_START_MSG, again);
        ASSERT_TRUE(waitForDone(2));
        EXPECT_EQ(c.expected + std::string(", DEFAULT_BACKGROUND w @8, RESET_TEXT_COLOUR @8, "
                                           "SPEED 400 @8, PAGE_NUM 3 @8, STYLE_BOLD 1 @8, "
                                           "STYLE_HIGHLIGHT 1 @8, again w @8, _ w @8, DONE"),
                  log());
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

// One row: where reading starts, held in the handshake there ('-': not started; the commands
// start it with the thread idle); the commands then sent with no event handled in between, each
// a letter (Start, Pause, Continue, stop X, Move) and the node it carries; where reading ends:
// '-' when it reads to the end, or the node it was moved to while paused or stopped, with
// nothing more presented; and the page numbers that reached the view: each restart posts the
// page at or before its node (0 for a and f, 2 for d), and each page marker its own number.
TEST_F(EngineTest, CommandSequencesEndInTheStateCursorAndPagesTheyMust) {
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
    const int types[] = {EVT_FLIT_COMMAND_START_MSG, EVT_FLIT_COMMAND_PAUSE_MSG,
                         EVT_FLIT_COMMAND_CONTINUE_MSG, EVT_FLIT_COMMAND_STOP_MSG,
                         EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        buildHarbour();
        if (row.heldAt != '-') {
            startBlocked(nodes[row.heldAt]);
        }
        {
            CWatchdog watchdog("command handlers", std::chrono::seconds(10));
            for (const char* command = row.commands; *command != '\0'; command += 2) {
                send(types[std::string("SPCXM").find(command[0])], nodes[command[1]]);
            }
        }
        release();
        if (row.movedTo == '-') {
            ASSERT_TRUE(waitForDone());
        } else {
            host.pumpFor(kQuietPeriod);
        }
        EXPECT_EQ(row.movedTo == '-' ? 1u : 0u, host.countOf(EVT_FLIT_COMMAND_DONE_MSG));
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
TEST_F(EngineTest, SpuriousWakeUpsAndStaleSignalsDoNotReleaseTheHandshake) {
    buildHarbour();
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

// Destruction while the thread is blocked in the handshake ends, and nothing more is posted. A
// DONE sent to the thread object reaches the view, sent on from the GUI thread.
TEST_F(EngineTest, DestructionWhileBlockedInTheHandshakeEndsAndPostsNothingMore) {
    buildHarbour();
    startBlocked(nodes['a']);
    CFlitCommandEvent done(EVT_FLIT_COMMAND_DONE_MSG);
    manager->getFlitViewThread()->ProcessEvent(done);
    destroyManager();
    host.pumpFor(std::chrono::milliseconds(1));
    EXPECT_EQ("DEFAULT_BACKGROUND w @1, DONE CFlitViewThread::OnFlitCommandDone entered.", log());
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
}

// Captures the errors logged, a line each, to see the message of a failed initialize.
struct CCaptureLog : wxLog {
    wxString errors;
    void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo&) override {
        errors += level <= wxLOG_Error ? message + "\n" : "";
    }
};

TEST_F(EngineTest, FailedInitializeIsReportedAndDestructionDoesNotWait) {
    manager->failThreadCreation = true;
    CCaptureLog capture;
    wxLog* previous = wxLog::SetActiveTarget(&capture);
    const bool initialized = initialize();
    wxLog::SetActiveTarget(previous);
    EXPECT_FALSE(initialized);
    EXPECT_EQ("Failed to create FlitViewThread.\n", capture.errors);
}

// --- Each kind of item ---

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
};

// Each item is read between the words gull and tern, from a start at gull. Where reading goes on
// and the row's log does not end with DONE, tern and DONE follow.
TEST_F(EngineTest, EachItemPostsItsEventsThenGoesOnOrStops) {
    const CFlitManager::eStateType R = CFlitManager::eRunning, P = CFlitManager::ePaused,
                                   X = CFlitManager::eStopped;
    const long kMax = 2147483000; // the longest hold, in whole seconds that fit an int in ms
    const std::string graphic = "BGRAPHIC pic w @1, DEFAULT_BACKGROUND w @2";
    const std::string announce = "Press w @1, _ w @1, 'A' w @1, _ w @1, to w @1, _ w @1, "
                                 "read w @1, _ w @1, attachment w @1, _ w @1";
    const SItemCase cases[] = {
        {linkRef(eLinkLGraphic, "pic"), "BACKGROUND pic w @1, DEFAULT_BACKGROUND w @2"},
        {linkRef(eLinkBGraphic, "pic", "1"), graphic, R, 1000},
        {linkRef(eLinkBGraphic, "pic", "99999999999"), graphic, R, kMax},
        {linkRef(eLinkBGraphic, "pic", "wait"), "BGRAPHIC 1 pic w @1", P, 0},
        {linkRef(eLinkBGraphic, "pic", "-3"), graphic, R, 0},
        {linkRef(eLinkSound, "pic"), "SOUND pic @1"},
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
        {linkRef(eLinkWeb, "http://example.org"), "<LINK> w @1, _ w @1"},
        {linkRef(eLinkMailto, "a@example.org"), "<LINK> w @1, _ w @1"},
        {call(&D::appendValueRef, eDITGlossaryNoteRef, 7), "GLOSSARY_NOTE 7 @1"},
        {call(&D::appendValueRef, eDITCourseNoteRef, 8), "COURSE_NOTE 8 @1"},
        {call(&D::appendValueRef, eDITRapidNoteRef, 9), "RAPID_NOTE 9 @1"},
        {call(&D::appendValueRef, eDITUserNoteRef, 10), "USER_NOTE 10 @1"},
        {call(&D::appendValueRef, eDITDogearRef, 11), "DOGEAR 11 @1"},
        {call(&D::appendValueRef, eDITEmailItem, 0),
         "Email w @1, _ w @1, Item w @1, _ w @1, # w @1, _ w @1, 1 w @1, _ w @1"},
        {call(&D::appendMarker, eDITEmailItemAttachmentAnnounce),
         announce + ", " + announce + ", " + announce},
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
         "Email w @3, _ w @3, Item w @3, _ w @3, # w @3, _ w @3, 3 w @3, _ w @3, tern w @4, _ w "
         "@4, DONE"},
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
    };
    for (const SItemCase& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        reset();
        document->storeLinkFileData("pic", "pic", 3);
        document->appendWord("gull");
        wxCDataInfoListNode* item = c.append(*document);
        document->appendWord("tern");
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

        // The item's own sleep, after gull's two, and one for each chunk and blank waited for.
        const std::vector<SSleep> requested = sleeps();
        size_t waited = c.hold >= 0 ? 1 : 0;
        for (const SRecordedEvent& event : host.events()) {
            waited += event.type == EVT_FLIT_COMMAND_WORD_MSG && event.waitedFor ? 1 : 0;
        }
        ASSERT_EQ(waited, requested.size());
        EXPECT_TRUE(c.hold < 0 || SSleep(c.hold, kFromRender) == requested[2])
            << requested[2].first;
        // The cursor stays on an item that stops reading.
        EXPECT_EQ(c.targetSpeed, manager->getTargetSpeed());
        EXPECT_EQ(c.leaves == R ? X : c.leaves, manager->getState());
        EXPECT_EQ(c.leaves == R ? nullptr : item, manager->getDataInfoListNode());
    }
}

// --- Words: timing, styles, pauses ---

const char kSpace = COvriChars::kSpaceChar;
const char kNewline = COvriChars::kNewlineChar;
const char kEnd = COvriChars::kNullByte;

// The manager never raises the current speed past 950, so for a target above 925 the ramp holds
// at 925 and never ends.
TEST_F(EngineTest, TheRampHoldsAt925BelowATargetAbove925) {
    for (int speed = 100; speed <= 1000; speed += 75) {
        document->appendWord("swell");
        document->appendSpace();
        word("swell", 1, kSpace, wxMin(speed, 925));
    }
    document->appendChangeView(CDITChangeView::eViewReading);
    manager->setTargetSpeed(950);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    ASSERT_TRUE(host.waitFor([&] { return manager->getState() == CFlitManager::eStopped; }));
    EXPECT_EQ(expectedSleeps, sleeps());
    EXPECT_EQ(925, manager->getCurrentSpeed());
}

// A pause while a flash is on screen lets the word finish, all its chunks, and no more: the
// rest of an attachment announcement, and the next word, are not shown. The second row starts
// from where the first left the engine, paused.
TEST_F(EngineTest, APauseDuringAWordLetsItFinishAndNoMore) {
    const struct {
        int node;
        const char* pauseAt;
        const char* expected;
    } cases[] = {
        {0, "tionali-",
         "DEFAULT_BACKGROUND w @0, RESET_TEXT_COLOUR @0, SPEED 250 @0, PAGE_NUM 0 @0, "
         "interna- w @0, _ w @0, tionali- w @0, _ w @0, zation w @0, _ w @0"},
        {1, "Press", "SPEED 250 @1, PAGE_NUM 0 @1, Press w @1, _ w @1"},
    };
    document->appendWord("internationalization");
    document->appendMarker(eDITEmailItemAttachmentAnnounce);
    document->appendWord("more");
    manager->setWordDisplayLength(8);
    ASSERT_TRUE(initialize());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pauseAt);
        host.clearEvents();
        wxCDataInfoListNode* start = document->getFirstNode();
        document->getNextNode(&start, c.node);
        startBlocked(start, c.pauseAt);
        send(EVT_FLIT_COMMAND_PAUSE_MSG);
        release();
        host.waitFor([&] { return log() == c.expected; });
        host.pumpFor(kQuietPeriod);
        EXPECT_EQ(c.expected, log());
        EXPECT_EQ(CFlitManager::ePaused, manager->getState());
        EXPECT_EQ(start, manager->getDataInfoListNode());
    }
}

// Every chunk is held for the display time of the word's first L characters, the first one also
// for the sustain before it (the later of two sustains), and each blank for the word's
// inter-word delay; a newline after the word, even past other items, lengthens that delay. Each
// chunk is at most L characters, hyphen included. After the restart the words are timed at 100,
// 175, 250, ... words per minute until the current speed passes the target (not when it reaches
// it), then at the target. Rests and sustains are timed at the target, not by the ramp; a rest's
// blank waits for no render, so its delay counts from the post.
TEST_F(EngineTest, ChunksAreTimedFromTheirFirstCharactersAndTheLastSustain) {
    manager->setTargetSpeed(950);
    document->appendSustain(1);
    document->appendSustain(3);
    document->appendWord("internationalization");
    document->appendSpace();
    document->appendWord("ebb");
    document->appendPageInfoRef(document->addPage(0, 2));
    document->appendNewline();
    document->appendWord("flow");
    document->appendSpace();
    document->appendLinkInfoRef(document->addLink(eLinkSpeed, "400"));
    document->appendRest(1);
    document->appendSustain(1);
    document->appendWord("d");
    document->appendSpace();
    document->appendWord("e");
    document->appendSpace();
    document->appendWord("f");
    manager->setWordDisplayLength(8);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(
        "SPEED 950 @0, PAGE_NUM 0 @0, DEFAULT_BACKGROUND w @2, interna- w @2, _ w @2, "
        "tionali- w @2, _ w @2, zation w @2, _ w @2, ebb w @4, _ w @4, PAGE_NUM 2 @5, "
        "flow w @7, _ w @7, SPEED 400 @9, _ @10, d w @12, _ w @12, e w @14, _ w @14, f w @16, "
        "_ w @16, DONE",
        log());
    word("internat", 3, kSpace, 100, calcs.calcSustainDelay(3, 950));
    word("ebb", 1, kNewline, 175);
    word("flow", 1, kSpace, 250);
    expectedSleeps.emplace_back(calcs.calcRestDelay(1, 400), CFlitViewThread::eFromPost);
    word("d", 1, kSpace, 325, calcs.calcSustainDelay(1, 400));
    word("e", 1, kSpace, 400);
    word("f", 1, kEnd, 400);
    EXPECT_EQ(expectedSleeps, sleeps());
    EXPECT_EQ(475, manager->getCurrentSpeed());
}

// A word passed over because reading is not running (here the host moved the cursor onto it
// while its background was shown) leaves the sustain armed, and the restart keeps it too.
TEST_F(EngineTest, ASustainStaysArmedPastAWordSkippedWhileNotRunning) {
    wxCDataInfoListNode* sustain = document->appendSustain(3);
    wxCDataInfoListNode* ebb = document->appendWord("ebb");
    ASSERT_TRUE(initialize());
    startBlocked(sustain);
    send(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, ebb);
    release();
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ("SPEED 250 @0, PAGE_NUM 0 @0, DEFAULT_BACKGROUND w @1, DEFAULT_BACKGROUND w @1, "
              "RESET_TEXT_COLOUR @1, SPEED 250 @1, PAGE_NUM 0 @1, ebb w @1, _ w @1, DONE",
              log());
    word("ebb", 1, kEnd, 100, calcs.calcSustainDelay(3, 250));
    EXPECT_EQ(expectedSleeps, sleeps());
}

// Compensation, with the host's post-to-render times fed in exactly, one per waited post (the
// restart's background, then each chunk and blank): each sleep ends earlier by the lower middle
// of the waits so far of the kind that comes next (after a chunk its blank, else anything but a
// blank), plus half the time the renders are behind the sleeps before them (at most 1 ms, and
// less when they ran ahead), never by more than the sleep itself, so never before the render it
// counts from; a restart forgets both. A chunk whose blank is shorter than the usual render of a
// word ends earlier by the difference too (at most a quarter of it), and the blank later, so the
// next word comes on time. Scheduled deadlines warn the host by the longest wait (and the spread of
// the waits over their number) and a margin instead of the median, and count a render as coming
// no sooner than its time; a host that queues gets the blank sooner and still shows it at its
// time, so the sleep after it may end before it is on screen. The other modes end on time. (The
// words' chunks and blanks here last 290 and 43 ms, then 174 and 19 ms.)
TEST_F(EngineTest, CompensatedSleepsEndEarlierByTheMedianRenderTimeAndTheTimeLost) {
    const double kAll = -1; // the whole sleep
    struct SCase {
        const char* name;
        CFlitViewThread::ePacing pacing;
        int words;
        int readings;
        std::vector<long> latencyMs;
        std::vector<double> earlyMs;
        bool queues = false;
    } const cases[] = {
        {"median so far, blanks apart, and falling behind",
         CFlitViewThread::ePacingCompensated,
         3,
         1,
         {3, 1, 2, 5, 4, 9, 7},
         {1, 1.5, 3, 4, 3, 4}},
        {"one slow render made up in halves, at most 1 ms a sleep",
         CFlitViewThread::ePacingCompensated,
         3,
         1,
         {2, 2, 2, 6, 2, 2, 2},
         {2, 2, 3, 3, 3, 2.5}},
        {"a render sooner than allowed for is given back",
         CFlitViewThread::ePacingCompensated,
         2,
         1,
         {4, 4, 4, 0, 4},
         {4, 4, 3, 3}},
        {"a host slower than every sleep",
         CFlitViewThread::ePacingCompensated,
         2,
         1,
         {100000, 100000, 100000, 100000, 100000},
         {kAll, kAll, kAll, kAll}},
        {"intervals shorter than the host's render are not made up",
         CFlitViewThread::ePacingCompensated,
         2,
         1,
         {100000, 100000, 2, 2, 2},
         {kAll, kAll, 2 + 174.0 / 4, kAll}},
        {"a blank shorter than a word's render lengthened at its chunk's expense",
         CFlitViewThread::ePacingCompensated,
         2,
         1,
         {30, 30, 1, 30, 1},
         {30, 29, 1 - 1 + (30 - 19), 30 - 1 - (30 - 19)}},
        {"scheduled: the longest wait of the posts it had a time for and the margin, a render "
         "later than its time made up",
         CFlitViewThread::ePacingScheduled,
         2,
         1,
         {3, 1, 2, 5, 6},
         {kAll, kAll, 2 + 2, 5 + 2 + (6 - 4) / 2.0}},
        {"a host that queues: the short blank drawn sooner and shown at its time, the word after "
         "it posted before the blank is on screen",
         CFlitViewThread::ePacingScheduled,
         2,
         1,
         {30, 30, 1, 30, 1},
         {kAll, kAll, 1 + 2 + (30 + 2 - 19), 30 + 2},
         true},
        {"a restart forgets",
         CFlitViewThread::ePacingCompensated,
         1,
         2,
         {9, 9, 9, 1, 2, 4},
         {9, 9, 1, 2}},
        {"plain deadlines", CFlitViewThread::ePacingDeadlines, 1, 1, {3, 3, 3}, {0, 0}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        host.queueRenders(c.queues);
        size_t waited = 0;
        manager->latencyObserver = [&](std::chrono::microseconds) {
            const long ms = waited < c.latencyMs.size() ? c.latencyMs[waited] : 0;
            ++waited;
            return std::chrono::microseconds(std::chrono::milliseconds(ms));
        };
        for (int i = 0; i < c.words; ++i) {
            document->appendWord(std::string(1, char('k' + i)).c_str());
        }
        ASSERT_TRUE(initialize());
        manager->getFlitViewThread()->setPacing(c.pacing);
        for (int reading = 1; reading <= c.readings; ++reading) {
            send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
            ASSERT_TRUE(waitForDone(size_t(reading)));
        }
        destroyManager();
        EXPECT_EQ(c.latencyMs.size(), waited);
        const std::vector<SSleep> requested = sleeps();
        ASSERT_EQ(c.earlyMs.size(), requested.size());
        std::vector<long> expected;
        for (size_t i = 0; i < requested.size(); ++i) {
            EXPECT_EQ(kFromRender, requested[i].second);
            expected.push_back(std::lround(
                (c.earlyMs[i] == kAll ? double(requested[i].first) : c.earlyMs[i]) * 1000));
        }
        EXPECT_EQ(expected, sleepsEarly);
    }
}

} // namespace

// Several words per flash: each row a text ('|' a line break, '*' a bold word), the words per
// flash and the phrase length (0: the default), and what the view shows. A phrase ends at a
// line break, a mark, a dash, a change of style, and its limits; a long word flashes alone in
// its chunks. Reading takes the same sleeps in all as one word a flash, and counts the same
// words; the phrase carries its last word's node, from which reading goes on.
TEST_F(EngineTest, PhrasesKeepToTheirRulesAndTakeTheTimeOfTheirWords) {
    const struct {
        const char* text;
        unsigned int words;
        unsigned int length;
        const char* shown;
    } cases[] = {
        {"a big red boat|sails out", 3, 0, "a big red, boat, sails out"},
        {"one, two; three: four - five", 5, 0, "one,, two;, three:, four, -, five"},
        {"Mr. Lee saw it. Then we left", 4, 0, "Mr., Lee saw it., Then we left"},
        {"the *bold words go on", 5, 0, "the, bold, words go on"},
        {"the lighthouses shone on", 3, 8, "the, lightho-, uses, shone on"},
        {"a b c d e f g", 5, 5, "a b c, d e f, g"},
        {"a b c d e f g", 1, 0, "a, b, c, d, e, f, g"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::map<unsigned int, std::vector<SSleep>> sleepsOf;
        std::map<unsigned int, unsigned int> countOf;
        for (const unsigned int words : {1u, c.words}) {
            reset();
            wxStringTokenizer tokens(c.text, " |", wxTOKEN_RET_DELIMS);
            wxCDataInfoListNode* first = nullptr;
            while (tokens.HasMoreTokens()) {
                wxString token = tokens.GetNextToken();
                const wxUniChar end = token.empty() ? wxUniChar(' ') : token.Last();
                if (end == ' ' || end == '|') {
                    token.RemoveLast();
                }
                const bool bold = token.StartsWith("*", &token);
                wxCDataInfoListNode* node = document->appendWord(
                    token.utf8_str(), bold ? CStyleInfo(eStyleBold) : CStyleInfo());
                first = first != nullptr ? first : node;
                if (tokens.HasMoreTokens()) {
                    end == '|' ? document->appendNewline() : document->appendSpace();
                }
            }
            manager->setWordDisplayLength(c.length != 0 ? c.length : 12);
            manager->setWordsPerFlash(words);
            manager->setPhraseLength(c.length);
            ASSERT_TRUE(initialize());
            send(EVT_FLIT_COMMAND_START_MSG, first);
            ASSERT_TRUE(waitForDone());
            sleepsOf[words] = sleeps();
            countOf[words] = manager->getFlitMetricsData()->getNumWordsDisplayed();
            if (words != c.words) {
                continue;
            }
            std::string shown;
            for (const SRecordedEvent& e : host.events()) {
                if (e.type == EVT_FLIT_COMMAND_WORD_MSG && !e.text.empty()) {
                    shown += (shown.empty() ? "" : ", ") + e.text.utf8_string();
                    if (e.text.Contains(" ")) {
                        EXPECT_EQ(e.text.AfterLast(' '),
                                  static_cast<CDITWord*>(e.node->GetData())->getWord());
                    }
                }
            }
            EXPECT_EQ(c.shown, shown);
        }
        long total[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            for (const SSleep& s : sleepsOf[k == 0 ? 1u : c.words]) {
                total[k] += s.first;
            }
        }
        EXPECT_EQ(total[0], total[1]);
        EXPECT_EQ(countOf[1u], countOf[c.words]);
    }
}

// Cut for reading, the thread shows that cut's parts, each timed as a chunk is: by the word's
// first L characters.
TEST_F(EngineTest, TheCutForReadingIsShownAndTimedAsChunksAre) {
    document->appendWord("https://example.org");
    manager->setWordDisplayLength(12);
    manager->setChunkCut(eCutForReading);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ("DEFAULT_BACKGROUND w @0, RESET_TEXT_COLOUR @0, SPEED 250 @0, PAGE_NUM 0 @0, "
              "https:// w @0, _ w @0, example.org w @0, _ w @0, DONE",
              log());
    word("https://exam", 2, kEnd, 100);
    EXPECT_EQ(expectedSleeps, sleeps());
}
