// Cost of opening a long PDF: a book of 1,000 pages, drawn with cairo when the benchmark starts
// (36 lines of 10 words a page, a paragraph gap every 9 lines, a page number at each foot),
// imported through CDocumentImporter from its bytes as a reader opens a file. Target: under five
// seconds.

#include "support/PdfFixture.h"
#include <flitengine/import/DocumentImporter.h>

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

namespace {

constexpr int kPages = 1000;
constexpr int kLinesPerPage = 36;
constexpr int kWordsPerLine = 10;
constexpr int kLinesPerParagraph = 9;
constexpr int kLineStep = 18;
constexpr int kParagraphGap = 12;
constexpr int kMargin = 60;
constexpr int kFootY = 810;

const char* const kVocabulary[] = {
    "The",   "harbour",  "woke",    "before",   "the",   "town",  "did.",          "At",
    "five,", "Okafor",   "counted", "\uFB01sh", "hooks", "along", "seawall;",      "a",
    "gull",  "le\uFB02", "every",   "puddle,",  "and",   "ferry", "\u00E9t\u00E9", "rang",
};
constexpr std::size_t kVocabularySize = sizeof kVocabulary / sizeof kVocabulary[0];

std::string bookDrawing() {
    std::string drawing;
    std::size_t word = 0;
    for (int page = 1; page <= kPages; ++page) {
        int y = kMargin;
        for (int line = 0; line < kLinesPerPage; ++line) {
            drawing += std::to_string(kMargin) + " " + std::to_string(y) + " ";
            for (int k = 0; k < kWordsPerLine; ++k) {
                drawing += std::string(kVocabulary[word++ % kVocabularySize]) + " ";
            }
            drawing += "\n";
            y += kLineStep + ((line + 1) % kLinesPerParagraph == 0 ? kParagraphGap : 0);
        }
        drawing += "290 " + std::to_string(kFootY) + " " + std::to_string(page) + "\n#page\n";
    }
    return drawing;
}

void importThousandPagePdf(benchmark::State& state) {
    static const std::string book = makePdf(bookDrawing());
    std::size_t items = 0;
    for (auto _ : state) {
        CDocumentImporter importer;
        const std::unique_ptr<CDataManager> document = importer.importBytes(
            book.data(), book.size(), CDocumentImporter::eAutomatic, "book.pdf", wxString());
        if (!document) {
            state.SkipWithError(importer.getError().utf8_str());
            return;
        }
        items = document->getItemCount();
        benchmark::DoNotOptimize(document.get());
    }
    state.counters["pages"] = kPages;
    state.counters["doc_items"] = static_cast<double>(items);
    state.counters["pdf_bytes"] = static_cast<double>(book.size());
}

} // namespace

BENCHMARK(importThousandPagePdf)
    ->Name("Import/pdf_1000_pages")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
