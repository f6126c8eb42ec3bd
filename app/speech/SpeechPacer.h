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
// Locks, in order: commandMutex (beginRun, cancelRun, open, the destructor), then the synthesizer's
// own; stateMutex guards the queued runs and is taken on the event thread too. No callback is ever
// called with commandMutex or stateMutex held, so a callback that waits on the engine cannot block
// cancelRun.
class CSpeechPacer : public CWordPacer {
public:
    using WordDue = std::function<void(long run, std::size_t index)>;
    using RunEnded = std::function<void(long run, bool complete)>;

    CSpeechPacer(WordDue wordDue, RunEnded runEnded);
    ~CSpeechPacer() override;

    // Prepares playback; false, at once, when there is no audio output.
    bool open();
    bool isAvailable() const;
    // A voice identifier (CSpeechSynth::voices, voiceFor); eSpeak NG's default English voice
    // until set.
    void setVoice(const std::string& identifier);
    std::string voice() const;

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
    // What one event amounts to, worked out under stateMutex and reported after it.
    struct SReport {
        long run = 0;
        std::size_t from = 0;
        std::size_t to = 0;
        bool ended = false;
        bool complete = false;
    };

    void onPlayback(const CSpeechSynth::SPlaybackEvent& event);
    SReport reportOf(const CSpeechSynth::SPlaybackEvent& event);

    const WordDue onWordDue;
    const RunEnded onRunEnded;

    // Serialises the calls that steer the synthesizer; no event handler takes it.
    mutable std::mutex commandMutex;
    std::string loadedVoice;
    // The runs queued and not yet over, oldest first; the event thread reads and advances them,
    // beginRun appends, cancelRun clears.
    std::mutex stateMutex;
    std::deque<SRun> runs;
    // Set by open, cleared by an audio failure; read by beginRun on the presentation thread.
    std::atomic<bool> available{false};
};

#endif
