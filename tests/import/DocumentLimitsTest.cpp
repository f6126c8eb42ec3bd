// Every format stops at the limits of a document: one item or one byte of text more than it
// holds is refused with the limit named, and a document exactly at its limits is read whole.

#include "support/PdfFixture.h"

#include <flitengine/import/DocumentImporter.h>

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string sampleBytes(const char* name) {
    std::ifstream in(std::string(FLIT_SAMPLES_DIR "/") + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The message with the thousands of its counts no longer apart.
std::string withoutCommas(const wxString& message) {
    wxString text = message;
    text.Replace("0,", "0");
    for (char digit = '1'; digit <= '9'; ++digit) {
        text.Replace(wxString(digit) + ",", wxString(digit));
    }
    return text.ToStdString();
}

struct SLimitCase {
    const char* format;
    std::string bytes;
};

class DocumentLimits : public testing::TestWithParam<SLimitCase> {
protected:
    // Imports the case's bytes with the limits given; the sample folder is the base folder.
    std::unique_ptr<CDataManager> import(std::size_t maxItems, std::size_t maxTextBytes) {
        CDocumentImporter::eFormat format = CDocumentImporter::eAutomatic;
        EXPECT_TRUE(CDocumentImporter::formatFromName(GetParam().format, &format));
        importer.setLimits(maxItems, maxTextBytes);
        const std::string& bytes = GetParam().bytes;
        return importer.importBytes(bytes.data(), bytes.size(), format, wxString(),
                                    FLIT_SAMPLES_DIR);
    }

    CDocumentImporter importer;
};

TEST_P(DocumentLimits, OneMoreThanTheLimitsIsRefusedAndTheLimitsThemselvesAreRead) {
    const auto whole = import(CDocumentImporter::kMaxItems, CDocumentImporter::kMaxTextBytes);
    ASSERT_TRUE(whole) << importer.getError();
    const std::size_t items = whole->getItemCount();
    const std::size_t text = whole->getTextBytes();
    ASSERT_GT(items, 10u);

    const auto atLimits = import(items, text);
    ASSERT_TRUE(atLimits) << importer.getError();
    EXPECT_EQ(items, atLimits->getItemCount());
    // The limits go with the import: the document read may grow afterwards.
    EXPECT_NE(nullptr, atLimits->appendSpace());

    EXPECT_FALSE(import(items - 1, SIZE_MAX));
    EXPECT_EQ("the document is too long: it has more than " + std::to_string(items - 1) +
                  " words, spaces and line breaks, the most one document may hold",
              withoutCommas(importer.getError()));
    EXPECT_TRUE(importer.getNotice().empty());

    EXPECT_FALSE(import(SIZE_MAX, text - 1));
    EXPECT_EQ("the document is too large: its words hold more than " + std::to_string(text - 1) +
                  " bytes of text, the most one document may hold",
              withoutCommas(importer.getError()));
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, DocumentLimits,
    testing::Values(
        SLimitCase{"text", sampleBytes("harbour.txt")},
        SLimitCase{"flit", "The {bold}tide{/bold} turns.{rest 2}\n{page 4}Gulls {sustain 1}call."},
        SLimitCase{"markdown", "# Harbour\n\nThe *tide* turns and the gulls call over the wall."},
        SLimitCase{"html", sampleBytes("harbour-guide.html")},
        SLimitCase{"epub", sampleBytes("harbour-book.epub")},
        SLimitCase{"mobi", sampleBytes("harbour-book.mobi")},
        SLimitCase{"fb2", sampleBytes("harbour-book.fb2")},
        SLimitCase{"pdf", makePdf("72 72 The tide turns and the gulls call\n#page\n"
                                  "72 72 over the harbour wall at dusk")}),
    [](const testing::TestParamInfo<SLimitCase>& param) {
        return std::string(param.param.format);
    });

TEST(DocumentLimitsDefaults, ThousandsAreGroupedInTheMessage) {
    std::string words;
    for (int i = 0; i < 700; ++i) {
        words += "ab ";
    }
    CDocumentImporter importer;
    importer.setLimits(1000, CDocumentImporter::kMaxTextBytes);
    EXPECT_FALSE(importer.importText(words, CDocumentImporter::ePlainText, wxString()));
    EXPECT_TRUE(importer.getError().Contains("more than 1,000 words")) << importer.getError();
    importer.setLimits(CDocumentImporter::kMaxItems, CDocumentImporter::kMaxTextBytes);
    EXPECT_TRUE(importer.importText(words, CDocumentImporter::ePlainText, wxString()));
}

} // namespace
