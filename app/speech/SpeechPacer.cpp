#include "speech/SpeechPacer.h"

#include <algorithm>

namespace {
// eSpeak NG's English voice, used until the reader picks one for the document's language.
constexpr const char* kDefaultVoice = "en";
} // namespace

CSpeechPacer::CSpeechPacer(WordDue wordDue, RunEnded runEnded)
    : onWordDue(std::move(wordDue)), onRunEnded(std::move(runEnded)), loadedVoice(kDefaultVoice) {}

CSpeechPacer::~CSpeechPacer() {
    cancelRun();
    CSpeechSynth::get().detachPlayback();
}

bool CSpeechPacer::open() {
    const std::lock_guard<std::mutex> lock(commandMutex);
    const bool opened = CSpeechSynth::get().openPlayback(
        [this](const CSpeechSynth::SPlaybackEvent& event) { onPlayback(event); });
    available = opened;
    return opened;
}

bool CSpeechPacer::isAvailable() const {
    return available;
}

void CSpeechPacer::setVoice(const std::string& identifier) {
    const std::lock_guard<std::mutex> lock(commandMutex);
    loadedVoice = identifier;
}

std::string CSpeechPacer::voice() const {
    const std::lock_guard<std::mutex> lock(commandMutex);
    return loadedVoice;
}

bool CSpeechPacer::beginRun(long run, const std::vector<SWord>& words, unsigned int wpm) {
    const std::lock_guard<std::mutex> lock(commandMutex);
    if (!available || words.empty()) {
        return false;
    }
    SRun queued{run, {}, {}};
    for (const SWord& word : words) {
        if (!queued.text.empty()) {
            queued.text += ' ';
        }
        queued.starts.push_back(queued.text.size());
        queued.text += word.text.utf8_string();
    }
    const std::string text = queued.text;
    {
        const std::lock_guard<std::mutex> state(stateMutex);
        runs.push_back(std::move(queued));
    }
    if (CSpeechSynth::get().speak(text, loadedVoice, wpm, run)) {
        return true;
    }
    const std::lock_guard<std::mutex> state(stateMutex);
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [run](const SRun& queuedRun) { return queuedRun.run == run; }),
               runs.end());
    return false;
}

void CSpeechPacer::cancelRun() {
    const std::lock_guard<std::mutex> lock(commandMutex);
    // Forgotten first, so that the ends eSpeak NG reports for the dropped messages find nothing.
    {
        const std::lock_guard<std::mutex> state(stateMutex);
        runs.clear();
    }
    CSpeechSynth::get().cancel();
}

CSpeechPacer::SReport CSpeechPacer::reportOf(const CSpeechSynth::SPlaybackEvent& event) {
    SReport report;
    if (event.kind == CSpeechSynth::SPlaybackEvent::eLost) {
        // Every queued run ends unfinished; eSpeak NG's own ends then find nothing.
        available = false;
        if (!runs.empty()) {
            report.run = runs.front().run;
            report.ended = true;
        }
        runs.clear();
        return report;
    }
    const auto found = std::find_if(runs.begin(), runs.end(),
                                    [&event](const SRun& run) { return run.run == event.run; });
    if (found == runs.end()) {
        return report; // cancelled
    }
    SRun& run = *found;
    report.run = run.run;
    report.from = run.next;
    if (event.kind == CSpeechSynth::SPlaybackEvent::eEnded) {
        // A message that ends before a sound of it was heard could not be played.
        report.ended = true;
        report.complete = run.started;
        if (run.started) {
            run.next = run.starts.size();
        } else {
            available = false;
        }
        report.to = run.next;
        runs.erase(found);
        return report;
    }
    run.started = true;
    if (event.word) {
        // The word whose span holds the position: the last that starts at or before it.
        const std::size_t at = CSpeechSynth::byteOffsetOf(run.text, event.position);
        const auto after = std::upper_bound(run.starts.begin(), run.starts.end(), at);
        const auto index = static_cast<std::size_t>(after - run.starts.begin());
        // Words eSpeak NG passed over silently (a lone dash) are due with the next one heard.
        run.next = std::max(run.next, index);
    }
    report.to = run.next;
    return report;
}

void CSpeechPacer::onPlayback(const CSpeechSynth::SPlaybackEvent& event) {
    SReport report;
    {
        const std::lock_guard<std::mutex> state(stateMutex);
        report = reportOf(event);
    }
    for (std::size_t index = report.from; index < report.to; ++index) {
        onWordDue(report.run, index);
    }
    if (report.ended) {
        onRunEnded(report.run, report.complete);
    }
}
