#include "FlitEngineTestSupport.h"

#include "outside/OvriChars.h"
#include "timing/FlitWordCalcs.h"

#include <iterator>
#include <string>
#include <vector>

namespace {

using std::chrono::milliseconds;

// How long to keep pumping when checking that nothing more arrives.
const milliseconds kQuietPeriod(200);

// Whole milliseconds from one recorded arrival to a later one.
long long msBetween(const SRecordedEvent& from, const SRecordedEvent& to) {
    return std::chrono::duration_cast<milliseconds>(to.arrival - from.arrival).count();
}

class WordPresentationTest : public EngineTest {
protected:
    // Reads from the node with renders held, stepping through every handshake, and gives the
    // manager's current speed at each flash: while the ramp runs, a word's flash finds it 75
    // above the speed the word was timed at.
    std::vector<int> currentSpeedAtEachFlash(wxCDataInfoListNode* from) {
        host.clearEvents();
        host.holdRenders(true);
        send(EVT_FLIT_COMMAND_START_MSG, from);
        std::vector<int> speeds;
        while (host.waitFor([&] {
            return host.heldRenderCount() > 0 || host.countOf(EVT_FLIT_COMMAND_DONE_MSG) > 0;
        }) && host.heldRenderCount() > 0) {
            // The thread is blocked on the event just recorded.
            const SRecordedEvent& held = host.events().back();
            if (held.type == EVT_FLIT_COMMAND_WORD_MSG && !held.text.empty()) {
                speeds.push_back(manager->getCurrentSpeed());
            }
            host.releaseHeldRenders();
        }
        host.holdRenders(false);
        return speeds;
    }
};

// Where times matter: the default timing table, so that every expected time comes from the
// calculator's own rules.
class TimedWordPresentationTest : public WordPresentationTest {
protected:
    void SetUp() override {
        CFlitWordCalcs::restoreDefaultTimingTable();
        WordPresentationTest::SetUp();
    }
};

struct SChunkCase {
    const char* word;
    unsigned int displayLength;
    std::vector<const char*> chunks;
};

TEST_F(WordPresentationTest, LongWordsAreFlashedInHyphenatedChunksEachFollowedByABlank) {
    const SChunkCase cases[] = {
        {"harbour", 7, {"harbour"}},
        {"harbours", 7, {"harbou-", "rs"}},
        {"internationalization", 8, {"interna-", "tionali-", "zation"}},
        // Lengths count characters, not bytes.
        {"Überraschung", 5, {"Über-", "rasc-", "hung"}},
        {"abc", 2, {"a-", "bc"}},
        {"internationalization", 0, {"internationalization"}},
        {"internationalization", 1, {"internationalization"}},
    };
    std::vector<wxCDataInfoListNode*> nodes;
    for (const SChunkCase& c : cases) {
        nodes.push_back(document.appendWord(c.word));
        // Stops reading, so that each case is read on its own.
        document.appendChangeView(CDITChangeView::eViewReading);
    }
    ASSERT_TRUE(initialize());

    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(std::string(cases[i].word) + " at " + std::to_string(cases[i].displayLength));
        host.clearEvents();
        manager->setWordDisplayLength(cases[i].displayLength);
        send(EVT_FLIT_COMMAND_START_MSG, nodes[i]);
        ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_CHANGE_VIEW_MSG); }));

        std::vector<wxString> expected;
        for (const char* chunk : cases[i].chunks) {
            expected.push_back(wxString::FromUTF8(chunk));
            expected.push_back(wxString());
        }
        EXPECT_EQ(expected, host.wordTexts());
        for (const SRecordedEvent& event : host.eventsOfType(EVT_FLIT_COMMAND_WORD_MSG)) {
            EXPECT_TRUE(event.waitedFor);
            EXPECT_EQ(nodes[i], event.node);
            EXPECT_EQ(CTestHost::eFlitView, event.window);
        }
    }
}

struct SRampCase {
    int target;
    std::vector<int> currentSpeeds;
};

// After each restart the words are timed at 100, 175, 250, ... words per minute; the ramp ends
// once the current speed passes the target, and words are then timed at the target. The manager
// never raises the current speed past 950, so for a target above 925 the ramp holds at 925.
TEST_F(WordPresentationTest, TheRampClimbsFromOneHundredUntilItPassesTheTarget) {
    const SRampCase cases[] = {
        {100, {175, 175, 175}},
        {250, {175, 250, 325, 325, 325}},
        {300, {175, 250, 325, 325, 325}},
        {950, {175, 250, 325, 400, 475, 550, 625, 700, 775, 850, 925, 925, 925}},
    };
    wxCDataInfoListNode* first = nullptr;
    for (size_t i = 0; i < 13; ++i) {
        wxCDataInfoListNode* word = document.appendWord("swell");
        document.appendSpace();
        first = first != nullptr ? first : word;
    }
    ASSERT_TRUE(initialize());

    for (const SRampCase& c : cases) {
        SCOPED_TRACE("target " + std::to_string(c.target));
        manager->setTargetSpeed(static_cast<unsigned int>(c.target));
        const std::vector<int> speeds = currentSpeedAtEachFlash(first);
        ASSERT_GE(speeds.size(), c.currentSpeeds.size());
        EXPECT_EQ(c.currentSpeeds,
                  std::vector<int>(speeds.begin(), speeds.begin() + c.currentSpeeds.size()));
        EXPECT_EQ(c.currentSpeeds.back(), manager->getCurrentSpeed());
    }
}

TEST_F(WordPresentationTest, BoldAndHighlightChangesAreAnnouncedBeforeTheirWord) {
    wxCDataInfoListNode* both =
        document.appendWord("both", CStyleInfo(eStyleBold | eStyleHighlight));
    document.appendWord("same", CStyleInfo(eStyleBold | eStyleHighlight | eStyleItalic));
    // An empty word shows nothing and leaves the remembered style alone.
    document.appendWord("", CStyleInfo());
    document.appendWord("lit", CStyleInfo(eStyleHighlight));
    document.appendWord("plain", CStyleInfo(eStyleUnderline));
    wxCDataInfoListNode* again =
        document.appendWord("again", CStyleInfo(eStyleBold | eStyleHighlight));
    ASSERT_TRUE(initialize());

    const auto log = [&] {
        std::vector<std::string> lines;
        for (const SRecordedEvent& event : host.events()) {
            if (event.type == EVT_FLIT_COMMAND_STYLE_BOLD_MSG) {
                lines.push_back("bold " + std::to_string(event.number));
            } else if (event.type == EVT_FLIT_COMMAND_STYLE_HIGHLIGHT_MSG) {
                lines.push_back("highlight " + std::to_string(event.number));
            } else if (event.type == EVT_FLIT_COMMAND_WORD_MSG && !event.text.empty()) {
                lines.push_back(event.text.utf8_string());
            }
        }
        return lines;
    };

    send(EVT_FLIT_COMMAND_START_MSG, both);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ((std::vector<std::string>{"bold 1", "highlight 1", "both", "same", "bold 0", "lit",
                                        "highlight 0", "plain", "bold 1", "highlight 1", "again"}),
              log());
    const SRecordedEvent bold = host.eventsOfType(EVT_FLIT_COMMAND_STYLE_BOLD_MSG).front();
    EXPECT_EQ(both, bold.node);
    EXPECT_FALSE(bold.waitedFor);

    // A restart forgets the last style, so the styles that are on are announced again although
    // the last word shown had them too.
    host.clearEvents();
    send(EVT_FLIT_COMMAND_START_MSG, again);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ((std::vector<std::string>{"bold 1", "highlight 1", "again"}), log());
}

TEST_F(WordPresentationTest, APauseDuringTheSecondOfThreeChunksLetsTheWordFinishAndNoMore) {
    wxCDataInfoListNode* word = document.appendWord("internationalization");
    document.appendSpace();
    document.appendWord("more");
    manager->setWordDisplayLength(8);
    ASSERT_TRUE(initialize());

    host.holdRenders(true);
    send(EVT_FLIT_COMMAND_START_MSG, word);
    for (;;) {
        ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() > 0; }));
        if (host.events().back().text == "tionali-") {
            break;
        }
        host.releaseHeldRenders();
    }
    send(EVT_FLIT_COMMAND_PAUSE_MSG);
    host.holdRenders(false);
    host.releaseHeldRenders();

    ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_WORD_MSG) >= 6; }));
    host.pumpFor(kQuietPeriod);
    EXPECT_EQ((std::vector<wxString>{"interna-", "", "tionali-", "", "zation", ""}),
              host.wordTexts());
    EXPECT_EQ(0u, host.countOf(EVT_FLIT_COMMAND_DONE_MSG));
    EXPECT_EQ(CFlitManager::ePaused, manager->getState());
    EXPECT_EQ(word, manager->getDataInfoListNode());
}

// Every chunk is held for the display time of the word's first L characters, the first one also
// for the sustain before it (the later of two sustains), and each blank for the word's
// inter-word delay; a newline after the word, even past other items, lengthens that delay.
// Only lower bounds are checked: a loaded machine may stretch any interval.
TEST_F(TimedWordPresentationTest, ChunksAreHeldForTheTimeOfTheFirstCharactersAndTheSustain) {
    manager->setTargetSpeed(950);
    wxCDataInfoListNode* first = document.appendSustain(1);
    document.appendSustain(3);
    document.appendWord("internationalization");
    document.appendSpace();
    document.appendWord("ebb");
    document.appendPageInfoRef(document.addPage(0, 2));
    document.appendNewline();
    document.appendWord("flow");
    manager->setWordDisplayLength(8);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(waitForDone());

    const std::vector<SRecordedEvent> words = host.eventsOfType(EVT_FLIT_COMMAND_WORD_MSG);
    ASSERT_EQ(10u, words.size());
    // The ramp times the three words at 100, 175 and 250 words per minute; sustains are timed
    // at the target speed.
    CFlitWordCalcs calcs;
    const long long display = calcs.calcWordDisplayTime("internat", 100);
    const long long gap = calcs.calcInterWordDelayTime("internat", COvriChars::kSpaceChar, 100);
    const long long sustain = calcs.calcSustainDelay(3, 950);
    EXPECT_GE(msBetween(words[0], words[1]), display + sustain);
    EXPECT_GE(msBetween(words[2], words[3]), display);
    EXPECT_GE(msBetween(words[4], words[5]), display) << "the last chunk is timed as the first";
    for (size_t blank = 1; blank < 6; blank += 2) {
        EXPECT_GE(msBetween(words[blank], words[blank + 1]), gap);
    }
    EXPECT_GE(msBetween(words[6], words[7]), calcs.calcWordDisplayTime("ebb", 175));
    EXPECT_GE(msBetween(words[7], words[8]),
              calcs.calcInterWordDelayTime("ebb", COvriChars::kNewlineChar, 175));
}

// A speed link slows the target below the ramp's current speed: the rest and the sustain after
// it are timed at the new target, while the next word is still timed by the ramp, which then
// ends.
TEST_F(TimedWordPresentationTest, RestsAndSustainsKeepTheTargetSpeedWhileTheRampRuns) {
    manager->setTargetSpeed(950);
    wxCDataInfoListNode* first = nullptr;
    for (const char* text : {"a", "b", "c"}) {
        wxCDataInfoListNode* word = document.appendWord(text);
        document.appendSpace();
        first = first != nullptr ? first : word;
    }
    document.appendLinkInfoRef(document.addLink(eLinkSpeed, "100"));
    document.appendRest(1);
    document.appendSustain(1);
    document.appendWord("d");
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(waitForDone());

    // a, b and c with their blanks, the rest's blank, d and its blank.
    const std::vector<SRecordedEvent> words = host.eventsOfType(EVT_FLIT_COMMAND_WORD_MSG);
    ASSERT_EQ(9u, words.size());
    EXPECT_FALSE(words[6].waitedFor);
    CFlitWordCalcs calcs;
    EXPECT_GE(msBetween(words[0], words[1]), calcs.calcWordDisplayTime("a", 100));
    EXPECT_GE(msBetween(words[2], words[3]), calcs.calcWordDisplayTime("b", 175));
    EXPECT_GE(msBetween(words[4], words[5]), calcs.calcWordDisplayTime("c", 250));
    // From c's blank, which the thread waited for, to d: c's delay, then the rest.
    EXPECT_GE(msBetween(words[5], words[7]),
              calcs.calcInterWordDelayTime("c", COvriChars::kSpaceChar, 250) +
                  calcs.calcRestDelay(1, 100));
    EXPECT_GE(msBetween(words[7], words[8]),
              calcs.calcWordDisplayTime("d", 325) + calcs.calcSustainDelay(1, 100));
    EXPECT_EQ(400, manager->getCurrentSpeed()) << "the ramp ends once it passes the new target";
}

} // namespace
