// Cost of opening a book: EPUBs read from their file through the importer the reader uses, to
// the finished document. A 500,000-word book of 100 chapters (target: under 1 s), and a
// 900,000-word one of 2,000 chapters of five anchored sections each, all of them listed in its
// table of contents (target: under 1.5 s): opening costs in proportion to the words, however
// many chapters and anchors there are.

#include "EpubFixture.h"
#include <flitengine/import/DocumentImporter.h>

#include <benchmark/benchmark.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

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

// The shape of a book: its chapters, the words of each, and the sections (a heading with an
// anchor) each is cut in; none for a chapter of one piece.
struct SBookShape {
    std::size_t chapters;
    std::size_t wordsPerChapter;
    std::size_t sections;
};

// Chapters of paragraphs of words drawn at random (a fixed sequence), so that they deflate as
// prose does rather than as a repeated pattern; a heading opens each chapter and now and then a
// word is emphasised.
std::vector<std::string> makeChapters(const SBookShape& shape) {
    std::vector<std::string> chapters;
    std::uint32_t state = 2463534242u;
    const std::size_t pieces = std::max<std::size_t>(shape.sections, 1);
    const std::size_t wordsPerPiece = shape.wordsPerChapter / pieces;
    for (std::size_t c = 0; c < shape.chapters; ++c) {
        std::string body = "<h1>Chapter " + std::to_string(c + 1) + "</h1>";
        for (std::size_t w = 0; w < shape.wordsPerChapter; ++w) {
            const std::size_t piece = w / wordsPerPiece;
            if (w % wordsPerPiece == 0 && piece < pieces) {
                const std::string number = std::to_string(piece + 1);
                body += w == 0 ? "" : "</p>";
                body += shape.sections == 0
                            ? ""
                            : "<h2 id='s" + number + "'>Section " + number + "</h2>";
                body += "<p>";
            }
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

// The table of contents: each section of each chapter, or the first chapter alone.
std::string makeNav(const SBookShape& shape) {
    std::string nav;
    for (std::size_t c = 1; c <= shape.chapters && shape.sections > 0; ++c) {
        for (std::size_t s = 1; s <= shape.sections; ++s) {
            const std::string name = std::to_string(c) + "." + std::to_string(s);
            nav += "<li><a href='c" + std::to_string(c) + ".xhtml#s" + std::to_string(s) + "'>" +
                   name + "</a></li>";
        }
    }
    return nav.empty() ? "<li><a href='c1.xhtml'>1</a></li>" : nav;
}

void importEpub(benchmark::State& state, const SBookShape& shape) {
    const std::vector<std::string> chapters = makeChapters(shape);
    std::string spine;
    for (std::size_t c = 1; c <= shape.chapters; ++c) {
        spine += "c" + std::to_string(c) + " ";
    }
    const wxString path = flitWriteTempFile(
        flitZipBytes(flitEpubEntries("Bench", chapters, spine, makeNav(shape))), "bench.epub");
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
        static_cast<std::int64_t>(state.iterations() * shape.chapters * shape.wordsPerChapter));
    state.counters["doc_items"] = static_cast<double>(items);
}

} // namespace

BENCHMARK_CAPTURE(importEpub, chapters100, SBookShape{100, 5000, 0})
    ->Name("Import/epub_500k_words")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(importEpub, chapters2000, SBookShape{2000, 450, 5})
    ->Name("Import/epub_900k_words_2000_chapters")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
