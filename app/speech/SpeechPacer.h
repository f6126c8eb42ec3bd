#ifndef FLITREADER_SPEECHPACER_H
#define FLITREADER_SPEECHPACER_H

#include "speech/SpeechSynth.h"

#include <flitengine/engine/WordPacer.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Read Aloud: eSpeak NG speaks each run through the default audio output, and each word is due
// when the synthesizer reports it heard.
//
// Reports come on eSpeak NG's event thread. A report of a cancelled run may still come after
// cancelRun returns (one already on its way when the run was dropped), always with that run's
// old number, which the engine ignores.
//
// Locks, in order: m_command (beginRun, cancelRun, open, the destructor), then the synthesizer's
// own; m_state guards the queued runs and is taken on the event thread too. No callback is ever
// called with m_command or m_state held, so a callback that waits on the engine cannot block
// cancelRun.
class CSpeechPacer : public CWordPacer {
public:
    using WordDue = std::function<void(long run, std::size_t index)>;
    using RunEnded = std::function<void(long run, bool complete)>;
    using RunStarted = std::function<void(long run, std::size_t words)>;
    using WordSpoken =
        std::function<void(long run, std::size_t index, std::chrono::steady_clock::time_point at)>;

    CSpeechPacer(WordDue onWordDue, RunEnded onRunEnded);
    ~CSpeechPacer() override;

    // Prepares playback; false, at once, when there is no audio output.
    bool open();
    bool isAvailable() const;
    // A voice identifier (CSpeechSynth::voices, voiceFor); eSpeak NG's default English voice
    // until set.
    void setVoice(const std::string& identifier);
    std::string voice() const;
    // For the reader's record: a run's audio starting, and each word as it is reported. Set
    // before reading starts.
    void setSpeechObserver(RunStarted runStarted, WordSpoken wordSpoken);

    bool beginRun(long run, const std::vector<SWord>& words, unsigned int wpm) override;
    void cancelRun() override;

private:
    struct SRun {
        long run;
        // Each word's first byte in the spoken text, and the text's size after the last.
        std::vector<std::size_t> starts;
        std::string text;
        std::size_t next = 0;
        bool started = false;
    };
    // What one event amounts to, worked out under m_state and reported after it.
    struct SReport {
        long run = 0;
        std::size_t words = 0;
        bool started = false;
        std::size_t from = 0;
        std::size_t to = 0;
        bool ended = false;
        bool complete = false;
    };

    void onPlayback(const CSpeechSynth::SPlaybackEvent& event);
    SReport reportOf(const CSpeechSynth::SPlaybackEvent& event);

    const WordDue m_onWordDue;
    const RunEnded m_onRunEnded;
    RunStarted m_runStarted;
    WordSpoken m_wordSpoken;

    // Serialises the calls that steer the synthesizer; no event handler takes it.
    mutable std::mutex m_command;
    std::string m_voice;
    // The runs queued and not yet over, oldest first; the event thread reads and advances them,
    // beginRun appends, cancelRun clears.
    std::mutex m_state;
    std::deque<SRun> m_runs;
    // Set by open, cleared by an audio failure; read by beginRun on the presentation thread.
    std::atomic<bool> m_available{false};
};

#endif
