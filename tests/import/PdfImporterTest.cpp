#include "import/DocumentImporter.h"
#include "support/PdfFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A document as a line: "title:TITLE " when it has one, then its items: words as themselves,
// "_" a space, "|" a newline, "[N]" a shown page marker of page N. A refusal is "!" and the
// error.
std::string describe(const std::string& bytes) {
    CDocumentImporter importer;
    const auto doc = importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eAutomatic,
                                          "book.pdf", "");
    if (!doc) {
        return "!" + importer.getError().utf8_string();
    }
    std::string out = doc->getTitle().empty() ? "" : "title:" + doc->getTitle().utf8_string();
    for (auto* node = doc->getFirstNode(); node != nullptr; node = node->GetNext()) {
        const CDataInfo* item = node->GetData();
        std::string text = item->getDataInfoType() == eDITSpace ? "_" : "|";
        if (auto* word = dynamic_cast<const CDITWord*>(item)) {
            text = word->getWord();
        } else if (auto* page = dynamic_cast<const CDITPageInfoRef*>(item)) {
            const CPageInfo* info =
                doc->getPageManager()->getPageInfoAt(page->getPageInfoListNode());
            text = "[" + std::to_string(info->pageNum) + "]";
        }
        out += (out.empty() ? "" : " ") + text;
    }
    return out;
}

// A drawing for makePdf, or raw bytes when it is empty or starts with "%", and the document
// described, or "!" and a part of the error.
const struct {
    const char* drawing;
    const char* expected;
} kCases[] = {
    {"72 100 \uFB01ne \uFB02our o\uFB00", "[1] fine _ flour _ off"},
    {"72 100 the exam-\n72 114 ple ends", "[1] the _ example _ ends"},
    {"72 100 the sea\u2014\n72 114 calm", "[1] the _ sea\u2014 _ calm"},
    {"72 100 Wind rose.\n72 114 Rain fell.\n72 150 Then calm.",
     "[1] Wind _ rose. _ Rain _ fell. | Then _ calm."},
    {"72 100 The tide ran out along the wall\n72 114 and back.\n72 128 Gulls",
     "[1] The _ tide _ ran _ out _ along _ the _ wall _ and _ back. | Gulls"},
    {"#size 20\n72 80 Chapter One\n#size 12\n72 100 It began", "[1] Chapter _ One | It _ began"},
    {"#label iv\n72 100 Preface\n#page 7\n72 100 Start\n#page\n72 100 End",
     "[4] Preface _ [7] Start _ [3] End"},
    {"#title Harbour Notes\n72 100 Sea", "title:Harbour Notes [1] Sea"},
    {"#page", "!has no text to read"},
    {"%PDF-1.4\ngarbage", "!damaged"},
    {"", "!empty"},
};

TEST(PdfImporter, ReadsPagesWordsAndParagraphs) {
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.drawing);
        const std::string drawing = row.drawing;
        const std::string got =
            describe(drawing.empty() || drawing[0] == '%' ? drawing : makePdf(drawing));
        if (row.expected[0] == '!') {
            EXPECT_NE(got.find(row.expected + 1), std::string::npos) << got;
        } else {
            EXPECT_EQ(got, row.expected);
        }
    }
}

} // namespace
