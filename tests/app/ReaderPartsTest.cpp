// The reader's parts that need no window: its command line, its record format and its map of
// sentences, paragraphs and times.

#include "EventRecorder.h"
#include "ReaderOptions.h"
#include "ReadingNavigator.h"

#include "engine/FlitCommandEvent.h"
#include "outside/DocumentImporter.h"
#include "outside/OvriChars.h"
#include "timing/FlitWordCalcs.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// The reader's command line parsed, as the program's own.
int parse(std::vector<const char*> args, SReaderOptions* options = nullptr) {
    SReaderOptions ignored;
    args.insert(args.begin(), "flitreader");
    args.push_back(nullptr);
    return parseReaderOptions(static_cast<int>(args.size()) - 1, const_cast<char**>(args.data()),
                              options != nullptr ? options : &ignored);
}

TEST(ReaderOptionsTest, AcceptsTheDocumentedOptionsAndRefusesBadOnes) {
    const char* const sample = FLIT_SAMPLES_DIR "/harbour.txt";
    SReaderOptions options;
    ASSERT_EQ(0, parse({"--wpm", "400", "--word-length", "9", "--autostart", "--auto-continue",
                        "--exit-when-done", "--record", "r.tsv", "--screenshot", "s.png", sample},
                       &options));
    EXPECT_EQ(400, options.wpm);
    EXPECT_EQ(9, options.wordLength);
    EXPECT_TRUE(options.autostart && options.autoContinue && options.exitWhenDone);
    EXPECT_EQ("r.tsv s.png", options.recordPath + " " + options.screenshotPath);
    EXPECT_EQ(sample, options.documentPath);
    // clang-format off
    const std::vector<const char*> refused[] = {{"--wpm", "99"}, {"--wpm", "951"},
        {"--wpm", "fast"}, {"--word-length", "1"}, {"--bogus"}, {"/no/such/file.txt"},
        {"--autostart"}};
    // clang-format on
    for (const std::vector<const char*>& bad : refused) {
        EXPECT_EQ(2, parse(bad)) << bad[0];
    }
    EXPECT_EQ(-1, parse({"--help"}));
}

TEST(EventRecorderTest, WritesOneEscapedLinePerEvent) {
    const wxString path = wxFileName::CreateTempFileName("flitrecord");
    {
        CEventRecorder recorder(std::chrono::steady_clock::now());
        wxString error;
        ASSERT_TRUE(recorder.open(path, &error)) << error;
        CFlitCommandEvent word(EVT_FLIT_COMMAND_WORD_MSG);
        word.text = "tab\there\\new\nline";
        recorder.record("view", word);
        CFlitCommandEvent colour(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
        colour.colour = wxColour(200, 50, 40);
        colour.number = 1;
        recorder.record("frame", colour);
    }
    std::ifstream in(path.ToStdString());
    std::string header, first, second;
    std::getline(std::getline(std::getline(in, header), first), second);
    EXPECT_EQ("t_ms\twindow\ttype\ttext\tnumber\tcolour", header);
    EXPECT_NE(std::string::npos, first.find("\tview\tWORD\ttab\\there\\\\new\\nline\t-1\t"));
    EXPECT_NE(std::string::npos, second.find("\tframe\tTEXT_COLOUR\t\t1\t#c83228"));
    // Milliseconds with three decimals.
    EXPECT_EQ('.', first[first.find('\t') - 4]);
    EXPECT_STREQ("UNKNOWN", CEventRecorder::typeName(-12345));
    wxRemoveFile(path);
}

class ReadingNavigatorTest : public testing::Test {
protected:
    void load(const char* text, CDocumentImporter::eFormat format = CDocumentImporter::ePlainText) {
        CDocumentImporter importer;
        document = importer.importText(text, format, wxString());
        ASSERT_TRUE(document) << importer.getError();
        navigator = std::make_unique<CReadingNavigator>(document.get());
    }

    wxCDataInfoListNode* word(const char* text) const {
        wxCDataInfoListNode* node = document->getFirstNode();
        while (node != nullptr &&
               (node->GetData()->getDataInfoType() != eDITWord ||
                std::string(static_cast<const CDITWord*>(node->GetData())->getWord()) != text)) {
            node = node->GetNext();
        }
        return node;
    }

    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
};

TEST_F(ReadingNavigatorTest, SentencesAndParagraphs) {
    load("One two. Three \"four!\" Five\nsix?\n\nSeven eight.");
    EXPECT_EQ(8u, navigator->getWordCount());
    EXPECT_EQ(word("Three"), navigator->nextSentence(word("One")));
    EXPECT_EQ(word("Five"), navigator->nextSentence(word("Three"))) << "closing quote";
    EXPECT_EQ(word("Seven"), navigator->nextSentence(word("six?")));
    EXPECT_EQ(nullptr, navigator->nextSentence(word("Seven")));
    // Back goes to the start of the sentence, or to the one before from a start.
    EXPECT_EQ(word("Five"), navigator->previousSentence(word("six?")));
    EXPECT_EQ(word("Three"), navigator->previousSentence(word("Five")));
    EXPECT_EQ(word("One"), navigator->previousSentence(word("One")));
    // A single line break does not end a paragraph; a blank line does.
    EXPECT_EQ(word("Seven"), navigator->nextParagraph(word("One")));
    EXPECT_EQ(word("Seven"), navigator->previousParagraph(word("eight.")));
    EXPECT_EQ(word("One"), navigator->previousParagraph(word("Seven")));

    std::vector<wxString> words;
    int marked = -1;
    navigator->sentenceAround(word("six?"), &words, &marked);
    EXPECT_EQ((std::vector<wxString>{"Five", "six?"}), words);
    EXPECT_EQ(1, marked);

    // A title's full stop ends no sentence.
    load("Mrs. Smith came. Dr. Lee left.");
    EXPECT_EQ(word("Dr."), navigator->nextSentence(word("Mrs.")));
    EXPECT_EQ(word("Mrs."), navigator->previousSentence(word("Smith")));
    navigator->sentenceAround(word("Smith"), &words, &marked);
    EXPECT_EQ((std::vector<wxString>{"Mrs.", "Smith", "came."}), words);
}

TEST_F(ReadingNavigatorTest, WordCountsAndTimeLeftFollowTheTimingRules) {
    load("Harbour lights, internationalization\nend.");
    EXPECT_EQ(0u, navigator->wordsBefore(word("Harbour")));
    EXPECT_EQ(3u, navigator->wordsBefore(word("end.")));
    EXPECT_EQ(1u, navigator->wordsBefore(word("lights,"))) << "counting backwards again";
    EXPECT_EQ(4u, navigator->wordsBefore(nullptr));

    // The calculator's own figures, asked in reading order (it remembers the word before).
    CFlitWordCalcs calcs;
    const auto cost = [&](const char* timed, char separator, int speed) -> uint64_t {
        const int display = calcs.calcWordDisplayTime(timed, speed);
        return display + calcs.calcInterWordDelayTime(timed, separator, speed);
    };
    // At a word length of 8 the long word is three chunks timed by "internat".
    uint64_t expected = cost("Harbour", COvriChars::kSpaceChar, 300);
    expected += cost("lights,", COvriChars::kSpaceChar, 300);
    expected += 3 * cost("internat", COvriChars::kNewlineChar, 300);
    expected += cost("end.", COvriChars::kNullByte, 300);
    EXPECT_EQ(expected, navigator->timeLeftMs(word("Harbour"), 300, 8));
    EXPECT_EQ(0u, navigator->timeLeftMs(nullptr, 300, 8));

    // After a restart the ramp times the words at 100, 175, ... and at the target once it has
    // passed it; it never passes 950, so above 925 it holds at 925.
    load("a b c d e f g h i j k l m n");
    const struct {
        int target;
        std::vector<int> speeds;
    } ramps[] = {{300, {100, 175, 250}},
                 {950, {100, 175, 250, 325, 400, 475, 550, 625, 700, 775, 850, 925, 925, 925}}};
    for (const auto& ramp : ramps) {
        SCOPED_TRACE(ramp.target);
        calcs.zeroInit();
        uint64_t total = 0;
        for (size_t i = 0; i < 14; ++i) {
            const char letter[] = {static_cast<char>('a' + i), '\0'};
            total += cost(letter, i < 13 ? COvriChars::kSpaceChar : COvriChars::kNullByte,
                          i < ramp.speeds.size() ? ramp.speeds[i] : ramp.target);
        }
        EXPECT_EQ(total, navigator->timeLeftMs(word("a"), ramp.target, 8, true));
    }
}

// Each word the engine flashes counts once: "<LINK>", an email item's four words, an
// announcement's fifteen; the words an attachment skip jumps over not at all.
TEST_F(ReadingNavigatorTest, CountsTheWordsTheEngineFlashes) {
    load("A{link http://x} b{email 0}{attachment announce}c{attachment skip}not read{email 1}d.",
         CDocumentImporter::eMarkedUp);
    EXPECT_EQ(28u, navigator->getWordCount());
    EXPECT_EQ(27u, navigator->wordsBefore(word("d.")));
    CDocumentImporter importer;
    const std::unique_ptr<CDataManager> tour =
        importer.importFile(FLIT_SAMPLES_DIR "/harbour-tour.flit");
    ASSERT_TRUE(tour) << importer.getError();
    EXPECT_EQ(236u, CReadingNavigator(tour.get()).getWordCount());
}

} // namespace
