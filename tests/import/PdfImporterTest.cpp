#include "support/PdfFixture.h"
#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A document as a line: "title:TITLE " when it has one, then its items: words as themselves,
// " " a space, "|" a newline, "[N]" a shown page marker of page N. A refusal is "!" and the
// error.
std::string describe(const std::string& bytes) {
    CDocumentImporter importer;
    const auto doc = importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eAutomatic,
                                          "book.pdf", "");
    if (!doc) {
        return "!" + importer.getError().utf8_string();
    }
    std::string out = doc->getTitle().empty() ? "" : "title:" + doc->getTitle().utf8_string() + " ";
    for (auto* node = doc->getFirstNode(); node != nullptr; node = node->GetNext()) {
        const CDataInfo* item = node->GetData();
        if (auto* word = dynamic_cast<const CDITWord*>(item)) {
            out += word->getWord();
        } else if (auto* page = dynamic_cast<const CDITPageInfoRef*>(item)) {
            auto* info = doc->getPageManager()->getPageInfoAt(page->getPageInfoListNode());
            out += "[" + std::to_string(info->pageNum) + "]";
        } else {
            out += item->getDataInfoType() == eDITSpace ? " " : "|";
        }
    }
    return out;
}

// A drawing for makePdf, or raw bytes when it is empty or starts with "%", and the document
// described.
const struct {
    const char* drawing;
    const char* expected;
} kCases[] = {
    {"9 20 \uFB01ne \uFB02our o\uFB00", "[1]fine flour off"},
    {"9 20 the exam-\n9 34 ple ends", "[1]the example ends"},
    {"9 20 the exam-\n#page\n9 20 ple ends", "[1]the [2]example ends"},
    {"9 20 the sea\u2014\n9 34 calm", "[1]the sea\u2014 calm"},
    {"9 20 Wind rose.\n9 34 Rain fell.\n9 70 Then calm.", "[1]Wind rose. Rain fell.|Then calm."},
    {"9 20 Tide ran out along the quay\n9 34 and back.\n9 48 Gulls",
     "[1]Tide ran out along the quay and back.|Gulls"},
    {"#size 20\n9 20 Chapter One\n#size 12\n9 40 It began", "[1]Chapter One|It began"},
    {"#label iv\n9 20 Preface\n#page 7\n9 20 Start\n#page\n9 20 End", "[4]Preface [7]Start [3]End"},
    {"#title Harbour Notes\n9 20 Sea", "title:Harbour Notes [1]Sea"},
    // A box after a gap on the same line is another word, though poppler ends its line there.
    {"9 20 Attribution 3.0\n290 20 5", "[1]Attribution 3.0 5"},
    // Running headers, their pieces where they stand, and page numbers are left out; text
    // repeated in the body, or on too few pages, stays.
    {"9 30 Harbour Notes\n400 30 Tides\n9 200 One\n9 400 Chorus\n290 820 1\n#page\n"
     "9 30 Harbour Notes\n9 200 Two\n9 400 Chorus\n290 820 2\n#page\n"
     "9 30 Harbour Notes\n9 200 Three\n9 400 Chorus\n290 820 iii",
     "[1]One Chorus [2]Two Chorus [3]Three Chorus"},
    {"9 30 Harbour Notes\n9 200 One\n#page\n9 30 Harbour Notes\n9 200 Two",
     "[1]Harbour Notes One [2]Harbour Notes Two"},
    {"#page", "!the PDF has no text to read: its pages hold only pictures (a scan?)"},
    {"%PDF-1.4\ngarbage", "!the PDF is damaged or not a PDF: it cannot be opened"},
    {"", "!the PDF is empty"},
};

TEST(PdfImporter, ReadsPagesWordsAndParagraphs) {
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.drawing);
        const std::string drawing = row.drawing;
        EXPECT_EQ(describe(drawing.empty() || drawing[0] == '%' ? drawing : makePdf(drawing)),
                  row.expected);
    }
}

// The outline as the table of contents, each entry as "LEVEL TITLE>ITEM" with the item it
// begins at described as above: the page marker, or the line its destination's top lands on.
// Entries that point nowhere are left out; the rest come in the order of the text.
TEST(PdfImporter, OutlineIsTheTableOfContents) {
    const std::string drawing = "#outline 0 2 0 Second\n#outline 0 1 0 First\n"
                                "#outline 1 2 300 Middle\n#outline 0 @gone 0 Lost\n"
                                "#outline 1 @here 0 Named\n9 20 Alpha\n#page\n9 100 Beta\n"
                                "9 320 Gamma\n9 520 Delta\n#dest here 510";
    const std::string bytes = makePdf(drawing);
    CDocumentImporter importer;
    const auto doc = importer.importBytes(bytes.data(), bytes.size(), CDocumentImporter::eAutomatic,
                                          "book.pdf", "");
    ASSERT_TRUE(doc);
    std::vector<std::string> items;
    for (auto* node = doc->getFirstNode(); node != nullptr; node = node->GetNext()) {
        const auto* word = dynamic_cast<const CDITWord*>(node->GetData());
        items.push_back(word != nullptr ? word->getWord() : "[]");
    }
    std::string contents;
    for (const auto& entry : doc->getContents()) {
        contents += std::to_string(entry.level) + " " + entry.title.utf8_string() + ">" +
                    items.at(entry.itemIndex) + " ";
    }
    EXPECT_EQ(contents, "0 First>[] 0 Second>[] 1 Middle>Gamma 1 Named>Delta ");
}

} // namespace
