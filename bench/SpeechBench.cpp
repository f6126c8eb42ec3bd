// flit-speech-bench: how long the reader's voice takes to stop when reading pauses.
//
//   flit-speech-bench [--stops N]
//
// Plays sentences through the default audio output (a PulseAudio null sink on a machine without
// sound: PULSE_SERVER names it) and, once a few words of each have been heard, stops the voice
// as a pause does. Prints a JSON object: each stop's time in milliseconds (the first apart: it
// is the first of the process and pays for the audio connection), how many word reports came
// after a stop returned, and the first word's delay after the text was handed over.

#include "speech/SpeechPacer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::vector<CWordPacer::SWord> sentence() {
    std::vector<CWordPacer::SWord> words;
    for (const char* word : {"The",     "keeper", "climbed", "the",   "winding", "stair", "each",
                             "evening", "and",    "lit",     "the",   "great",   "lamp",  "before",
                             "the",     "ships",  "came",    "round", "the",     "point."}) {
        words.push_back({nullptr, word});
    }
    return words;
}

} // namespace

int main(int argc, char** argv) {
    int stops = 10;
    int restMs = 0;
    for (int arg = 1; arg < argc; ++arg) {
        if (std::strncmp(argv[arg], "--stops=", 8) == 0) {
            stops = std::max(1, std::atoi(argv[arg] + 8));
        }
        if (std::strncmp(argv[arg], "--rest=", 7) == 0) {
            restMs = std::max(0, std::atoi(argv[arg] + 7));
        }
    }
    std::mutex mutex;
    std::condition_variable heard;
    long lastRun = -1;
    std::size_t lastIndex = 0;
    Clock::time_point firstHeard;
    CSpeechPacer pacer(
        [&](long run, std::size_t index) {
            std::lock_guard<std::mutex> lock(mutex);
            if (run != lastRun) {
                firstHeard = Clock::now();
            }
            lastRun = run;
            lastIndex = index;
            heard.notify_all();
        },
        [](long, bool) {});
    if (!pacer.open()) {
        std::fprintf(stderr, "flit-speech-bench: no audio output is available\n");
        return 1;
    }
    const std::vector<CWordPacer::SWord> words = sentence();
    std::vector<double> stopMs;
    std::vector<double> firstWordMs;
    int lateReports = 0;
    for (long run = 1; run <= stops; ++run) {
        std::this_thread::sleep_for(std::chrono::milliseconds(run > 1 ? restMs : 0));
        const Clock::time_point handed = Clock::now();
        if (!pacer.beginRun(run, words, 250)) {
            std::fprintf(stderr, "flit-speech-bench: the voice refused run %ld\n", run);
            return 1;
        }
        std::unique_lock<std::mutex> lock(mutex);
        if (!heard.wait_for(lock, std::chrono::seconds(20),
                            [&] { return lastRun == run && lastIndex >= 4; })) {
            std::fprintf(stderr, "flit-speech-bench: run %ld was not heard\n", run);
            return 1;
        }
        firstWordMs.push_back(millisecondsBetween(handed, firstHeard));
        lock.unlock();
        const Clock::time_point asked = Clock::now();
        pacer.cancelRun();
        stopMs.push_back(millisecondsBetween(asked, Clock::now()));
        lock.lock();
        const std::size_t atStop = lastIndex;
        // Whatever comes now of the stopped run was on its way; the next run begins at once.
        lateReports += lastRun == run && lastIndex != atStop ? 1 : 0;
    }
    std::printf("{\"stop_ms\": [");
    for (std::size_t stop = 0; stop < stopMs.size(); ++stop) {
        std::printf("%s%.2f", stop == 0 ? "" : ", ", stopMs[stop]);
    }
    std::printf("], \"first_word_ms\": [");
    for (std::size_t run = 0; run < firstWordMs.size(); ++run) {
        std::printf("%s%.1f", run == 0 ? "" : ", ", firstWordMs[run]);
    }
    std::printf("], \"late_reports\": %d}\n", lateReports);
    return 0;
}
