#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Words of every length, with and without their own background link and colour tag, keep their
// text, records and style however many blocks the document fills (a word larger than any block
// included), among adopted items; a word made on its own keeps a copy of its text.
TEST(DocumentModel, WordsKeepTextRecordsAndStyleAcrossBlocks) {
    CDataManager doc;
    wxCLinkInfoListNode* link = doc.addLink(eLinkBackground, "sea.png");
    wxCTagInfoListNode* tag = doc.addTag(wxColour(200, 30, 30));
    const std::string huge(3 * CBlockArena::kLargestBlockBytes / 2, 'w');
    const struct {
        const char* text;
        const char* expected;
        wxCLinkInfoListNode* link;
        wxCTagInfoListNode* tag;
    } rows[] = {{"tide", "tide", nullptr, nullptr},
                {nullptr, "", nullptr, nullptr},
                {"", "", link, nullptr},
                {"k\xC3\xB8l", "k\xC3\xB8l", nullptr, tag},
                {huge.c_str(), huge.c_str(), link, tag}};
    std::vector<std::pair<wxCDataInfoListNode*, size_t>> words;
    for (int round = 0; round < 30000; ++round) {
        for (size_t row = 0; row < sizeof rows / sizeof rows[0]; ++row) {
            if (round == 0 || rows[row].text != huge.c_str()) {
                words.emplace_back(doc.appendWord(rows[row].text, CStyleInfo(eStyleBold),
                                                  rows[row].link, rows[row].tag),
                                   row);
                doc.appendSpace();
            }
        }
        if (round % 1000 == 0) {
            doc.appendItem(new CDITRest(2));
        }
    }
    for (const auto& [node, row] : words) {
        auto* word = static_cast<CDITWord*>(node->GetData());
        if (std::string(rows[row].expected) != word->getWord() ||
            word->getBackgroundLinkInfoNode() != rows[row].link ||
            word->getFontColourTagInfoListNode() != rows[row].tag ||
            !word->getStyleInfo().isOn(eStyleBold)) {
            ADD_FAILURE() << "row " << row;
            break;
        }
    }
    std::string text = "gull";
    const CDITWord alone(text.c_str(), CStyleInfo(), link, nullptr);
    text = "wren";
    EXPECT_STREQ("gull", alone.getWord());
    EXPECT_EQ(link, alone.getBackgroundLinkInfoNode());
}
