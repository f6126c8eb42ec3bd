#include "FlitEngineTestSupport.h"

#include "outside/OvriChars.h"
#include "timing/FlitWordCalcs.h"

#include <string>
#include <vector>

namespace {

const char kSpace = COvriChars::kSpaceChar;
const char kNewline = COvriChars::kNewlineChar;
const char kEnd = COvriChars::kNullByte;

class WordPresentationTest : public EngineTest {
protected:
    // Adds to expected the sleeps of a word shown at the speed: each chunk for the display time
    // of its first L characters (the first chunk also for the sustain armed before it), each
    // blank for the inter-word delay.
    void word(const char* timedPart, int chunks, char separator, int speed, int sustain = 0) {
        for (int chunk = 0; chunk < chunks; ++chunk) {
            const int shown = calcs.calcWordDisplayTime(timedPart, speed);
            expected.emplace_back(shown + (chunk == 0 ? sustain : 0), kFromRender);
            expected.emplace_back(calcs.calcInterWordDelayTime(timedPart, separator, speed),
                                  kFromRender);
        }
    }

    CFlitWordCalcs calcs;
    std::vector<SSleep> expected;
};

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
        reset();
        expected.clear();
        for (size_t i = 0; i < c.speeds.size(); ++i) {
            document->appendWord("swell");
            document->appendSpace();
            word("swell", 1, kSpace, c.speeds[i]);
        }
        document->appendChangeView(CDITChangeView::eViewReading);
        manager->setTargetSpeed(static_cast<unsigned int>(c.target));
        ASSERT_TRUE(initialize());
        send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
        ASSERT_TRUE(host.waitFor([&] { return manager->getState() == CFlitManager::eStopped; }));
        EXPECT_EQ(expected, sleeps());
        EXPECT_EQ(c.currentAfter, manager->getCurrentSpeed());
    }
}

// A style that changes is announced before its word; an empty word shows nothing and leaves the
// remembered style alone. A restart forgets the last style, so the styles that are on are
// announced again although the last word shown had them too.
TEST_F(WordPresentationTest, BoldAndHighlightChangesAreAnnouncedBeforeTheirWord) {
    document->appendWord("both", CStyleInfo(eStyleBold | eStyleHighlight));
    document->appendWord("same", CStyleInfo(eStyleBold | eStyleHighlight | eStyleItalic));
    document->appendWord("", CStyleInfo());
    document->appendWord("lit", CStyleInfo(eStyleHighlight));
    document->appendWord("plain", CStyleInfo(eStyleUnderline));
    wxCDataInfoListNode* again =
        document->appendWord("again", CStyleInfo(eStyleBold | eStyleHighlight));
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    ASSERT_TRUE(waitForDone());
    send(EVT_FLIT_COMMAND_START_MSG, again);
    ASSERT_TRUE(waitForDone(2));
    EXPECT_EQ("DEFAULT_BACKGROUND w @0, RESET_TEXT_COLOUR @0, SPEED 250 @0, PAGE_NUM 0 @0, "
              "STYLE_BOLD 1 @0, STYLE_HIGHLIGHT 1 @0, both w @0, _ w @0, same w @1, _ w @1, "
              "STYLE_BOLD 0 @3, lit w @3, _ w @3, STYLE_HIGHLIGHT 0 @4, plain w @4, _ w @4, "
              "STYLE_BOLD 1 @5, STYLE_HIGHLIGHT 1 @5, again w @5, _ w @5, DONE, "
              "DEFAULT_BACKGROUND w @5, RESET_TEXT_COLOUR @5, SPEED 250 @5, PAGE_NUM 0 @5, "
              "STYLE_BOLD 1 @5, STYLE_HIGHLIGHT 1 @5, again w @5, _ w @5, DONE",
              log());
}

// A pause while a flash is on screen lets the word finish, all its chunks, and no more: the
// rest of an attachment announcement, and the next word, are not shown.
TEST_F(WordPresentationTest, APauseDuringAWordLetsItFinishAndNoMore) {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pauseAt);
        reset();
        document->appendWord("internationalization");
        document->appendMarker(eDITEmailItemAttachmentAnnounce);
        document->appendWord("more");
        wxCDataInfoListNode* start = document->getFirstNode();
        document->getNextNode(&start, c.node);
        manager->setWordDisplayLength(8);
        ASSERT_TRUE(initialize());
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
// inter-word delay; a newline after the word, even past other items, lengthens that delay. The
// ramp times the words at 100, 175, 250 and 325 words per minute. Rests and sustains are timed at
// the target speed, even once a speed link has slowed it below the ramp's current speed; a
// rest's blank waits for no render, so its delay counts from the post. The ramp ends once it
// passes the new target. Each chunk is at most L characters, hyphen included.
TEST_F(WordPresentationTest, ChunksAreTimedFromTheirFirstCharactersAndTheLastSustain) {
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
    document->appendLinkInfoRef(document->addLink(eLinkSpeed, "100"));
    document->appendRest(1);
    document->appendSustain(1);
    document->appendWord("d");
    manager->setWordDisplayLength(8);
    ASSERT_TRUE(initialize());
    send(EVT_FLIT_COMMAND_START_MSG, document->getFirstNode());
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ("SPEED 950 @0, PAGE_NUM 0 @0, DEFAULT_BACKGROUND w @2, interna- w @2, _ w @2, "
              "tionali- w @2, _ w @2, zation w @2, _ w @2, ebb w @4, _ w @4, PAGE_NUM 2 @5, "
              "flow w @7, _ w @7, SPEED 100 @9, _ @10, d w @12, _ w @12, DONE",
              log());
    word("internat", 3, kSpace, 100, calcs.calcSustainDelay(3, 950));
    word("ebb", 1, kNewline, 175);
    word("flow", 1, kSpace, 250);
    expected.emplace_back(calcs.calcRestDelay(1, 100), kFromPost);
    word("d", 1, kEnd, 325, calcs.calcSustainDelay(1, 100));
    EXPECT_EQ(expected, sleeps());
    EXPECT_EQ(400, manager->getCurrentSpeed());
}

// A word passed over because reading is not running (here the host moved the cursor onto it
// while its background was shown) leaves the sustain armed, and the restart keeps it too.
TEST_F(WordPresentationTest, ASustainStaysArmedPastAWordSkippedWhileNotRunning) {
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
    EXPECT_EQ(expected, sleeps());
}

} // namespace
