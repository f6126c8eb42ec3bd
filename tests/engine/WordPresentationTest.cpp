#include "FlitEngineTestSupport.h"

#include "outside/OvriChars.h"
#include "timing/FlitWordCalcs.h"

#include <iterator>
#include <string>
#include <vector>

namespace {

const char kSpace = COvriChars::kSpaceChar;
const char kNewline = COvriChars::kNewlineChar;
const char kEnd = COvriChars::kNullByte;

class WordPresentationTest : public EngineTest {
protected:
    // The sleeps a word shown at the speed asks for: each chunk for the display time of its
    // first L characters (the first chunk also for the sustain armed before it), each blank for
    // the inter-word delay.
    std::vector<SSleep> wordSleeps(const char* timedPart, int chunks, char separator, int speed,
                                   int sustain = 0) {
        std::vector<SSleep> expected;
        for (int chunk = 0; chunk < chunks; ++chunk) {
            expected.emplace_back(calcs.calcWordDisplayTime(timedPart, speed) +
                                      (chunk == 0 ? sustain : 0),
                                  kFromRender);
            expected.emplace_back(calcs.calcInterWordDelayTime(timedPart, separator, speed),
                                  kFromRender);
        }
        return expected;
    }

    CFlitWordCalcs calcs;
};

std::vector<SSleep> operator+(std::vector<SSleep> first, const std::vector<SSleep>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// After each restart the words are timed at 100, 175, 250, ... words per minute; the ramp ends
// once the current speed passes the target, and words are then timed at the target. The manager
// never raises the current speed past 950, so for a target above 925 the ramp holds at 925.
TEST_F(WordPresentationTest, TheRampClimbsFromOneHundredUntilItPassesTheTarget) {
    const struct {
        int target;
        std::vector<int> speeds;
        int currentAfter;
    } cases[] = {
        {100, {100, 100, 100}, 175},
        {250, {100, 175, 250, 250, 250}, 325},
        {300, {100, 175, 250, 300, 300}, 325},
        {950, {100, 175, 250, 325, 400, 475, 550, 625, 700, 775, 850, 925, 925}, 925},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("target " + std::to_string(c.target));
        wxCDataInfoListNode* first = document.appendWord("swell");
        for (size_t i = 1; i < c.speeds.size(); ++i) {
            document.appendSpace();
            document.appendWord("swell");
        }
        document.appendChangeView(CDITChangeView::eViewReading);
        replaceManager();
        manager->setTargetSpeed(static_cast<unsigned int>(c.target));
        ASSERT_TRUE(initialize());
        send(EVT_FLIT_COMMAND_START_MSG, first);
        ASSERT_TRUE(host.waitFor([&] { return manager->getState() == CFlitManager::eStopped; }));
        std::vector<SSleep> expected;
        for (size_t i = 0; i < c.speeds.size(); ++i) {
            expected = expected +
                       wordSleeps("swell", 1, i + 1 < c.speeds.size() ? kSpace : kEnd, c.speeds[i]);
        }
        EXPECT_EQ(expected, sleeps());
        EXPECT_EQ(c.currentAfter, manager->getCurrentSpeed());
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

    const auto styledWords = [&] {
        std::vector<std::string> lines;
        for (const std::string& line : log()) {
            const bool blank = line.rfind("WORD w ", 0) == 0;
            if (line.rfind("STYLE", 0) == 0 || (line.rfind("WORD ", 0) == 0 && !blank)) {
                lines.push_back(line);
            }
        }
        return lines;
    };

    send(EVT_FLIT_COMMAND_START_MSG, both);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ((std::vector<std::string>{
                  "STYLE_BOLD 1 @0", "STYLE_HIGHLIGHT 1 @0", "WORD both w @0", "WORD same w @1",
                  "STYLE_BOLD 0 @3", "WORD lit w @3", "STYLE_HIGHLIGHT 0 @4", "WORD plain w @4",
                  "STYLE_BOLD 1 @5", "STYLE_HIGHLIGHT 1 @5", "WORD again w @5"}),
              styledWords());

    // A restart forgets the last style, so the styles that are on are announced again although
    // the last word shown had them too.
    host.clearEvents();
    send(EVT_FLIT_COMMAND_START_MSG, again);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(
        (std::vector<std::string>{"STYLE_BOLD 1 @5", "STYLE_HIGHLIGHT 1 @5", "WORD again w @5"}),
        styledWords());
}

// A pause while a flash is on screen lets the word finish, all its chunks, and no more: the
// rest of an attachment announcement, and the next word, are not shown.
TEST_F(WordPresentationTest, APauseDuringAWordLetsItFinishAndNoMore) {
    const struct {
        wxCDataInfoListNode* node;
        const char* pauseAt;
        std::vector<wxString> shown;
    } cases[] = {
        {document.appendWord("internationalization"),
         "tionali-",
         {"interna-", "", "tionali-", "", "zation", ""}},
        {document.appendMarker(eDITEmailItemAttachmentAnnounce), "Press", {"Press", ""}},
    };
    document.appendWord("more");
    manager->setWordDisplayLength(8);
    ASSERT_TRUE(initialize());

    for (const auto& c : cases) {
        SCOPED_TRACE(c.pauseAt);
        host.clearEvents();
        host.holdRenders(true);
        send(EVT_FLIT_COMMAND_START_MSG, c.node);
        for (;;) {
            ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() > 0; }));
            if (host.events().back().text == c.pauseAt) {
                break;
            }
            host.releaseHeldRenders();
        }
        send(EVT_FLIT_COMMAND_PAUSE_MSG);
        host.holdRenders(false);
        host.releaseHeldRenders();
        ASSERT_TRUE(host.waitFor([&] { return host.wordTexts().size() >= c.shown.size(); }));
        host.pumpFor(kQuietPeriod);
        EXPECT_EQ(c.shown, host.wordTexts());
        EXPECT_EQ(0u, host.countOf(EVT_FLIT_COMMAND_DONE_MSG));
        EXPECT_EQ(CFlitManager::ePaused, manager->getState());
        EXPECT_EQ(c.node, manager->getDataInfoListNode());
    }
}

// Every chunk is held for the display time of the word's first L characters, the first one also
// for the sustain before it (the later of two sustains), and each blank for the word's
// inter-word delay; a newline after the word, even past other items, lengthens that delay. The
// ramp times the three words at 100, 175 and 250 words per minute; sustains are timed at the
// target speed.
TEST_F(WordPresentationTest, ChunksAreTimedFromTheirFirstCharactersAndTheLastSustain) {
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
    // Each chunk is followed by a blank; the chunks are at most L characters, hyphen included.
    EXPECT_EQ((std::vector<std::string>{"SPEED 950 @0", "PAGE_NUM 0 @0", "DEFAULT_BACKGROUND w @2",
                                        "WORD interna- w @2", "WORD w @2", "WORD tionali- w @2",
                                        "WORD w @2", "WORD zation w @2", "WORD w @2",
                                        "WORD ebb w @4", "WORD w @4", "PAGE_NUM 2 @5",
                                        "WORD flow w @7", "WORD w @7", "DONE"}),
              log());
    EXPECT_EQ(wordSleeps("internat", 3, kSpace, 100, calcs.calcSustainDelay(3, 950)) +
                  wordSleeps("ebb", 1, kNewline, 175) + wordSleeps("flow", 1, kEnd, 250),
              sleeps());
}

// A speed link slows the target below the ramp's current speed: the rest and the sustain after
// it are timed at the new target, counted from the rest's blank, which waits for no render;
// the next word is still timed by the ramp, which then ends.
TEST_F(WordPresentationTest, RestsAndSustainsKeepTheTargetSpeedWhileTheRampRuns) {
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
    EXPECT_EQ(wordSleeps("a", 1, kSpace, 100) + wordSleeps("b", 1, kSpace, 175) +
                  wordSleeps("c", 1, kSpace, 250) +
                  std::vector<SSleep>(1, {calcs.calcRestDelay(1, 100), kFromPost}) +
                  wordSleeps("d", 1, kEnd, 325, calcs.calcSustainDelay(1, 100)),
              sleeps());
    EXPECT_EQ(400, manager->getCurrentSpeed()) << "the ramp ends once it passes the new target";
}

// A word passed over because reading is not running (here the host moved the cursor onto it
// while its background was shown) leaves the sustain armed, and the restart keeps it too.
TEST_F(WordPresentationTest, ASustainStaysArmedPastAWordSkippedWhileNotRunning) {
    wxCDataInfoListNode* sustain = document.appendSustain(3);
    wxCDataInfoListNode* word = document.appendWord("ebb");
    ASSERT_TRUE(initialize());
    host.holdRenders(true);
    send(EVT_FLIT_COMMAND_START_MSG, sustain);
    ASSERT_TRUE(host.waitFor([&] { return host.heldRenderCount() == 1; }));
    send(EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, word);
    host.holdRenders(false);
    host.releaseHeldRenders();
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(
        (std::vector<std::string>{"SPEED 250 @0", "PAGE_NUM 0 @0", "DEFAULT_BACKGROUND w @1",
                                  "DEFAULT_BACKGROUND w @1", "RESET_TEXT_COLOUR @1", "SPEED 250 @1",
                                  "PAGE_NUM 0 @1", "WORD ebb w @1", "WORD w @1", "DONE"}),
        log());
    EXPECT_EQ(wordSleeps("ebb", 1, kEnd, 100, calcs.calcSustainDelay(3, 250)), sleeps());
}

} // namespace
