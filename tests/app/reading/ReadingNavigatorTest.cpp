// The reader's map of the open document: sentences, paragraphs, word counts and times.

#include "reading/ReadingNavigator.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/engine/ReadingRules.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace {

class ReadingNavigatorTest : public testing::Test {
protected:
    void load(const char* text, CDocumentImporter::eFormat format = CDocumentImporter::ePlainText) {
        CDocumentImporter importer;
        document = importer.importText(text, format, wxString());
        ASSERT_TRUE(document) << importer.getError();
        navigator = std::make_unique<CReadingNavigator>(document.get());
    }

    static std::string textOf(wxCDataInfoListNode* node) {
        const auto* item = node != nullptr ? dynamic_cast<CDITWord*>(node->GetData()) : nullptr;
        return item != nullptr ? item->getWord() : "-";
    }

    wxCDataInfoListNode* word(const char* text) const {
        auto* node = navigator->firstWord();
        for (; node != nullptr && textOf(node) != text; node = node->GetNext()) {
        }
        return node;
    }

    // Where a move leads from each word in turn, "-" where it leads nowhere.
    template <class Move> std::string moves(Move move) const {
        std::string to;
        for (wxCDataInfoListNode* node = navigator->firstWord(); node; node = node->GetNext()) {
            to += textOf(node) == "-" ? "" : textOf((navigator.get()->*move)(node)) + " ";
        }
        return to;
    }

    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
};

// A sentence ends after a closing quote too, and a title's full stop ends none. Back goes to the
// start of the sentence, or to the one before from a start. A single line break does not end a
// paragraph; a blank line does.
TEST_F(ReadingNavigatorTest, SentencesAndParagraphs) {
    load("One two. Three \"four!\" Five\nsix?\n\nSeven eight.");
    EXPECT_EQ("Three Three Five Five Seven Seven - - ", moves(&CReadingNavigator::nextSentence));
    EXPECT_EQ("One One One Three Three Five Five Seven ",
              moves(&CReadingNavigator::previousSentence));
    EXPECT_EQ("Seven Seven Seven Seven Seven Seven - - ", moves(&CReadingNavigator::nextParagraph));
    EXPECT_EQ("One One One One One One One Seven ", moves(&CReadingNavigator::previousParagraph));
    std::vector<wxString> words;
    int marked = -1;
    navigator->sentenceAround(word("six?"), &words, &marked);
    EXPECT_EQ((std::vector<wxString>{"Five", "six?"}), words);
    EXPECT_EQ(1, marked);

    // Without blank lines each line is a paragraph; a marked-up text keeps its line breaks, and
    // only its blank lines end paragraphs.
    load("One.\nTwo.\nThree.");
    EXPECT_EQ("Two. Three. - ", moves(&CReadingNavigator::nextParagraph));
    load("One\ntwo\n\nThree.", CDocumentImporter::eMarkedUp);
    EXPECT_EQ("Three. Three. - ", moves(&CReadingNavigator::nextParagraph));

    load("Mrs. Smith came. Dr. Lee left.");
    EXPECT_EQ("Dr. Dr. Dr. - - - ", moves(&CReadingNavigator::nextSentence));
    EXPECT_EQ("Mrs. Mrs. Mrs. Mrs. Dr. Dr. ", moves(&CReadingNavigator::previousSentence));
    navigator->sentenceAround(word("Smith"), &words, &marked);
    EXPECT_EQ((std::vector<wxString>{"Mrs.", "Smith", "came."}), words);
}

// A sentence longer than the context reaches is cut at the side or sides it goes on.
TEST_F(ReadingNavigatorTest, ContextSaysWhereItCutsTheSentence) {
    std::string longSentence = "Start";
    for (int word = 0; word < 100; ++word) {
        longSentence += word == 50 ? " mid" : " on";
    }
    load((longSentence + ". After.").c_str());
    const struct {
        const char* word;
        size_t count;
        bool before, after;
    } cases[] = {{"Start", 41, false, true}, {"mid", 81, true, true}, {"After.", 1, false, false}};
    for (const auto& sentence : cases) {
        SCOPED_TRACE(sentence.word);
        std::vector<wxString> words;
        int marked = -1;
        CReadingNavigator::SCut cut;
        navigator->sentenceAround(word(sentence.word), &words, &marked, &cut);
        EXPECT_EQ(sentence.count, words.size());
        EXPECT_EQ(sentence.before, cut.before);
        EXPECT_EQ(sentence.after, cut.after);
    }
    // The page of each word: none before the first shown marker, a hidden one passed over.
    load("One {page 7}two three{page 8 hidden} four{page 9}", CDocumentImporter::eMarkedUp);
    EXPECT_EQ((std::vector<int>{0, 7, 7, 7, 9}),
              (std::vector<int>{navigator->pageOfWord(0), navigator->pageOfWord(1),
                                navigator->pageOfWord(2), navigator->pageOfWord(3),
                                navigator->pageOfWord(4)}));
}

TEST_F(ReadingNavigatorTest, WordCountsAndTimeLeftFollowTheTimingRules) {
    load("Harbour lights, internationalization\nend.");
    EXPECT_EQ(0u, navigator->wordsBefore(word("Harbour")));
    EXPECT_EQ(3u, navigator->wordsBefore(word("end.")));
    EXPECT_EQ(1u, navigator->wordsBefore(word("lights,"))) << "counting backwards again";
    EXPECT_EQ(4u, navigator->wordsBefore(nullptr));

    EXPECT_EQ(0u, navigator->timeLeftMs(nullptr, 300, 8));

    // After a restart the start-up ramp times the words, up to the target or holding below it.
    load("a b c d e f g h i j k l m n");
    for (int target : {300, 950}) {
        SCOPED_TRACE(target);
        CFlitWordCalcs calcs;
        CStartupRamp ramp;
        uint64_t total = 0;
        for (char letter = 'a'; letter <= 'n'; ++letter) {
            const char separator = letter < 'n' ? COvriChars::kSpaceChar : COvriChars::kNullByte;
            const SWordTiming times = CReadingRules::timingOf(calcs, std::string(1, letter),
                                                              separator, ramp.nextWord(target), 8);
            total += static_cast<uint64_t>(times.displayMs + times.delayMs);
        }
        EXPECT_EQ(total, navigator->timeLeftMs(word("a"), target, 8, true));
    }

    // Each word the engine flashes counts once: "<LINK>", an email item's four words, an
    // announcement's fifteen; the words an attachment skip jumps over not at all.
    load("A{link http://x} b{email 0}{attachment announce}c{attachment skip}not read{email 1}d.",
         CDocumentImporter::eMarkedUp);
    EXPECT_EQ(28u, navigator->getWordCount());
    EXPECT_EQ(27u, navigator->wordsBefore(word("d.")));
    document = CDocumentImporter().importFile(FLIT_SAMPLES_DIR "/harbour-tour.flit");
    ASSERT_TRUE(document);
    navigator = std::make_unique<CReadingNavigator>(document.get());
    EXPECT_EQ(236u, navigator->getWordCount());
}

// The time left from every word, at speeds asked in any order (each a new speed to the
// navigator), equals the sum of the engine's own costs of the words from there: each word timed
// by its timed part once per chunk, the calculator remembering the word before.
TEST_F(ReadingNavigatorTest, TimeLeftAtAnySpeedIsTheSumOfTheWordsCosts) {
    const struct {
        const char* text;
        unsigned int wordLength;
        CFlitWordCalcs::eLengthUnit unit = CFlitWordCalcs::eLengthBytes;
        const char* hyphenateIn = nullptr;
    } rows[] = {
        {"Dr. Smith met NASA (twice), e.g. in 1999; ANOTHER day: 3.5 km!\nCafé naïve "
         "Ünïcödéwörterbücher, x\u0301y\u0301z\u0301 internationalization? Yes.\n\nEnd",
         12},
        {"Dr. Smith met NASA (twice), e.g. in 1999; internationalization? Ünïcödéwörter", 5},
        {"A bb, CCC. dddd? Eeeee! ffffff; GGGGGGG: hhhhhhhh\niiiiiiiii (j) 12 k.", 2},
        {"МОСКВА, Москва. Др. Дом? «Да», сказал он… 北京。你好！ ÉMILE : oui ; 123 ١٢٣", 6,
         CFlitWordCalcs::eLengthCharacters},
        {"internationalization, extraordinary hyphenation. Ünïcödéwörterbücher Yes", 7,
         CFlitWordCalcs::eLengthCharacters, "en"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        load(row.text);
        const CHyphenation* hyphenation =
            row.hyphenateIn ? CHyphenation::forLanguage(row.hyphenateIn) : nullptr;
        navigator->setFlashRules(row.unit, hyphenation);
        std::vector<wxCDataInfoListNode*> nodes;
        for (auto* node = navigator->firstWord(); node; node = node->GetNext()) {
            nodes.push_back(node);
        }
        for (int speed : {300, 137, 950, 100, 333, 550}) {
            CFlitWordCalcs calcs;
            calcs.setLengthUnit(row.unit);
            std::vector<uint64_t> costs;
            for (wxCDataInfoListNode* node : nodes) {
                for (const SFlashedWord& word : CFlashedWords::wordsOf(*document, node)) {
                    const SWordTiming times = CReadingRules::timingOf(
                        calcs, word.text, word.separator, speed, row.wordLength);
                    costs.push_back(CReadingRules::shapeOf(word.text.data(), word.text.size(),
                                                           row.wordLength, hyphenation)
                                        .chunks *
                                    static_cast<uint64_t>(times.displayMs + times.delayMs));
                }
            }
            for (size_t i = nodes.size(); i-- > 0;) {
                uint64_t left = 0;
                for (size_t w = navigator->wordsBefore(nodes[i]); w < costs.size(); ++w) {
                    left += costs[w];
                }
                EXPECT_EQ(left, navigator->timeLeftMs(nodes[i], speed, row.wordLength)) << speed;
            }
        }
    }
}

// Timed again on a worker, the times equal those timed at once: moves and counts answer as
// before while it runs, a second change replaces the first, and a navigator closed while its
// worker runs stops it.
TEST_F(ReadingNavigatorTest, TimesMadeInTheBackgroundEqualThoseMadeAtOnce) {
    std::string text;
    for (int i = 0; i < 30000; ++i) {
        text += i % 9 == 8 ? "internationalization. " : "Tide ROSE ";
    }
    load(text.c_str());
    wxCDataInfoListNode* middle = navigator->itemOfWord(navigator->getWordCount() / 2);
    const size_t before = navigator->wordsBefore(middle);
    wxCDataInfoListNode* sentence = navigator->nextSentence(middle);
    std::mutex mutex;
    std::condition_variable timed;
    int readies = 0;
    navigator->retimeInBackground([&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++readies;
        timed.notify_all();
    });
    // Until the times are there, from one ready to the next.
    const auto waitForTimes = [&] {
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex);
            const int seen = readies;
            lock.unlock();
            if (navigator->timesKnown()) {
                return true;
            }
            lock.lock();
            if (!timed.wait_for(lock, std::chrono::seconds(60), [&] { return readies != seen; })) {
                return false;
            }
        }
    };
    const struct {
        unsigned int wordLength;
        CFlitWordCalcs::eLengthUnit unit;
        eChunkCut cut;
    } rows[] = {{12, CFlitWordCalcs::eLengthCharacters, eCutAtLength},
                {5, CFlitWordCalcs::eLengthBytes, eCutForReading},
                {7, CFlitWordCalcs::eLengthCharacters, eCutForReading}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.wordLength);
        navigator->setFlashRules(row.unit, nullptr, row.cut);
        EXPECT_EQ(before, navigator->wordsBefore(middle));
        EXPECT_EQ(sentence, navigator->nextSentence(middle));
        navigator->timeLeftMs(middle, 300, row.wordLength);
        EXPECT_EQ(middle, navigator->itemOfWord(before));
        ASSERT_TRUE(waitForTimes());
        CReadingNavigator atOnce(document.get(), row.wordLength, row.unit, nullptr, row.cut);
        for (int speed : {300, 950}) {
            EXPECT_EQ(atOnce.timeLeftMs(middle, speed, row.wordLength),
                      navigator->timeLeftMs(middle, speed, row.wordLength));
        }
    }
    navigator->timeLeftMs(middle, 300, 3);
    navigator.reset();
}

// Asked for in any order, anywhere in a document of many marks: the item holding each word
// has that many words before it or fewer, and the word is one of its own.
TEST_F(ReadingNavigatorTest, WordsBeforeAndTheItemOfAWordAgree) {
    std::string text;
    for (int i = 0; i < 1500; ++i) {
        text +=
            i % 7 == 0 ? "Sea{link http://x} " : "{email 3}{attachment skip}not read{email 4}tide ";
    }
    load(text.c_str(), CDocumentImporter::eMarkedUp);
    ASSERT_GT(navigator->getWordCount(), 3000u);
    for (size_t index = navigator->getWordCount(); index-- > 0;) {
        wxCDataInfoListNode* item = navigator->itemOfWord(index);
        ASSERT_NE(nullptr, item) << index;
        EXPECT_LE(navigator->wordsBefore(item), index);
        EXPECT_GT(navigator->wordsBefore(item->GetNext()), index);
    }
    EXPECT_EQ(nullptr, navigator->itemOfWord(navigator->getWordCount()));
}

// Sentences and paragraphs thousands of items long: moves pass over the marks between them.
TEST_F(ReadingNavigatorTest, MovesReachStartsFarAway) {
    std::string text = "Start";
    for (int i = 0; i < 1500; ++i) {
        text += " w";
    }
    text += " end. Next w\nx";
    for (int i = 0; i < 1500; ++i) {
        text += " y";
    }
    load((text + " Last.").c_str());
    EXPECT_EQ(word("Next"), navigator->nextSentence(word("Start")));
    EXPECT_EQ(word("Next"), navigator->previousSentence(word("Last.")));
    EXPECT_EQ(word("Start"), navigator->previousSentence(word("Next")));
    EXPECT_EQ(word("x"), navigator->nextParagraph(word("w")));
    EXPECT_EQ(word("x"), navigator->previousParagraph(word("Last.")));
    EXPECT_EQ(word("Start"), navigator->previousParagraph(word("x")));
    EXPECT_EQ(nullptr, navigator->nextParagraph(word("x")));
}

} // namespace
