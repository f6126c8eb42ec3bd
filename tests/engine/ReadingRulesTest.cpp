#include <flitengine/engine/ReadingRules.h>

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// From 100, a step of 75 a word, until the speed has passed the target; a step that would pass
// 950 is refused, so a ramp that cannot pass the target holds where it is and keeps running.
TEST(ReadingRules, TheRampClimbsByStepsAndEndsOrHolds) {
    const struct {
        unsigned int from;
        int target;
        std::vector<int> speeds;
        bool running;
        int steady;
    } cases[] = {
        {CStartupRamp::kStartSpeed, 250, {100, 175, 250, 250}, false, 250},
        {CStartupRamp::kStartSpeed, 300, {100, 175, 250, 300, 300}, false, 300},
        {CStartupRamp::kStartSpeed, 100, {100, 100}, false, 100},
        {CStartupRamp::kStartSpeed,
         950,
         {100, 175, 250, 325, 400, 475, 550, 625, 700, 775, 850, 925, 925, 925},
         true,
         925},
        {900, 950, {900, 900}, true, 900},
        {500, 300, {500, 300}, false, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.target));
        CStartupRamp ramp(c.from);
        EXPECT_EQ(c.steady, ramp.steadySpeed(c.target));
        std::vector<int> speeds;
        while (speeds.size() < c.speeds.size()) {
            speeds.push_back(ramp.nextWord(c.target));
        }
        EXPECT_EQ(c.speeds, speeds);
        EXPECT_EQ(c.running, ramp.isRunning());
        EXPECT_TRUE(ramp.isSteady(c.target));
    }
    EXPECT_FALSE(CStartupRamp().isSteady(300));
}

// A word is timed by its first displayLength characters, once per chunk, whatever its chunks.
TEST(ReadingRules, AWordsShapeAndTimesFollowItsTimedPart) {
    const struct {
        std::string word;
        unsigned int displayLength;
        const char* language;
        size_t chunks;
        std::string timed;
    } cases[] = {
        {"internationalization,", 8, nullptr, 3, "internat"},
        {"internationalization,", 8, "en", 4, "internat"},
        {"internationalization,", 1, nullptr, 1, "internationalization,"},
        {"Harbour", 7, nullptr, 1, "Harbour"},
        {"Harbours.", 7, nullptr, 2, "Harbour"},
        {u8"cafe\u0301terias", 5, nullptr, 3, u8"cafe\u0301t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word + " at " + std::to_string(c.displayLength));
        const CHyphenation* dictionary =
            c.language ? CHyphenation::forLanguage(c.language) : nullptr;
        const SWordShape shape =
            CReadingRules::shapeOf(c.word.data(), c.word.size(), c.displayLength, dictionary);
        EXPECT_EQ(c.chunks, shape.chunks);
        EXPECT_EQ(c.chunks, CFlashedWords::chunksOf(c.word, c.displayLength, dictionary).size());
        EXPECT_EQ(c.timed, c.word.substr(0, shape.timedBytes));
        CFlitWordCalcs rules;
        CFlitWordCalcs expected;
        rules.setFollowsPunctuatedWord(true);
        expected.setFollowsPunctuatedWord(true);
        for (int speed : {100, 475, 950}) {
            const SWordTiming times = CReadingRules::timingOf(
                rules, c.word, COvriChars::kNewlineChar, speed, c.displayLength);
            EXPECT_EQ(expected.calcWordDisplayTime(c.timed.c_str(), speed), times.displayMs);
            EXPECT_EQ(
                expected.calcInterWordDelayTime(c.timed.c_str(), COvriChars::kNewlineChar, speed),
                times.delayMs);
            EXPECT_EQ(expected.followsPunctuatedWord(), rules.followsPunctuatedWord());
        }
    }
}

// A word's separator is the first word, space or newline after it; reading passes over an
// attachment skip and what follows it up to the next email item.
TEST(ReadingRules, SeparatorsAndWhatReadingPassesOver) {
    CDataManager document;
    const struct {
        wxCDataInfoListNode* node;
        char separator;
        bool passedOver;
    } cases[] = {
        {document.appendWord("sea"), COvriChars::kSpaceChar, false},
        {document.appendLinkInfoRef(document.addLink(eLinkWeb, "https://example.org")),
         COvriChars::kSpaceChar, false},
        {document.appendSpace(), COvriChars::kNullByte, false},
        {document.appendWord("and"), COvriChars::kNewlineChar, false},
        {document.appendMarker(eDITEmailItemAttachmentSkip), COvriChars::kNewlineChar, true},
        {document.appendNewline(), COvriChars::kNullByte, true},
        {document.appendWord("skipped"), COvriChars::kNullByte, true},
        {document.appendValueRef(eDITEmailItem, 1), COvriChars::kNullByte, false},
    };
    bool passingOver = false;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].separator, CReadingRules::separatorAfter(document, cases[i].node));
        passingOver = CFlashedWords::passesOver(cases[i].node, passingOver);
        EXPECT_EQ(cases[i].passedOver, passingOver);
    }
    EXPECT_EQ(cases[7].node, CFlashedWords::nextReadNode(document, cases[4].node));
    EXPECT_EQ(cases[4].node, CFlashedWords::nextReadNode(document, cases[3].node));
    EXPECT_EQ(nullptr, CFlashedWords::nextReadNode(document, cases[7].node));
}
