// Cost of the timing rules per word: display time plus inter-word delay, as the presentation
// thread computes them for every word it flashes. Target: under 50 ns per word.

#include <flitengine/timing/FlitWordCalcs.h>

#include <benchmark/benchmark.h>

#include <cstddef>

namespace {

// A realistic mix: short function words, capitalised names, numbers, punctuation, long words,
// abbreviations, and words before line breaks.
struct SBenchWord {
    const char* word;
    char separator;
};

const SBenchWord kMix[] = {
    {"The", ' '},
    {"harbour", ' '},
    {"woke", ' '},
    {"before", ' '},
    {"the", ' '},
    {"town", ' '},
    {"did.", ' '},
    {"At", ' '},
    {"five,", ' '},
    {"Mrs.", ' '},
    {"Abernathy", ' '},
    {"unlocked", ' '},
    {"1,250", ' '},
    {"hooks", ' '},
    {"(quietly)", ' '},
    {"ROSALIND", ' '},
    {"and", ' '},
    {"a", ' '},
    {"internationally", ' '},
    {"seawall;", '\n'},
    {"Dr.", ' '},
    {"Okafor", ' '},
    {"every", ' '},
    {"puddle,", ' '},
    {"of", ' '},
    {"in", ' '},
    {"waterfront", ' '},
    {"breath.", '\n'},
};
constexpr std::size_t kMixSize = sizeof kMix / sizeof kMix[0];

void displayAndDelay(benchmark::State& state) {
    CFlitWordCalcs calcs;
    const int speed = static_cast<int>(state.range(0));
    std::size_t i = 0;
    for (auto _ : state) {
        const SBenchWord& w = kMix[i];
        i = i + 1 == kMixSize ? 0 : i + 1;
        benchmark::DoNotOptimize(calcs.calcWordDisplayTime(w.word, speed));
        benchmark::DoNotOptimize(calcs.calcInterWordDelayTime(w.word, w.separator, speed));
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

// 250 and 950 hit table rows; 300 and 700 interpolate between rows.
BENCHMARK(displayAndDelay)->Arg(250)->Arg(300)->Arg(700)->Arg(950);

BENCHMARK_MAIN();
