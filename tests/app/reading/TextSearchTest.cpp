// Finding text in a document, without a window: folding, matches across words, wrapping.

#include "reading/TextSearch.h"
#include "reading/ReadingNavigator.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct SOpened {
    explicit SOpened(const char* text) {
        CDocumentImporter importer;
        document = importer.importText(text, CDocumentImporter::ePlainText, wxString());
        navigator = std::make_unique<CReadingNavigator>(document.get());
        search = std::make_unique<CTextSearch>(*document, *navigator);
    }
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
    std::unique_ptr<CTextSearch> search;
};

const size_t kAnyWord = static_cast<size_t>(-1);

// Each query from a word, forward or back: the words matched (the match's words as shown), the
// word it starts at, how many matches there are and whether the search went round an end.
TEST(TextSearchTest, FindsInEveryScriptIgnoringCaseAndAccents) {
    const struct {
        const char* text;
        const char* query;
        size_t from;
        int direction;
        const char* matched; // "" for no match
        size_t word;
        size_t count;
        bool wrapped;
    } cases[] = {
        {"Le café ouvre. Un CAFÉ ferme.", "Cafe", 0, 1, "café", 1, 2, false},
        {"Le café ouvre. Un CAFÉ ferme.", "cafe", 2, 1, "CAFÉ", 4, 2, false},
        {"Le café ouvre. Un CAFÉ ferme.", "café", 5, 1, "café", 1, 2, true},
        {"Le café ouvre. Un CAFÉ ferme.", "CAFE", 4, -1, "café", 1, 2, false},
        {"Le café ouvre. Un CAFÉ ferme.", "cafe", 1, -1, "CAFÉ", 4, 2, true},
        {"Η ΣΟΦΙΑ και η σοφία.", "ΣΟΦΊΑ", 2, 1, "σοφία.", 4, 2, false},
        {"Ёлка в лесу, ёлка дома.", "ЁЛКА", 1, 1, "ёлка", 3, 2, false},
        {"שָׁלוֹם עוֹלָם, שלום", "שלום", 1, 1, "שלום", 2, 2, false},
        {"שָׁלוֹם עוֹלָם, שלום", "שָׁלוֹם", 0, 1, "שָׁלוֹם", 0, 2, false},
        // Consecutive words, however many spaces the query puts between them.
        {"The sea and the wind. The Sea, the wind.", "the  sea", 1, 1, "The Sea,", 5, 2, false},
        {"The sea and the wind. The Sea, the wind.", "sea and the", 0, 1, "sea and the", 1, 1,
         false},
        {"The sea and the wind. The Sea, the wind.", "wind the", 0, 1, "", 0, 0, false},
        // Japanese and Chinese are cut into words: a query runs across them, with or without
        // spaces.
        {"夜明け前、灯台の光はまだ静かな海の上を回っていた。", "静かな海", 0, 1, "静か", kAnyWord,
         1, false},
        {"夜明け前、灯台の光はまだ静かな海の上を回っていた。", "灯台 の光", 0, 1, "灯台", kAnyWord,
         1, false},
        {"我们今天去北京大学看书。", "北京大学", 0, 1, "北京", kAnyWord, 1, false},
        // Voicing makes another kana, not an accent.
        {"ひらがなを書く。", "かな", 0, 1, "", 0, 0, false},
        {"Nothing here.", "", 0, 1, "", 0, 0, false},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(std::string(each.text) + " / " + each.query);
        SOpened opened(each.text);
        CTextSearch::SMatch match;
        const bool found =
            opened.search->find(wxString::FromUTF8(each.query), each.from, each.direction, &match);
        ASSERT_EQ(*each.matched != '\0', found);
        if (!found) {
            continue;
        }
        const CTextSearch::SContext context = opened.search->contextOf(match, 3);
        EXPECT_NE(wxNOT_FOUND, context.match.Find(wxString::FromUTF8(each.matched)))
            << context.match;
        if (each.word != kAnyWord) {
            EXPECT_EQ(each.word, match.word);
            EXPECT_EQ(each.word, opened.navigator->wordsBefore(match.node));
        }
        EXPECT_EQ(each.count, match.count);
        EXPECT_EQ(each.wrapped, match.wrapped);
    }
}

// Next and previous go round the ends; the context shows words either side.
TEST(TextSearchTest, StepsRoundTheEndsAndShowsTheContext) {
    SOpened opened("one Tide two three tide four five TIDE six");
    CTextSearch::SMatch match;
    ASSERT_TRUE(opened.search->find("tide", 3, 1, &match));
    const struct {
        int direction;
        size_t word;
        bool wrapped;
    } steps[] = {{1, 7, false}, {1, 1, true}, {-1, 7, true}, {-1, 4, false}};
    for (const auto& step : steps) {
        ASSERT_TRUE(opened.search->step(match, step.direction, &match));
        EXPECT_EQ(step.word, match.word);
        EXPECT_EQ(step.wrapped, match.wrapped);
    }
    const CTextSearch::SContext context = opened.search->contextOf(match, 2);
    EXPECT_EQ("two three", context.before);
    EXPECT_EQ("tide", context.match);
    EXPECT_EQ("four five", context.after);
}

TEST(TextSearchTest, FoldsCompatibilityFormsAndIgnorables) {
    const struct {
        const char* text;
        const char* folded;
    } cases[] = {
        {"Straße", "strasse"},      {"ﬁne", "fine"},          {"Ｆｕｌｌ", "full"},
        {"hyph\u00ADen", "hyphen"}, {"İstanbul", "istanbul"}, {"Ἀθῆναι", "αθηναι"},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(each.folded, CTextSearch::fold(wxString::FromUTF8(each.text))) << each.text;
    }
}

} // namespace
