// flit-reader-bench: what a long document costs the reader's GUI thread.
//
//   flit-reader-bench [--words=N] [benchmark options]
//
// Opens a plain text of N words (3,000,000 by default: sentences of a small vocabulary of our
// own, a paragraph every six) and times what the reader does on its GUI thread per key, per
// event and per status tick: the time left at a new speed (reading, and paused, which models
// the restart's ramp), the words before a node anywhere in the document, the item holding a
// word (a seek), and a whole speed change through the real reader window (under a display;
// skipped without one), and the first search of the document (which builds its index). Also
// reports the navigator's tables in bytes per word.

#include "frame/ReaderFrame.h"
#include "reading/ReadingNavigator.h"
#include "reading/TextSearch.h"

#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

size_t gWords = 3000000;
bool gDisplay = false;
CReaderFrame* gFrame = nullptr;
wxString gFolder;

std::string longText(size_t words) {
    static const char* const kVocabulary[] = {
        "harbour", "lantern", "keeper",   "stone",      "evening",      "tide",
        "gull",    "window",  "stair",    "light",      "salt",         "rope",
        "boat",    "quiet",   "northern", "ledge",      "weather",      "morning",
        "beacon",  "rock",    "a",        "the",        "of",           "and",
        "to",      "in",      "was",      "her",        "his",          "over",
        "under",   "beyond",  "slowly",   "remembered", "unmistakable", "circumnavigation",
        "wind",    "sea",     "long",     "white"};
    static const char* const kEnds[] = {".", ".", ",", "?", "!"};
    std::mt19937 random(17);
    std::string text;
    text.reserve(words * 7);
    size_t count = 0;
    for (size_t sentence = 1; count < words; ++sentence) {
        const size_t length = std::min<size_t>(5 + random() % 14, words - count);
        for (size_t i = 0; i < length; ++i) {
            std::string word = kVocabulary[random() % std::size(kVocabulary)];
            if (i == 0) {
                word[0] = static_cast<char>(word[0] - 'a' + 'A');
            }
            text += word;
            text += i + 1 < length ? " " : "";
        }
        text += kEnds[random() % std::size(kEnds)];
        text += sentence % 6 == 0 ? "\n\n" : " ";
        count += length;
    }
    return text;
}

struct SBook {
    std::unique_ptr<CDataManager> document;
    std::unique_ptr<CReadingNavigator> navigator;
    // Every thousandth item, to ask about places all over the document.
    std::vector<wxCDataInfoListNode*> places;
};

SBook& book() {
    static SBook made = [] {
        SBook book;
        book.document =
            CDocumentImporter().importText(longText(gWords), CDocumentImporter::ePlainText, "");
        book.navigator = std::make_unique<CReadingNavigator>(book.document.get());
        size_t item = 0;
        for (wxCDataInfoListNode* node = book.document->getFirstNode(); node;
             node = node->GetNext()) {
            if (item++ % 1000 == 0) {
                book.places.push_back(node);
            }
        }
        return book;
    }();
    return made;
}

wxCDataInfoListNode* middle() {
    return book().places[book().places.size() / 2];
}

void navigatorOpen(benchmark::State& state) {
    for (auto _ : state) {
        CReadingNavigator navigator(book().document.get());
        benchmark::DoNotOptimize(navigator.getWordCount());
    }
    CReadingNavigator navigator(book().document.get());
    state.counters["words"] = static_cast<double>(navigator.getWordCount());
    state.counters["table_bytes_per_word"] =
        static_cast<double>(navigator.tableBytes()) / static_cast<double>(navigator.getWordCount());
    state.counters["timing_classes"] = static_cast<double>(navigator.classCount());
}

// A speed change while reading: the time left from the word shown at the new target speed.
// fromRestart: paused, the time left models the restart's ramp too.
void timeLeftAtNewSpeed(benchmark::State& state, bool fromRestart) {
    CReadingNavigator& navigator = *book().navigator;
    int speed = 300;
    for (auto _ : state) {
        speed = speed >= 900 ? 300 : speed + 25;
        benchmark::DoNotOptimize(navigator.timeLeftMs(middle(), speed, 12, fromRestart));
    }
}

void timeLeftReading(benchmark::State& state) {
    timeLeftAtNewSpeed(state, false);
}

void timeLeftPaused(benchmark::State& state) {
    timeLeftAtNewSpeed(state, true);
}

// A status tick at the same speed, anywhere in the document.
void wordsBeforeAnywhere(benchmark::State& state) {
    CReadingNavigator& navigator = *book().navigator;
    std::mt19937 random(5);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            navigator.wordsBefore(book().places[random() % book().places.size()]));
    }
}

// A click or drag on the progress strip.
void seekAnywhere(benchmark::State& state) {
    CReadingNavigator& navigator = *book().navigator;
    std::mt19937 random(9);
    for (auto _ : state) {
        benchmark::DoNotOptimize(navigator.itemOfWord(random() % navigator.getWordCount()));
    }
}

// Up and Down through the real reader window, paused in the middle of the document: the
// engine's speed, the view, the status bar (its repaint included) and the time left.
void readerSpeedKey(benchmark::State& state) {
    if (!gDisplay) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    // One window for every run the benchmark makes; closed at the end of main.
    static CReaderFrame* frame = [] {
        const wxString folder = wxFileName::CreateTempFileName("flit-reader-bench");
        wxRemoveFile(folder);
        wxFileName::Mkdir(folder, 0700);
        wxSetEnv("XDG_DATA_HOME", folder);
        wxConfigBase::Set(new wxFileConfig("flitreader", wxEmptyString, folder + "/config"));
        auto* made = new CReaderFrame(SReaderOptions(), std::chrono::steady_clock::now());
        made->Show();
        made->openImported(
            CDocumentImporter().importText(longText(gWords), CDocumentImporter::ePlainText, ""),
            "long.txt");
        made->seekTo(500);
        // Mapped and drawn, as a user's window is: the status bar's repaints then cost what
        // they cost.
        for (int i = 0; i < 50; ++i) {
            wxTheApp->Yield(true);
            wxMilliSleep(10);
        }
        gFolder = folder;
        gFrame = made;
        return made;
    }();
    int key = 0;
    for (auto _ : state) {
        frame->changeSpeed(++key % 2 == 0 ? CReaderFrame::eFaster : CReaderFrame::eSlower);
        // The repaints the change asked for.
        wxTheApp->Yield(true);
    }
}

// The first search of a document, which folds its words into the search's index: the find
// bar has a worker do it from the moment the bar opens.
void firstFind(benchmark::State& state) {
    for (auto _ : state) {
        CTextSearch search(*book().document, *book().navigator);
        CTextSearch::SMatch match;
        benchmark::DoNotOptimize(search.find("keeper beacon", 0, 1, &match));
    }
}

// A search once the index is built, as the find bar runs one on the GUI thread for each change
// of its query: every match found in one pass over the folded text.
void findIndexed(benchmark::State& state) {
    CTextSearch search(*book().document, *book().navigator);
    CTextSearch::SMatch match;
    search.find("keeper", 0, 1, &match);
    const char* const queries[] = {"keeper beacon", "the lamp", "tide"};
    size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(search.find(queries[next++ % 3], 0, 1, &match));
    }
}

} // namespace

BENCHMARK(navigatorOpen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(timeLeftReading)->Unit(benchmark::kMicrosecond);
BENCHMARK(timeLeftPaused)->Unit(benchmark::kMicrosecond);
BENCHMARK(wordsBeforeAnywhere)->Unit(benchmark::kMicrosecond);
BENCHMARK(seekAnywhere)->Unit(benchmark::kMicrosecond);
BENCHMARK(readerSpeedKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(firstFind)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(findIndexed)->Unit(benchmark::kMillisecond)->Iterations(6);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--words=", 8) == 0) {
            gWords = std::strtoul(argv[i] + 8, nullptr, 10);
        }
    }
    benchmark::Initialize(&argc, argv);
    int toolkitArgc = 1;
    if (std::getenv("DISPLAY") != nullptr) {
        wxApp::SetInstance(new wxApp);
        gDisplay = wxEntryStart(toolkitArgc, argv) && wxTheApp->CallOnInit();
    }
    wxLog::EnableLogging(false);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gFrame != nullptr) {
        gFrame->Close(true);
        wxTheApp->ProcessPendingEvents();
        delete wxConfigBase::Set(nullptr);
        wxFileName::Rmdir(gFolder, wxPATH_RMDIR_RECURSIVE);
    }
    if (gDisplay) {
        wxTheApp->OnExit();
        wxEntryCleanup();
    }
    return 0;
}
