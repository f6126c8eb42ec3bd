#include "speech/SpeechPacer.h"

#include <algorithm>

namespace {
// eSpeak NG's English voice, used until the reader picks one for the document's language.
constexpr const char* kDefaultVoice = "en";
} // namespace

CSpeechPacer::CSpeechPacer(WordDue onWordDue, RunEnded onRunEnded)
    : m_onWordDue(std::move(onWordDue)), m_onRunEnded(std::move(onRunEnded)),
      m_voice(kDefaultVoice) {}

CSpeechPacer::~CSpeechPacer() {
    cancelRun();
    CSpeechSynth::get().detachPlayback();
}

bool CSpeechPacer::open() {
    const std::lock_guard<std::mutex> lock(m_command);
    const bool opened = CSpeechSynth::get().openPlayback(
        [this](const CSpeechSynth::SPlaybackEvent& event) { onPlayback(event); });
    m_available = opened;
    return opened;
}

bool CSpeechPacer::isAvailable() const {
    return m_available;
}

void CSpeechPacer::setVoice(const std::string& identifier) {
    const std::lock_guard<std::mutex> lock(m_command);
    m_voice = identifier;
}

std::string CSpeechPacer::voice() const {
    const std::lock_guard<std::mutex> lock(m_command);
    return m_voice;
}

void CSpeechPacer::setSpeechObserver(RunStarted runStarted, WordSpoken wordSpoken) {
    const std::lock_guard<std::mutex> lock(m_state);
    m_runStarted = std::move(runStarted);
    m_wordSpoken = std::move(wordSpoken);
}

bool CSpeechPacer::beginRun(long run, const std::vector<SWord>& words, unsigned int wpm) {
    const std::lock_guard<std::mutex> lock(m_command);
    if (!m_available || words.empty())
        return false;
    SRun queued{run, {}, {}};
    for (const SWord& word : words) {
        if (!queued.text.empty())
            queued.text += ' ';
        queued.starts.push_back(queued.text.size());
        queued.text += word.text.utf8_string();
    }
    const std::string text = queued.text;
    {
        const std::lock_guard<std::mutex> state(m_state);
        m_runs.push_back(std::move(queued));
    }
    if (CSpeechSynth::get().speak(text, m_voice, wpm, run))
        return true;
    const std::lock_guard<std::mutex> state(m_state);
    m_runs.erase(std::remove_if(m_runs.begin(), m_runs.end(),
                                [run](const SRun& queuedRun) { return queuedRun.run == run; }),
                 m_runs.end());
    return false;
}

void CSpeechPacer::cancelRun() {
    const std::lock_guard<std::mutex> lock(m_command);
    // Forgotten first, so that the ends eSpeak NG reports for the dropped messages find nothing.
    {
        const std::lock_guard<std::mutex> state(m_state);
        m_runs.clear();
    }
    CSpeechSynth::get().cancel();
}

CSpeechPacer::SReport CSpeechPacer::reportOf(const CSpeechSynth::SPlaybackEvent& event) {
    SReport report;
    if (event.kind == CSpeechSynth::SPlaybackEvent::eLost) {
        // Every queued run ends unfinished; eSpeak NG's own ends then find nothing.
        m_available = false;
        if (!m_runs.empty()) {
            report.run = m_runs.front().run;
            report.ended = true;
        }
        m_runs.clear();
        return report;
    }
    const auto found = std::find_if(m_runs.begin(), m_runs.end(),
                                    [&event](const SRun& run) { return run.run == event.run; });
    if (found == m_runs.end())
        return report; // cancelled
    SRun& run = *found;
    report.run = run.run;
    report.words = run.starts.size();
    report.from = run.next;
    if (event.kind == CSpeechSynth::SPlaybackEvent::eEnded) {
        // A message that ends before a sound of it was heard could not be played.
        report.ended = true;
        report.complete = run.started;
        if (run.started)
            run.next = run.starts.size();
        else
            m_available = false;
        report.to = run.next;
        m_runs.erase(found);
        return report;
    }
    report.started = !run.started;
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
    RunStarted runStarted;
    WordSpoken wordSpoken;
    {
        const std::lock_guard<std::mutex> state(m_state);
        report = reportOf(event);
        runStarted = m_runStarted;
        wordSpoken = m_wordSpoken;
    }
    const auto now = std::chrono::steady_clock::now();
    if (report.started && runStarted)
        runStarted(report.run, report.words);
    for (std::size_t index = report.from; index < report.to; ++index) {
        m_onWordDue(report.run, index);
        if (wordSpoken)
            wordSpoken(report.run, index, now);
    }
    if (report.ended)
        m_onRunEnded(report.run, report.complete);
}
