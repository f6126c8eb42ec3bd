// Cost of the timing rules per word: display time plus inter-word delay, as the presentation
// thread computes them for every word it flashes. Target: under 50 ns per word at any speed, on
// a row of the timing table or between two rows; and during the start-up ramp, where each word
// has a speed of its own.

#include <flitengine/engine/ReadingRules.h>
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

// The start-up ramp towards 900 words per minute, over and over: every word a step of 75 words
// per minute faster than the one before (100, 175, ... 925), on rows and between them.
void rampDisplayAndDelay(benchmark::State& state) {
    CFlitWordCalcs calcs;
    CStartupRamp ramp;
    std::size_t i = 0;
    for (auto _ : state) {
        const SBenchWord& w = kMix[i];
        i = i + 1 == kMixSize ? 0 : i + 1;
        const int speed = ramp.nextWord(900);
        if (!ramp.isRunning()) {
            ramp = CStartupRamp();
        }
        benchmark::DoNotOptimize(calcs.calcWordDisplayTime(w.word, speed));
        benchmark::DoNotOptimize(calcs.calcInterWordDelayTime(w.word, w.separator, speed));
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

// The rows' speeds of the engine's range (100, 250, 400, 550, 950) and speeds between two rows,
// interpolated (175, 300, 475, 700, 825).
BENCHMARK(displayAndDelay)
    ->Arg(100)
    ->Arg(175)
    ->Arg(250)
    ->Arg(300)
    ->Arg(400)
    ->Arg(475)
    ->Arg(550)
    ->Arg(700)
    ->Arg(825)
    ->Arg(950);
BENCHMARK(rampDisplayAndDelay);

BENCHMARK_MAIN();
