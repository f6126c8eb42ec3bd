// A command storm: random documents with every kind of item, random host commands from the GUI
// thread, random render delays and destruction of the manager at random moments, with the
// engine's promises checked after every step.
//
// Seeded and repeatable: FLIT_STORM_SEED picks the seed (printed with any failure; CI sets a
// fixed one, a run without it takes a new seed from the clock) and FLIT_STORM_COMMANDS the number
// of commands (10,000 by default).

#include "support/TestHost.h"
#include "support/Watchdog.h"
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/timing/FlitWordCalcs.h>
#include <flitengine/timing/FlitWordCalcsSerializer.h>

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long any one step may take before the storm counts as hung.
const std::chrono::seconds kStepDeadline(60);
// Slack between the stopwatch (wall clock) and the steady clock, in milliseconds.
const long long kClockSlackMs = 25;

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoul(value, nullptr, 10) : fallback;
}

// Words, and every directive, picked at random into marked-up text. A style directive opens its
// style, or closes it when it is open, so that styles always balance.
const char* const kWords = "tide quay harbour, Gulls NASA 1999 end. Dr. (aside) breakwater "
                           "internationalization Überraschung a pier; slipway!";
const char* const kDirectives =
    "{rest 2}{sustain 3}{colour #C83228}{colour #1E6E3C flag}{colour}{bold}{highlight}{page 4}"
    "{page 5 hidden}{background sky.png 0}{background}{lgraphic sky.png}{bgraphic sky.png pause}"
    "{bgraphic sky.png}{sound horn.wav}{video sky.png}{speed 400}{speed 700}"
    "{assessment Which way?}{link https://example.org}{mailto office@example.org}"
    "{note glossary 1}{note course 2}{note rapid 3}{note user 4}{dogear 5}{review}{email 0}"
    "{email 3}{attachment announce}{attachment skip}{attachment info}{view 0}{view 1}{view 2}"
    "{view 3}{view 4}{command 0}{command 7}";

std::vector<std::string> split(const char* text, char separator) {
    std::vector<std::string> pieces;
    std::istringstream stream(text);
    for (std::string piece; std::getline(stream, piece, separator);) {
        pieces.push_back(piece);
    }
    return pieces;
}

std::string randomDocument(std::mt19937& random) {
    static const std::vector<std::string> words = split(kWords, ' ');
    static const std::vector<std::string> directives = split(kDirectives, '}');
    std::ostringstream text;
    std::set<std::string> open;
    for (int items = std::uniform_int_distribution<int>(0, 80)(random); items > 0; --items) {
        std::string item = random() % 10 < 6 ? words[random() % words.size()]
                                             : directives[random() % directives.size()] + "}";
        if ((item == "{bold}" || item == "{highlight}") && !open.insert(item).second) {
            open.erase(item);
            item.insert(1, "/");
        }
        text << item << (random() % 5 == 0 ? "\n" : " ");
    }
    return text.str();
}

class CommandStormTest : public testing::Test {
protected:
    void SetUp() override {
        folder = wxFileName::CreateTempFileName("flit-storm");
        wxRemoveFile(folder);
        wxFileName::Mkdir(folder, 0700);
        wxInitAllImageHandlers();
        wxImage(8, 6).SaveFile(folder + "/sky.png", wxBITMAP_TYPE_PNG);
        std::ofstream(folder.ToStdString() + "/horn.wav") << "RIFF";
        // Settings the storm loads: the all-zero table (accepted) and one with descending
        // speeds (refused).
        CFlitWordCalcsSerializer(&calcs, (folder + "/zero.xml").utf8_str()).store();
        std::ofstream(folder.ToStdString() + "/refused.xml")
            << "<flit_word_calcs><timing_table_data><speed>500</speed></timing_table_data>"
               "<timing_table_data><speed>100</speed></timing_table_data></flit_word_calcs>";
    }

    void TearDown() override { wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE); }

    // --- The engine's life ---

    void newDocument() {
        CDocumentImporter importer;
        document =
            importer.importText(randomDocument(random), CDocumentImporter::eMarkedUp, folder);
        ASSERT_TRUE(document) << importer.getError();
        nodes.clear();
        for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
            nodes.push_back(node);
        }
    }

    void newManager() {
        manager = std::make_unique<CFlitManager>();
        host.attach(manager.get());
        manager->setWordDisplayLength(random() % 14);
        ASSERT_TRUE(manager->initialize(document.get(), host.mainFrame(), host.flitView(),
                                        host.assessmentView()));
        watchedManager = manager.get();
        readingHeld = true;
        itemInHand = nullptr;
        readingsOpened = donesThisManager = 0;
        metricsStart = pausedAt = std::nullopt;
    }

    void destroyManager() {
        action = "destroying the manager";
        host.attach(nullptr);
        watchedManager = nullptr;
        manager.reset();
        // Whatever the engine posted before it ended is still queued: check it while the
        // document lives, then nothing more may come.
        host.pumpFor(milliseconds(2));
        checkNewEvents();
        const size_t afterDestruction = host.events().size();
        host.pumpFor(milliseconds(1));
        ASSERT_EQ(afterDestruction, host.events().size()) << "an event after destruction";
        releaseRenders();
    }

    // A new manager, now and then on a new document.
    void renewManager() {
        destroyManager();
        if (random() % 2 == 0) {
            action = "new document";
            document.reset();
            newDocument();
        }
        action = "new manager";
        newManager();
    }

    // Now and then the end of the document.
    wxCDataInfoListNode* randomNode() {
        return nodes.empty() || random() % 8 == 0 ? nullptr : nodes[random() % nodes.size()];
    }

    // --- What the host does ---

    // Sends a command, after checking what came before it against what the commands before it
    // allowed. The metrics model follows the command: at a stop, the metrics' duration must leave
    // out paused time, and must not have frozen.
    void send(int type, wxCDataInfoListNode* node = nullptr) {
        checkNewEvents();
        const bool opens =
            type == EVT_FLIT_COMMAND_START_MSG || type == EVT_FLIT_COMMAND_CONTINUE_MSG;
        if (opens || type == EVT_FLIT_COMMAND_PAUSE_MSG || type == EVT_FLIT_COMMAND_STOP_MSG) {
            itemInHand = readingHeld ? itemInHand : nullptr;
            readingHeld = !opens;
            readingsOpened += opens ? 1 : 0;
        }
        if (type == EVT_FLIT_COMMAND_START_MSG) {
            metricsStart = Clock::now();
            pausedAt.reset();
        } else if (type == EVT_FLIT_COMMAND_PAUSE_MSG && metricsStart && !pausedAt) {
            pausedAt = Clock::now();
        } else if (type == EVT_FLIT_COMMAND_CONTINUE_MSG && pausedAt) {
            *metricsStart += Clock::now() - *pausedAt;
            pausedAt.reset();
        }
        host.send(*manager, type, node);
        if (type == EVT_FLIT_COMMAND_STOP_MSG && metricsStart) {
            const long long expected =
                (pausedAt.value_or(Clock::now()) - *metricsStart) / milliseconds(1);
            const long long duration = manager->getFlitMetricsData()->getDurationInMillisecs();
            ASSERT_LE(duration, expected + kClockSlackMs) << "the duration counted paused time";
            ASSERT_GE(duration + kClockSlackMs, expected) << "the stopwatch froze";
        }
    }

    void releaseRenders() {
        host.holdRenders(false);
        host.releaseHeldRenders();
    }

    void randomCommand() {
        const unsigned kStep = CFlitManager::kDefaultSpeedIncrement;
        const int pick = std::uniform_int_distribution<int>(0, 99)(random);
        // Each action up to its share of the storm, in percent.
        const std::tuple<int, const char*, std::function<void()>> actions[] = {
            {14, "start", [&] { send(EVT_FLIT_COMMAND_START_MSG, randomNode()); }},
            {26, "pause", [&] { send(EVT_FLIT_COMMAND_PAUSE_MSG); }},
            {40, "continue", [&] { send(EVT_FLIT_COMMAND_CONTINUE_MSG, randomNode()); }},
            {48, "stop", [&] { send(EVT_FLIT_COMMAND_STOP_MSG); }},
            {58, "move",
             [&] { send(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, randomNode()); }},
            {60, "speed up", [&] { manager->increaseTargetSpeed(kStep); }},
            {62, "slow down", [&] { manager->decreaseTargetSpeed(kStep); }},
            {63, "double speed", [&] { manager->doubleTargetSpeed(); }},
            {64, "half speed", [&] { manager->halfTargetSpeed(); }},
            {66, "set speed", [&] { manager->setTargetSpeed(random() % 1200); }},
            {70, "word display length", [&] { manager->setWordDisplayLength(random() % 14); }},
            {74, "timing table edit", [&] { editTimingTable(); }},
            {77, "settings load", [&] { loadSettings(); }},
            {85, "render delay", [&] { host.setRenderDelay(milliseconds(random() % 4)); }},
            {89, "hold renders", [&] { random() % 2 ? releaseRenders() : host.holdRenders(true); }},
            {93, "new manager", [&] { renewManager(); }},
            {100, "pumping", [&] { host.pumpFor(milliseconds(random() % 5)); }},
        };
        for (const auto& [upTo, name, run] : actions) {
            if (pick < upTo) {
                action = name;
                run();
                return;
            }
        }
    }

    // As the debug dialog's timing page commits a row: small percentages keep the times at a few
    // milliseconds at most.
    void editTimingTable() {
        CTimingTableData& row = CFlitWordCalcs::kTimingTable[random() % 6];
        int CTimingTableData::*const field = CTimingTableData::kFields[1 + random() % 10];
        CTimingTableData::storeField(row, field, int(random() % 3));
    }

    // The all-zero table loads; the refused one leaves the table as it was.
    void loadSettings() {
        const std::vector<CTimingTableData> before(std::begin(CFlitWordCalcs::kTimingTable),
                                                   std::end(CFlitWordCalcs::kTimingTable));
        const bool refused = random() % 2 == 0;
        wxLogNull quiet;
        const wxString path = folder + (refused ? "/refused.xml" : "/zero.xml");
        ASSERT_NE(refused, CFlitWordCalcsSerializer(&calcs, path.utf8_str()).load());
        ASSERT_TRUE(!refused || std::memcmp(before.data(), CFlitWordCalcs::kTimingTable,
                                            sizeof CFlitWordCalcs::kTimingTable) == 0)
            << "a refused load changed the table";
    }

    // A reading with nothing else going on: when it ends at the end of the document, exactly
    // one DONE arrives; when the document itself stops or pauses it, none.
    void probeOneReading() {
        action = "probe reading";
        releaseRenders();
        host.setRenderDelay(milliseconds(0));
        send(EVT_FLIT_COMMAND_STOP_MSG);
        ASSERT_TRUE(host.waitFor([&] { return manager->getState() != CFlitManager::eRunning; }));
        host.pumpFor(milliseconds(5));
        checkNewEvents();
        const unsigned long donesBefore = doneCount;
        send(EVT_FLIT_COMMAND_START_MSG, randomNode());
        // Sent at once, with no event handled in between: a move while reading, or a pause and
        // a continue, must still end in reading on from the node they give.
        const unsigned long variant = random() % 4;
        if (variant == 1) {
            send(EVT_FLIT_COMMAND_PAUSE_MSG);
            send(EVT_FLIT_COMMAND_CONTINUE_MSG, randomNode());
        }
        if (variant <= 1) {
            send(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, randomNode());
        }
        // Reading proceeds until the end or until the document itself pauses or stops it. A
        // state left at eListPtrModified is a reading that stalled, unless the move came after
        // the reading had already come to rest.
        const auto atRest = [&] {
            const CFlitManager::eStateType state = manager->getState();
            return state == CFlitManager::eStopped || state == CFlitManager::ePaused ||
                   (state == CFlitManager::eListPtrModified && !manager->wasReadingWhenMoved());
        };
        ASSERT_TRUE(host.waitFor(atRest))
            << "a reading did not proceed to rest (state " << int(manager->getState()) << ")";
        host.pumpFor(milliseconds(5));
        checkNewEvents();
        // The pause-and-continue variant opens two readings, and the first may already have
        // reached the end before the commands that follow it: one DONE more is allowed for it.
        // So is one for a reading that came to rest before a late move, which may or may not
        // have reached the end first.
        const CFlitManager::eStateType state = manager->getState();
        const bool reachedEnd =
            state == CFlitManager::eStopped && manager->getDataInfoListNode() == nullptr;
        const unsigned long least = donesBefore + (reachedEnd ? 1 : 0);
        const unsigned long most =
            least + (variant == 1 ? 1 : 0) + (state == CFlitManager::eListPtrModified ? 1 : 0);
        ASSERT_TRUE(doneCount >= least && doneCount <= most)
            << doneCount - donesBefore << " DONEs for a reading that "
            << (reachedEnd ? "reached" : "did not reach") << " the end";
    }

    // --- The promises ---

    // Whether text is one chunk of word: a piece followed by a hyphen, or the word's end.
    static bool isChunkOf(const wxString& text, const wxString& word) {
        return (text.length() > 1 && text.EndsWith("-") &&
                word.Find(text.Left(text.length() - 1)) != wxNOT_FOUND) ||
               word.EndsWith(text);
    }

    // A chunk of the word at the event's node, or of one of the words the engine makes itself
    // (the link marker, the email announcements and email numbers).
    static bool isKnownWord(const SRecordedEvent& event) {
        static const wxString kFixedWords[] = {"<LINK>", "Email", "Item", "#",         "Press",
                                               "'A'",    "to",    "read", "attachment"};
        const CDataInfo* item = event.node != nullptr ? event.node->GetData() : nullptr;
        if (item != nullptr && item->getDataInfoType() == eDITWord) {
            const auto* word = static_cast<const CDITWord*>(item);
            return isChunkOf(event.text, wxString::FromUTF8(word->getWord()));
        }
        wxString digits = event.text;
        digits.EndsWith("-", &digits);
        return digits.IsNumber() ||
               std::any_of(std::begin(kFixedWords), std::end(kFixedWords),
                           [&](const wxString& fixed) { return isChunkOf(event.text, fixed); });
    }

    void checkNewEvents() {
        static const std::set<int> kWaitedKinds = {EVT_FLIT_COMMAND_DEFAULT_BACKGROUND_MSG,
                                                   EVT_FLIT_COMMAND_BACKGROUND_MSG,
                                                   EVT_FLIT_COMMAND_WORD_MSG,
                                                   EVT_FLIT_COMMAND_ASSESSMENT_MSG,
                                                   EVT_FLIT_COMMAND_ASSESSMENT_REVIEW_MSG,
                                                   EVT_FLIT_COMMAND_BGRAPHIC_MSG};
        const std::vector<SRecordedEvent>& events = host.events();
        for (; checked < events.size(); ++checked) {
            const SRecordedEvent& event = events[checked];
            ASSERT_TRUE(!event.waitedFor || kWaitedKinds.count(event.type) == 1)
                << "the engine waited on a " << event.type << " event";
            if (event.type == EVT_FLIT_COMMAND_WORD_MSG && !event.text.empty()) {
                ASSERT_TRUE(event.waitedFor) << "a chunk not waited for";
                ASSERT_TRUE(isKnownWord(event)) << "unknown word '" << event.text << "'";
                // After a pause or stop the item in hand completes; no other item's word
                // comes until the next start or continue.
                itemInHand = itemInHand != nullptr ? itemInHand : event.node;
                ASSERT_TRUE(!readingHeld || itemInHand == event.node)
                    << "'" << event.text << "' shown after a pause or stop";
            }
            const unsigned long done = event.type == EVT_FLIT_COMMAND_DONE_MSG ? 1 : 0;
            doneCount += done;
            ASSERT_LE(donesThisManager += done, readingsOpened) << "more DONEs than readings";
        }
    }

    // Where the storm stands, for the watchdog when a step hangs.
    std::string position() const {
        CFlitManager* engine = watchedManager; // state -1: no manager
        return wxString::Format("seed %lu: GUI thread at step %lu doing '%s'; renders held %d; "
                                "presentation thread in state %d, cursor %p",
                                seed, step.load(), action.load(), heldRenders.load(),
                                engine ? int(engine->getState()) : -1,
                                engine ? static_cast<void*>(engine->getDataInfoListNode())
                                       : nullptr)
            .utf8_string();
    }

    const unsigned long seed = envNumber(
        "FLIT_STORM_SEED", static_cast<unsigned long>(Clock::now().time_since_epoch().count()));
    std::mt19937 random{seed};
    wxString folder;
    CZeroTimingTable zeroTiming;
    CFlitWordCalcs calcs;
    CTestHost host;
    std::unique_ptr<CDataManager> document;
    std::vector<wxCDataInfoListNode*> nodes;
    std::unique_ptr<CFlitManager> manager;
    // The metrics model: when the reading started (moved on by each pause's length), and when
    // the pause under way began.
    std::optional<Clock::time_point> metricsStart, pausedAt;
    // Starts and continues sent to the present manager, the DONEs it posted, all DONEs.
    unsigned long readingsOpened = 0, donesThisManager = 0, doneCount = 0;
    size_t checked = 0;
    // No start or continue since the last pause or stop; the node of the words shown since.
    bool readingHeld = true;
    wxCDataInfoListNode* itemInHand = nullptr;
    // What the GUI thread is doing, read by the watchdog's thread.
    std::atomic<unsigned long> step{0};
    std::atomic<const char*> action{"setting up"};
    std::atomic<CFlitManager*> watchedManager{nullptr};
    std::atomic<int> heldRenders{0};
};

TEST_F(CommandStormTest, EngineKeepsItsPromisesUnderRandomCommands) {
    const unsigned long commands = envNumber("FLIT_STORM_COMMANDS", 10000);
    std::printf("command storm: seed %lu, %lu commands\n", seed, commands);
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (set FLIT_STORM_SEED to repeat)");
    CWatchdog watchdog("the command storm", kStepDeadline, [this] { return position(); });
    newDocument();
    newManager();
    for (; step < commands; ++step) {
        watchdog.progress();
        step % 250 == 249 ? probeOneReading() : randomCommand();
        heldRenders = host.heldRenderCount();
        host.pumpFor(milliseconds(random() % 2));
        checkNewEvents();
        ASSERT_FALSE(HasFatalFailure()) << "at step " << step;
    }
    action = "final stop";
    releaseRenders();
    send(EVT_FLIT_COMMAND_STOP_MSG);
    destroyManager();
    std::printf("command storm: %lu commands, %lu readings reached the end, %zu events\n", commands,
                doneCount, host.events().size());
}

} // namespace
