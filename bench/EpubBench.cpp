// Cost of opening a book: a 500,000-word EPUB of 100 chapters, read from its file through the
// importer the reader uses, to the finished document. Target: under 1 s.

#include "EpubFixture.h"
#include <flitengine/import/DocumentImporter.h>

#include <benchmark/benchmark.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kChapters = 100;
constexpr std::size_t kWordsPerChapter = 5000;
constexpr std::size_t kWordsPerParagraph = 60;
constexpr std::size_t kEmphasisEvery = 23;

const char* const kVocabulary[] = {
    "The",    "harbour", "woke",    "before", "the",    "town",    "did.",    "At",
    "five,",  "gulls",   "argued",  "over",   "nets;",  "ferry",   "boats",   "creaked",
    "slowly", "while",   "fog",     "lifted", "from",   "quay",    "steps",   "and",
    "salt",   "air",     "carried", "bells",  "across", "water",   "(again)", "Morwen",
    "locked", "sheds",   "counted", "crates", "1,250",  "lobster", "pots",    "\xC3\xA9t\xC3\xA9",
};
constexpr std::size_t kVocabularySize = sizeof kVocabulary / sizeof kVocabulary[0];

// Chapters of paragraphs of words drawn at random (a fixed sequence), so that they deflate as
// prose does rather than as a repeated pattern; a heading opens each chapter and now and then a
// word is emphasised.
std::vector<std::string> makeChapters() {
    std::vector<std::string> chapters;
    std::uint32_t state = 2463534242u;
    for (std::size_t c = 0; c < kChapters; ++c) {
        std::string body = "<h1>Chapter " + std::to_string(c + 1) + "</h1><p>";
        for (std::size_t w = 0; w < kWordsPerChapter; ++w) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const std::string word = kVocabulary[state % kVocabularySize];
            body += w % kEmphasisEvery == 0 ? "<em>" + word + "</em>" : word;
            body += (w + 1) % kWordsPerParagraph == 0 ? "</p>\n<p>" : " ";
        }
        chapters.push_back(body + "</p>");
    }
    return chapters;
}

void importEpub(benchmark::State& state) {
    const std::vector<std::string> chapters = makeChapters();
    std::string spine;
    for (std::size_t c = 1; c <= kChapters; ++c) {
        spine += "c" + std::to_string(c) + " ";
    }
    const wxString path =
        flitWriteTempFile(flitZipBytes(flitEpubEntries("Bench", chapters, spine,
                                                       "<li><a href='c1.xhtml'>1</a></li>")),
                          "bench.epub");
    CDocumentImporter importer;
    std::size_t items = 0;
    for (auto _ : state) {
        std::unique_ptr<CDataManager> document = importer.importFile(path);
        if (!document) {
            state.SkipWithError(importer.getError().utf8_str());
            break;
        }
        items = document->getItemCount();
        // Freeing the document is not part of opening it.
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    wxFileName::Rmdir(wxFileName(path).GetPath(), wxPATH_RMDIR_RECURSIVE);
    state.SetItemsProcessed(
        static_cast<std::int64_t>(state.iterations() * kChapters * kWordsPerChapter));
    state.counters["doc_items"] = static_cast<double>(items);
}

} // namespace

BENCHMARK(importEpub)->Name("Import/epub_500k_words")->Unit(benchmark::kMillisecond)->UseRealTime();
