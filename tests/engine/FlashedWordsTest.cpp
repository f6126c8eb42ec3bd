#include <flitengine/engine/FlashedWords.h>

#include <flitengine/engine/Hyphenation.h>
#include <flitengine/engine/ReadingRules.h>

#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/OvriChars.h>
#include <flitengine/outside/Utf8.h>
#include <flitengine/timing/FlitWordCalcs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The words as one string, each followed by its separator: a space, a newline, or '|' for none.
std::string joined(const std::vector<SFlashedWord>& words) {
    std::string all;
    for (const SFlashedWord& word : words) {
        all += word.text + (word.separator == COvriChars::kNullByte ? '|' : word.separator);
    }
    return all;
}

} // namespace

// Chunk lengths count the characters a reader perceives: an accent written as a separate mark
// stays on its letter, and a flag stays whole. Each chunk is timed by the timed part.
TEST(FlashedWords, ChunksAndTheirTimedPartCountPerceivedCharacters) {
    const std::string fr = u8"\U0001F1EB\U0001F1F7", de = u8"\U0001F1E9\U0001F1EA",
                      it = u8"\U0001F1EE\U0001F1F9";
    const struct {
        std::string word;
        unsigned int displayLength;
        std::vector<std::string> chunks;
        std::string timed;
    } cases[] = {
        {"internationalization", 8, {"interna-", "tionali-", "zation"}, "internat"},
        {"internationalization", 1, {"internationalization"}, "internationalization"},
        {"internationalization", 0, {"internationalization"}, "internationalization"},
        {"harbour", 7, {"harbour"}, "harbour"},
        {"harbours", 7, {"harbou-", "rs"}, "harbour"},
        {"abc", 2, {"a-", "bc"}, "ab"},
        {"Überraschung", 5, {"Über-", "rasc-", "hung"}, "Überr"},
        {u8"cafe\u0301s", 5, {u8"cafe\u0301s"}, u8"cafe\u0301s"},
        {u8"cafe\u0301terias", 5, {u8"cafe\u0301-", "teri-", "as"}, u8"cafe\u0301t"},
        {fr + de + it, 2, {fr + "-", de + it}, fr + de},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word + " at " + std::to_string(c.displayLength));
        EXPECT_EQ(c.chunks, CFlashedWords::chunksOf(c.word, c.displayLength));
        EXPECT_EQ(c.timed, CFlashedWords::timedPart(c.word, c.displayLength));
        CFlitWordCalcs rules;
        CFlitWordCalcs expected;
        const SWordTiming times =
            CReadingRules::timingOf(rules, c.word, '\n', 475, c.displayLength);
        EXPECT_EQ(expected.calcWordDisplayTime(c.timed.c_str(), 475), times.displayMs);
        EXPECT_EQ(expected.calcInterWordDelayTime(c.timed.c_str(), '\n', 475), times.delayMs);
    }
}

// Cut at syllables, a chunk ends at the last break that fits, in the dictionary of the language
// (8-bit dictionaries included), or at a hyphen of the word; without a fitting break, or
// without a dictionary, the cut is at the display length.
TEST(FlashedWords, HyphenationCutsAtTheLastSyllableThatFits) {
    const struct {
        std::string word;
        const char* language;
        unsigned int displayLength;
        std::vector<std::string> chunks;
    } cases[] = {
        {"internationalization", "en-US", 8, {"interna-", "tional-", "ization"}},
        {"électricité,", "fr_CA", 6, {"élec-", "trici-", "té,"}},
        {"достопримечательности", "ru", 12, {"достоприме-", "чательности"}},
        {"well-known", "en", 6, {"well-", "known"}},
        {"rhythms", "en", 4, {"rhy-", "thms"}},
        {"harbour", "en", 7, {"harbour"}},
        {"internationalization", "xx", 8, {"interna-", "tionali-", "zation"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word + " in " + c.language);
        wxString notice;
        const CHyphenation* dictionary = CHyphenation::forLanguage(c.language, &notice);
        EXPECT_EQ(dictionary == nullptr, notice.Contains(c.language)) << notice;
        EXPECT_EQ(c.chunks, CFlashedWords::chunksOf(c.word, c.displayLength, dictionary));
    }
    EXPECT_EQ(CHyphenation::forLanguage("ru"), CHyphenation::forLanguage("RU_ru"));
}

// Reading flashes a word item's text (with the separator after it), "<LINK>" for a hyperlink or
// mail link, the words of email items and announcements, and nothing for other items or what an
// attachment skip jumps over: the skip and the items after it up to the next email item.
TEST(FlashedWords, EachItemFlashesItsWordsAndASkipJumpsToTheNextEmailItem) {
    CDataManager document;
    const struct {
        wxCDataInfoListNode* node;
        const char* words;
    } cases[] = {
        {document.appendWord("sea"), "sea "},
        {document.appendSpace(), ""},
        {document.appendLinkInfoRef(document.addLink(eLinkWeb, "https://example.org")), "<LINK>|"},
        {document.appendLinkInfoRef(document.addLink(eLinkMailto, "a@example.org")), "<LINK>|"},
        {document.appendLinkInfoRef(document.addLink(eLinkSpeed, "400")), ""},
        {document.appendWord(""), ""},
        {document.appendMarker(eDITEmailItemAttachmentSkip), ""},
        {document.appendWord("skipped"), "skipped|"},
        {document.appendValueRef(eDITEmailItem, 4), "Email Item # 5\n"},
        {document.appendMarker(eDITEmailItemAttachmentAnnounce),
         "Press 'A' to read attachment\nPress 'A' to read attachment\nPress 'A' to read "
         "attachment\n"},
    };
    std::string passedOver;
    bool passingOver = false;
    for (const auto& c : cases) {
        EXPECT_EQ(c.words, joined(CFlashedWords::wordsOf(document, c.node)));
        passingOver = CFlashedWords::passesOver(c.node, passingOver);
        passedOver += passingOver ? 'x' : '.';
    }
    EXPECT_EQ("......xx..", passedOver);
    EXPECT_EQ(cases[8].node, CFlashedWords::nextReadNode(cases[6].node));
    EXPECT_EQ(cases[1].node, CFlashedWords::nextReadNode(cases[0].node));
    EXPECT_EQ(nullptr, CFlashedWords::nextReadNode(cases[9].node));
}

// Cut for reading, a word is cut after its own hyphens, dashes and slashes, then at syllables,
// else evenly, never into a part of fewer than three characters; addresses and file names only
// after their own separators, with no hyphen added. The exact cut stays the default.
TEST(FlashedWords, TheCutForReadingKeepsPartsReadable) {
    using Parts = std::vector<std::string>;
    const struct {
        std::string word;
        Parts exact;
        Parts reading;
        Parts syllables; // cut for reading with the English dictionary
    } cases[] = {
        {"Nevertheless,", {"Nevertheles-", "s,"}, {"Nevert-", "heless,"}, {"Never-", "theless,"}},
        {"knowledge-base", {"knowledge-b-", "ase"}, {"knowledge-", "base"}, {"knowledge-", "base"}},
        {"ubuntu-dev-tools", {"ubuntu-dev--", "tools"}, {"ubuntu-", "dev-tools"}, {}},
        {"https://example.org/some/long/path",
         {"https://exa-", "mple.org/so-", "me/long/path"},
         {"https://", "example.org/", "some/", "long/path"},
         {}},
        {"someone@example.org", {"someone@exa-", "mple.org"}, {"someone@", "example.org"}, {}},
        {"/usr/share/doc/README.Debian",
         {"/usr/share/-", "doc/README.-", "Debian"},
         {"/usr/share/", "doc/README.", "Debian"},
         {}},
        {"(www.example.org/index.html).",
         {"(www.exampl-", "e.org/index-", ".html)."},
         {"(www.", "example.org/", "index.html)."},
         {}},
        {"word—anotherword", {"word—anothe-", "rword"}, {"word—", "anotherword"}, {}},
        {"input/output-devices",
         {"input/outpu-", "t-devices"},
         {"input/", "output-", "devices"},
         {"input/out-", "put-devices"}},
        {"Überraschungsparty", {"Überraschun-", "gsparty"}, {"Überrasc-", "hungsparty"}, {}},
        {"достопримечательности",
         {"достопримеч-", "ательности"},
         {"достоприме-", "чательности"},
         {}},
        {"harbourmaster", {"harbourmast-", "er"}, {"harbou-", "rmaster"}, {"harbour-", "master"}},
    };
    const CHyphenation* english = CHyphenation::forLanguage("en");
    ASSERT_NE(nullptr, english);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(c.exact, CFlashedWords::chunksOf(c.word, 12, nullptr, eCutAtLength));
        EXPECT_EQ(c.exact, CFlashedWords::chunksOf(c.word, 12));
        const Parts reading = CFlashedWords::chunksOf(c.word, 12, nullptr, eCutForReading);
        EXPECT_EQ(c.reading, reading);
        const Parts syllables = CFlashedWords::chunksOf(c.word, 12, english, eCutForReading);
        EXPECT_EQ(c.syllables.empty() ? c.reading : c.syllables, syllables);
        EXPECT_EQ(reading.size(),
                  CReadingRules::shapeOf(c.word.data(), c.word.size(), 12, nullptr, eCutForReading)
                      .chunks);
        // Each part is the word's next characters, with a hyphen added only to a plain word.
        const bool address = c.word[0] == '/' || c.word.find_first_of(".@") != std::string::npos;
        for (const Parts& parts : {reading, syllables}) {
            std::string rest = c.word;
            for (const std::string& part : parts) {
                const bool whole = rest.compare(0, part.size(), part) == 0;
                const std::string own = whole ? part : part.substr(0, part.size() - 1);
                EXPECT_TRUE(whole || (part.back() == '-' && !address &&
                                      rest.compare(0, own.size(), own) == 0))
                    << part;
                EXPECT_GE(CUtf8::countClusters(own.data(), own.size()), 3u) << part;
                rest.erase(0, own.size());
            }
            EXPECT_EQ("", rest);
        }
    }
    // A word too long to plan a cut for is cut evenly: 5000 letters in 450 parts of 11 and 5 of 10.
    const Parts even = CFlashedWords::chunksOf(std::string(5000, 'a'), 12, english, eCutForReading);
    ASSERT_EQ(455u, even.size());
    EXPECT_EQ(std::string(11, 'a') + "-", even[449]);
    EXPECT_EQ(std::string(10, 'a') + "-", even[450]);
    EXPECT_EQ(std::string(10, 'a'), even.back());
}
