// A command storm: random documents with every kind of item, random host commands from the GUI
// thread, random render delays and destruction of the manager at random moments, with the
// engine's promises checked after every step.
//
// Seeded and repeatable: FLIT_STORM_SEED picks the seed (printed with any failure; CI sets a
// fixed one, a run without it takes a new seed from the clock) and FLIT_STORM_COMMANDS the number
// of commands (10,000 by default).

#include "engine/FlitManager.h"
#include "outside/DocumentImporter.h"
#include "support/TestHost.h"
#include "support/Watchdog.h"
#include "timing/FlitWordCalcs.h"
#include "timing/FlitWordCalcsSerializer.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>

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

// Words, and every directive, picked at random into marked-up text.
const char* const kWords = "tide quay harbour, Gulls NASA 1999 end. Dr. (aside) breakwater "
                           "internationalization Überraschung a pier; slipway!";
const char* const kDirectives =
    "{rest 2}{sustain 3}{colour #C83228}{colour #1E6E3C flag}{colour}{bold}{/bold}{highlight}"
    "{/highlight}{page 4}{page 5 hidden}{background sky.png 0}{background}{lgraphic sky.png}"
    "{bgraphic sky.png pause}{bgraphic sky.png}{sound horn.wav}{video sky.png}{speed 400}"
    "{speed 700}{assessment Which way?}{link https://example.org}{mailto office@example.org}"
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
    bool open[2] = {false, false};
    const int items = std::uniform_int_distribution<int>(0, 80)(random);
    for (int i = 0; i < items; ++i) {
        const int pick = std::uniform_int_distribution<int>(0, 9)(random);
        if (pick < 6) {
            text << words[random() % words.size()];
        } else {
            std::string directive = directives[random() % directives.size()] + "}";
            // Styles must balance; a stray opening or closing one becomes a rest.
            for (int style = 0; style < 2; ++style) {
                const std::string name = style == 0 ? "bold}" : "highlight}";
                if (directive == "{" + name || directive == "{/" + name) {
                    directive = (open[style] ? "{/" : "{") + name;
                    open[style] = !open[style];
                }
            }
            text << directive;
        }
        text << (random() % 5 == 0 ? "\n" : " ");
    }
    return text.str();
}

class CommandStormTest : public testing::Test {
protected:
    void SetUp() override {
        seed = envNumber("FLIT_STORM_SEED",
                         static_cast<unsigned long>(Clock::now().time_since_epoch().count()));
        commands = envNumber("FLIT_STORM_COMMANDS", 10000);
        random.seed(seed);
        std::printf("command storm: seed %lu, %lu commands\n", seed, commands);

        folder = wxFileName::CreateTempFileName("flit-storm");
        wxRemoveFile(folder);
        wxFileName::Mkdir(folder, 0700);
        wxInitAllImageHandlers();
        wxImage(8, 6).SaveFile(folder + "/sky.png", wxBITMAP_TYPE_PNG);
        std::ofstream(folder.ToStdString() + "/horn.wav") << "RIFF";

        // Settings the storm loads: the all-zero table (accepted) and one with descending
        // speeds (refused).
        zeroTable = folder + "/zero.xml";
        CFlitWordCalcs calcs;
        CFlitWordCalcsSerializer(&calcs, zeroTable.utf8_str()).store();
        refusedTable = folder + "/refused.xml";
        std::ofstream(refusedTable.ToStdString())
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
        readingsOpened = 0;
        donesThisManager = 0;
        metricsModel = SMetricsModel();
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
        holdRenders(false);
    }

    // Now and then the end of the document.
    wxCDataInfoListNode* randomNode() {
        return nodes.empty() || random() % 8 == 0 ? nullptr : nodes[random() % nodes.size()];
    }

    // --- What the host does ---

    // Sends a command, after checking what came before it against what the commands before it
    // allowed; the metrics model follows the command, and a stop checks the metrics.
    void send(int type, wxCDataInfoListNode* node = nullptr) {
        checkNewEvents();
        if (type == EVT_FLIT_COMMAND_PAUSE_MSG || type == EVT_FLIT_COMMAND_STOP_MSG) {
            if (!readingHeld) {
                readingHeld = true;
                itemInHand = nullptr;
            }
        } else if (type == EVT_FLIT_COMMAND_START_MSG || type == EVT_FLIT_COMMAND_CONTINUE_MSG) {
            readingHeld = false;
            ++readingsOpened;
        }
        metricsModel.follow(type);
        host.send(*manager, type, node);
        // At a stop the metrics' duration leaves out paused time, and never freezes.
        if (type == EVT_FLIT_COMMAND_STOP_MSG && metricsModel.started) {
            const long long expected = metricsModel.runningMs();
            const long long duration = manager->getFlitMetricsData()->getDurationInMillisecs();
            ASSERT_LE(duration, expected + kClockSlackMs) << "the duration counted paused time";
            ASSERT_GE(duration + kClockSlackMs, expected) << "the stopwatch froze";
        }
    }

    void holdRenders(bool hold) {
        host.holdRenders(hold);
        if (!hold) {
            host.releaseHeldRenders();
        }
    }

    void randomCommand() {
        const int pick = std::uniform_int_distribution<int>(0, 99)(random);
        // Each action up to its share of the storm, in percent.
        const struct {
            int upTo;
            const char* name;
            std::function<void()> run;
        } actions[] = {
            {14, "start", [&] { send(EVT_FLIT_COMMAND_START_MSG, randomNode()); }},
            {26, "pause", [&] { send(EVT_FLIT_COMMAND_PAUSE_MSG); }},
            {40, "continue", [&] { send(EVT_FLIT_COMMAND_CONTINUE_MSG, randomNode()); }},
            {48, "stop", [&] { send(EVT_FLIT_COMMAND_STOP_MSG); }},
            {58, "move",
             [&] { send(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, randomNode()); }},
            {66, "speed", [&] { changeSpeed(); }},
            {70, "word display length", [&] { manager->setWordDisplayLength(random() % 14); }},
            // As the debug dialog's timing page commits a row: small percentages keep the times
            // at a few milliseconds at most.
            {74, "timing table edit",
             [&] {
                 const int index = int(random() % 6);
                 CTimingTableData::storeField(CFlitWordCalcs::kTimingTable[index],
                                              CTimingTableData::kFields[1 + random() % 10],
                                              int(random() % 3));
             }},
            {77, "settings load", [&] { loadSettings(); }},
            {85, "render delay", [&] { host.setRenderDelay(milliseconds(random() % 4)); }},
            {89, "hold renders", [&] { holdRenders(random() % 2 == 0); }},
            {93, "new manager",
             [&] {
                 destroyManager();
                 if (random() % 2 == 0) {
                     action = "new document";
                     document.reset();
                     newDocument();
                 }
                 action = "new manager";
                 newManager();
             }},
            {100, "pumping", [&] { host.pumpFor(milliseconds(random() % 5)); }},
        };
        for (const auto& entry : actions) {
            if (pick < entry.upTo) {
                action = entry.name;
                entry.run();
                return;
            }
        }
    }

    void changeSpeed() {
        const std::function<void()> operations[] = {
            [&] { manager->increaseTargetSpeed(CFlitManager::kDefaultSpeedIncrement); },
            [&] { manager->decreaseTargetSpeed(CFlitManager::kDefaultSpeedIncrement); },
            [&] { manager->doubleTargetSpeed(); },
            [&] { manager->halfTargetSpeed(); },
            [&] { manager->setTargetSpeed(random() % 1200); },
        };
        operations[random() % 5]();
    }

    void loadSettings() {
        const auto table = [] {
            std::vector<int> fields;
            for (const CTimingTableData& row : CFlitWordCalcs::kTimingTable) {
                for (int CTimingTableData::*field : CTimingTableData::kFields) {
                    fields.push_back(row.*field);
                }
            }
            return fields;
        };
        const std::vector<int> before = table();
        const bool refused = random() % 2 == 0;
        CFlitWordCalcs calcs;
        wxLogNull quiet;
        CFlitWordCalcsSerializer serializer(&calcs,
                                            (refused ? refusedTable : zeroTable).utf8_str());
        ASSERT_NE(refused, serializer.load());
        ASSERT_TRUE(!refused || table() == before) << "a refused load changed the table";
    }

    // A reading with nothing else going on: when it ends at the end of the document, exactly
    // one DONE arrives; when the document itself stops or pauses it, none.
    void probeOneReading() {
        action = "probe reading";
        holdRenders(false);
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
        const unsigned long earlier = variant == 1 ? 1 : 0;
        if (manager->getState() == CFlitManager::eListPtrModified) {
            ASSERT_LE(doneCount, donesBefore + earlier + 1);
            return;
        }
        const bool reachedEnd = manager->getState() == CFlitManager::eStopped &&
                                manager->getDataInfoListNode() == nullptr;
        const unsigned long least = donesBefore + (reachedEnd ? 1 : 0);
        ASSERT_TRUE(doneCount >= least && doneCount <= least + earlier)
            << doneCount - donesBefore << " DONEs for a reading that "
            << (reachedEnd ? "reached" : "did not reach") << " the end";
    }

    // --- The promises ---

    // The reading metrics as the host's commands drive them: paused time must never count.
    struct SMetricsModel {
        bool started = false;
        bool pausing = false;
        Clock::time_point begin;
        Clock::time_point pausedAt;
        Clock::duration paused{0};

        void follow(int type) {
            const Clock::time_point now = Clock::now();
            if (type == EVT_FLIT_COMMAND_START_MSG) {
                *this = SMetricsModel{true, false, now, now, {}};
            } else if (type == EVT_FLIT_COMMAND_PAUSE_MSG && !pausing) {
                pausing = true;
                pausedAt = now;
            } else if (type == EVT_FLIT_COMMAND_CONTINUE_MSG && pausing) {
                paused += now - pausedAt;
                pausing = false;
            }
        }
        long long runningMs() const {
            const Clock::time_point end = pausing ? pausedAt : Clock::now();
            return std::chrono::duration_cast<milliseconds>(end - begin - paused).count();
        }
    };

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
        if (event.node != nullptr && event.node->GetData()->getDataInfoType() == eDITWord) {
            return isChunkOf(
                event.text,
                wxString::FromUTF8(static_cast<const CDITWord*>(event.node->GetData())->getWord()));
        }
        for (const wxString& fixed : kFixedWords) {
            if (isChunkOf(event.text, fixed)) {
                return true;
            }
        }
        wxString digits = event.text;
        digits.EndsWith("-", &digits);
        return digits.IsNumber();
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
                if (readingHeld) {
                    itemInHand = itemInHand == nullptr ? event.node : itemInHand;
                    ASSERT_EQ(itemInHand, event.node)
                        << "'" << event.text << "' shown after a pause or stop";
                }
            }
            if (event.type == EVT_FLIT_COMMAND_DONE_MSG) {
                ++doneCount;
                ASSERT_LE(++donesThisManager, readingsOpened) << "more DONEs than readings";
            }
        }
    }

    // Where the storm stands, for the watchdog when a step hangs.
    std::string position() const {
        CFlitManager* engine = watchedManager;
        const wxString thread =
            engine == nullptr ? wxString("no manager")
                              : wxString::Format("state %d, cursor %p", int(engine->getState()),
                                                 static_cast<void*>(engine->getDataInfoListNode()));
        return wxString::Format("seed %lu: GUI thread at step %lu doing '%s'; renders held %d; "
                                "presentation thread: %s",
                                seed, step.load(), action.load(), heldRenders.load(), thread)
            .utf8_string();
    }

    unsigned long seed = 0;
    unsigned long commands = 0;
    std::mt19937 random;
    wxString folder;
    wxString zeroTable;
    wxString refusedTable;
    CZeroTimingTable zeroTiming;
    CTestHost host;
    std::unique_ptr<CDataManager> document;
    std::vector<wxCDataInfoListNode*> nodes;
    std::unique_ptr<CFlitManager> manager;
    SMetricsModel metricsModel;
    // Starts and continues sent to the present manager, and the DONEs it posted.
    unsigned long readingsOpened = 0;
    unsigned long donesThisManager = 0;
    size_t checked = 0;
    // No start or continue since the last pause or stop; the node of the words shown since.
    bool readingHeld = true;
    wxCDataInfoListNode* itemInHand = nullptr;
    unsigned long doneCount = 0;
    // What the GUI thread is doing, read by the watchdog's thread.
    std::atomic<unsigned long> step{0};
    std::atomic<const char*> action{"setting up"};
    std::atomic<CFlitManager*> watchedManager{nullptr};
    std::atomic<int> heldRenders{0};
};

TEST_F(CommandStormTest, EngineKeepsItsPromisesUnderRandomCommands) {
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (set FLIT_STORM_SEED to repeat)");
    CWatchdog watchdog("the command storm", kStepDeadline, [this] { return position(); });
    newDocument();
    newManager();
    for (; step < commands; ++step) {
        watchdog.progress();
        if (step % 250 == 249) {
            probeOneReading();
        } else {
            randomCommand();
        }
        ASSERT_FALSE(HasFatalFailure()) << "at step " << step;
        heldRenders = host.heldRenderCount();
        host.pumpFor(milliseconds(random() % 2));
        checkNewEvents();
        ASSERT_FALSE(HasFatalFailure()) << "at step " << step;
    }
    action = "final stop";
    holdRenders(false);
    send(EVT_FLIT_COMMAND_STOP_MSG);
    destroyManager();
    std::printf("command storm: %lu commands, %lu readings reached the end, %zu events\n", commands,
                doneCount, host.events().size());
}

} // namespace
