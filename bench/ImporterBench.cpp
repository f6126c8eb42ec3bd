// Cost of building a document from text: a million words of hard-wrapped plain text, and the
// same words marked up with a directive every few words, each given to the importer as a file's
// bytes and name, which choose the format. Target: under 1 s for the million plain words.
// The first import, into memory new to the process as when the reader opens a book, is timed
// on its own (first_import_ms); the timed loop's imports reuse the memory the previous one freed,
// as far as the allocator keeps it.
// Memory per document item is measured on that first import as the growth of the resident size
// (what the process costs the machine, allocator slack included; the document's largest blocks
// are mapped from the system, out of the allocator's sight), and broken down into the toolkit's
// list nodes, the word items, the words' texts and what is left over (the allocator's headers
// and rounding, the unfilled ends of the document's blocks). bytes_per_word is the same growth
// over the million words: what a word of a book costs, the space or line break after it
// included.

#include <flitengine/import/DocumentImporter.h>

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kWords = 1000000;
constexpr std::size_t kWordsPerLine = 12;
constexpr std::size_t kLinesPerParagraph = 6;

const char* const kVocabulary[] = {
    "The",   "harbour",  "woke",    "before", "the",     "town",       "did.",  "At",
    "five,", "Mrs.",     "Okafor",  "1,250",  "hooks",   "(quietly)",  "and",   "a",
    "gull",  "seawall;", "breath.", "every",  "puddle,", "waterfront", "ferry", "\xC3\xA9t\xC3\xA9",
};
constexpr std::size_t kVocabularySize = sizeof kVocabulary / sizeof kVocabulary[0];

// Words joined by single spaces, a line break every kWordsPerLine words and a blank line
// between paragraphs. With markup, every 8th word is made bold, every 50th followed by a rest
// and every 200th preceded by a colour change.
std::string makeText(bool markedUp) {
    std::string text;
    text.reserve(kWords * 9);
    for (std::size_t i = 0; i < kWords; ++i) {
        if (markedUp && i % 200 == 0) {
            text += i % 400 == 0 ? "{colour #336699}" : "{colour}";
        }
        if (markedUp && i % 8 == 0) {
            text += "{bold}";
        }
        text += kVocabulary[i % kVocabularySize];
        if (markedUp && i % 8 == 0) {
            text += "{/bold}";
        }
        if (markedUp && i % 50 == 0) {
            text += "{rest 2}";
        }
        if ((i + 1) % kWordsPerLine != 0) {
            text += ' ';
        } else {
            text += (i + 1) % (kWordsPerLine * kLinesPerParagraph) == 0 ? "\n\n" : "\n";
        }
    }
    return text;
}

long residentBytes() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Where the resident growth of one import went, per document item: the list nodes, the words' items
// (other kinds are shared or rare), the words' texts with their terminating null, and the rest.
void addBreakdown(benchmark::State& state, const CDataManager& document, double growth) {
    double words = 0;
    double textBytes = 0;
    for (const wxCDataInfoListNode* node = document.getFirstNode(); node != nullptr;
         node = node->GetNext()) {
        if (node->GetData()->getDataInfoType() == eDITWord) {
            words += 1;
            // A short word's text is inside its item, and costs nothing more.
            const auto* word = static_cast<const CDITWord*>(node->GetData());
            const auto* inItem = reinterpret_cast<const char*>(word);
            const bool inItemText =
                word->getWord() >= inItem && word->getWord() < inItem + sizeof *word;
            textBytes += inItemText ? 0 : static_cast<double>(std::strlen(word->getWord()) + 1);
        }
    }
    const double items = static_cast<double>(document.getItemCount());
    const double nodeBytes = items * sizeof(wxCDataInfoListNode);
    const double wordBytes = words * sizeof(CDITWord);
    state.counters["node_bytes_per_item"] = nodeBytes / items;
    state.counters["word_item_bytes_per_item"] = wordBytes / items;
    state.counters["text_bytes_per_item"] = textBytes / items;
    state.counters["slack_bytes_per_item"] = (growth - nodeBytes - wordBytes - textBytes) / items;
}

void importWords(benchmark::State& state, bool markedUp) {
    const std::string text = makeText(markedUp);
    const wxString name = markedUp ? "million.flit" : "million.txt";
    CDocumentImporter importer;
    const auto import = [&]() {
        return importer.importBytes(text.data(), text.size(), CDocumentImporter::eAutomatic, name,
                                    wxString());
    };

    // Free memory goes back to the system first, so the import cannot grow into pages that an
    // earlier run left resident.
    malloc_trim(0);
    const long residentBefore = residentBytes();
    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<CDataManager> document = import();
    const std::chrono::duration<double, std::milli> firstImport =
        std::chrono::steady_clock::now() - started;
    const long residentGrowth = residentBytes() - residentBefore;
    if (!document) {
        state.SkipWithError(importer.getError().utf8_str());
        return;
    }
    const double items = static_cast<double>(document->getItemCount());
    addBreakdown(state, *document, static_cast<double>(residentGrowth));
    document.reset();

    for (auto _ : state) {
        document = import();
        benchmark::DoNotOptimize(document.get());
        // Freeing the document is not part of importing it.
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kWords));
    state.counters["doc_items"] = items;
    state.counters["first_import_ms"] = firstImport.count();
    state.counters["bytes_per_item"] = static_cast<double>(residentGrowth) / items;
    state.counters["bytes_per_word"] = static_cast<double>(residentGrowth) / kWords;
}

void importPlainMillionWords(benchmark::State& state) {
    importWords(state, false);
}

void importMarkedUpMillionWords(benchmark::State& state) {
    importWords(state, true);
}

} // namespace

BENCHMARK(importPlainMillionWords)
    ->Name("Import/plain_1M_words")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(importMarkedUpMillionWords)
    ->Name("Import/marked_up_1M_words")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
