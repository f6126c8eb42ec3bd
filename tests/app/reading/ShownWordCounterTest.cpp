// The counter of words shown: each word once however many chunks it takes, and where the word
// on screen is.

#include "reading/ShownWordCounter.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ShownWordCounterTest, CountsEachWordOnceWhateverItsChunks) {
    CDocumentImporter importer;
    std::unique_ptr<CDataManager> document =
        importer.importText("Extraordinarily calm.{email 0}", CDocumentImporter::eMarkedUp, ".");
    ASSERT_NE(nullptr, document);
    std::vector<wxCDataInfoListNode*> items;
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        const int type = node->GetData()->getDataInfoType();
        if (type == eDITWord || type == eDITEmailItem) {
            items.push_back(node);
        }
    }
    ASSERT_EQ(3u, items.size()); // the two words and the email item
    const struct {
        size_t item;
        const char* chunk;
        bool hyphenating;
        size_t words;      // shown so far
        size_t wordOfItem; // which of the item's words is on screen
    } chunks[] = {
        // Cut at the display length of 8: chunks of exactly 8 characters go on.
        {0, "Extraor-", false, 1, 0},
        {0, "dinarily", false, 1, 0},
        {1, "calm.", false, 2, 0},
        // An email item shows four words with its one node.
        {2, "Email", false, 3, 0},
        {2, "Item", false, 4, 1},
        {2, "#", false, 5, 2},
        {2, "1", false, 6, 3},
        // Cut at syllables a chunk may be shorter; without hyphenation it is a word of its own.
        {0, "Ex-", true, 7, 0},
        {0, "traordinarily", true, 7, 0},
        {0, "Ex-", false, 8, 0},
        {0, "traordinarily", false, 9, 0},
    };
    CShownWordCounter counter;
    counter.restart(items[0], true);
    for (const auto& chunk : chunks) {
        SCOPED_TRACE(chunk.chunk);
        counter.count(items[chunk.item], chunk.chunk, 8, chunk.hyphenating);
        EXPECT_EQ(chunk.words, counter.getWordsShown());
        EXPECT_EQ(chunk.wordOfItem, counter.getWordOfItem());
        EXPECT_EQ(items[chunk.item], counter.getShownNode());
    }
    // 9 words in 4.5 seconds; a continue goes on counting, a start counts afresh.
    EXPECT_EQ(120u, counter.achievedSpeed(4500));
    EXPECT_EQ(0u, counter.achievedSpeed(0));
    counter.restart(items[1], false);
    EXPECT_EQ(9u, counter.getWordsShown());
    EXPECT_EQ(items[1], counter.getShownNode());
    EXPECT_TRUE(counter.rampRuns());
    counter.restart(items[1], true);
    EXPECT_EQ(0u, counter.getWordsShown());
    // Cut for reading, a word's chunks may end in its own marks, or in none inside an address.
    for (const char* chunk : {"Extra/", "ordi", "narily"}) {
        counter.count(items[0], chunk, 8, true);
    }
    EXPECT_EQ(1u, counter.getWordsShown());
}

} // namespace
