// The chapter index: the table of contents in reading order, where each entry starts, and which
// entry a word is in.

#include "reading/ChapterIndex.h"
#include "reading/ReadingNavigator.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(ChapterIndexTest, ListsEntriesInReadingOrderAndFindsTheChapterOfAWord) {
    CDocumentImporter importer;
    std::unique_ptr<CDataManager> document = importer.importText(
        "Part one.\n\nThe tide comes in.\n\nGulls wait here.", CDocumentImporter::ePlainText, ".");
    ASSERT_NE(nullptr, document);
    // The items of the words that start entries, and the item before "The" (not a word).
    std::map<std::string, size_t> itemOf;
    std::map<std::string, wxCDataInfoListNode*> nodeOf;
    size_t item = 0;
    for (wxCDataInfoListNode* node = document->getFirstNode(); node; node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() == eDITWord) {
            const std::string word = static_cast<const CDITWord*>(node->GetData())->getWord();
            itemOf.emplace(word, item);
            nodeOf.emplace(word, node);
        }
        ++item;
    }
    // Listed out of order, one past the end, and a part that starts where its chapter does.
    document->addContentsEntry("Gulls", 2, itemOf["Gulls"]);
    document->addContentsEntry("Part & One", 1, itemOf["Part"]);
    document->addContentsEntry("Appendix", 1, item + 5);
    document->addContentsEntry("Tides", 1, itemOf["The"] - 1);
    document->addContentsEntry("The Tide", 2, itemOf["The"]);
    CReadingNavigator navigator(document.get());
    const CChapterIndex chapters(*document, navigator);
    ASSERT_EQ(4u, chapters.size());
    const char* const titles[] = {"Part & One", "Tides", "The Tide", "Gulls"};
    for (size_t chapter = 0; chapter < chapters.size(); ++chapter) {
        EXPECT_EQ(titles[chapter], chapters.title(chapter));
    }
    EXPECT_EQ(wxString(wxUniChar(0x2003), 2) + "Gulls", chapters.listedTitle(3));
    EXPECT_EQ("Part & One", chapters.listedTitle(0));
    // The part starts before its first word; the paused view shows that word.
    EXPECT_NE(nodeOf["The"], chapters.startOf(1));
    EXPECT_EQ(nodeOf["The"], chapters.firstWordOf(1));

    const struct {
        const char* word; // the node asked about; null for none
        size_t wordsBefore;
        size_t chapter;
    } positions[] = {
        {nullptr, 0, 0}, {"one.", 1, 0},  {nullptr, 2, 2},  {"The", 2, 2},
        {"tide", 3, 2},  {"Gulls", 6, 3}, {nullptr, 99, 3},
    };
    for (const auto& position : positions) {
        SCOPED_TRACE(position.wordsBefore);
        EXPECT_EQ(position.chapter,
                  chapters.chapterAt(position.word ? nodeOf[position.word] : nullptr,
                                     position.wordsBefore));
    }
    // At the part's own item, the part rather than its chapter.
    EXPECT_EQ(1u, chapters.chapterAt(chapters.startOf(1), 2));
    EXPECT_EQ(CChapterIndex::kNone, CChapterIndex().chapterAt(nullptr, 0));
}

} // namespace
