#ifndef FLITREADER_SPEECHSYNTH_H
#define FLITREADER_SPEECHSYNTH_H

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// The process's one eSpeak NG synthesizer. eSpeak NG keeps global state (one voice, one rate,
// one output mode, one callback), so every call to it goes through this object under one lock.
//
// Output modes, as eSpeak NG 1.51 behaves here: a process may synthesize synchronously (words
// and their audio times, no sound) and play through the audio output, but not switch freely
// between them. Initializing playback a second time fails to reopen the audio ("Entity exists")
// and the message is dropped; playback started after synchronous use without a restart plays but
// reports no word events; a failed audio open leaves the library crashing or hanging in the next
// synthesis or terminate. So this object:
// - checks the audio output itself (through the same audio library eSpeak NG plays through)
//   before eSpeak NG ever opens it, so a missing output never reaches eSpeak NG;
// - goes from synchronous use to playback by terminating and initializing eSpeak NG again;
// - goes from playback to synchronous use by switching the output mode only; playback cancelled
//   so is over for the process (openPlayback returns false afterwards). The reader only plays;
//   tools and tests only synthesize synchronously.
class CSpeechSynth {
public:
    struct SVoice {
        // What setVoice and wordsOf take ("gmw/en-US").
        std::string identifier;
        // The voice's own name ("English (America)").
        std::string name;
        // Its first language, lower case ("en-us").
        std::string language;
    };
    struct SSpokenWord {
        // The word's first byte in the UTF-8 text, and its length in bytes.
        std::size_t offset;
        std::size_t length;
        // When the word starts in the synthesized audio, from the start of the text.
        unsigned int audioMs;
    };
    // What playback reports, on eSpeak NG's event thread.
    struct SPlaybackEvent {
        enum EKind {
            // A clause or word starts being heard: position is its first character (1-based).
            eSpoken,
            // The message is over, whole or cancelled.
            eEnded,
            // Playback stopped for good (the process went over to synchronous use).
            eLost
        };
        EKind kind;
        long run;
        int position;
        bool word;
    };
    using PlaybackSink = std::function<void(const SPlaybackEvent&)>;

    // eSpeak NG 1.51's rate range (espeakRATE_MINIMUM, espeakRATE_MAXIMUM), words a minute.
    static constexpr unsigned int kMinWpm = 80;
    static constexpr unsigned int kMaxWpm = 450;

    static CSpeechSynth& get();

    // False when eSpeak NG could not start (its data missing): no voices, nothing spoken.
    bool isReady();
    // Every voice, sorted by language then identifier.
    std::vector<SVoice> voices();
    // The best voice for a BCP 47 tag ("en-US", "pt_BR", "de"): one that lists the whole tag,
    // else one that lists its primary language; the voice listing it with the highest
    // preference wins. Empty when none speaks the language.
    std::string voiceFor(const std::string& language);
    // The voice a user's choice names: a voice's identifier ("gmw/en-US") as it is, else the
    // voice of a language tag ("de"); empty when neither.
    std::string voiceNamed(const std::string& choice);
    static unsigned int rateFor(unsigned int wpm);
    // The byte offset in utf8Text of the 1-based character position eSpeak NG reports (the
    // text's size when past its end).
    static std::size_t byteOffsetOf(const std::string& utf8Text, int position);

    // Synthesizes utf8Text at once, without sound: each word eSpeak NG reports, in order.
    // Empty when the synthesizer or the voice cannot be had.
    std::vector<SSpokenWord> wordsOf(const std::string& utf8Text, const std::string& voice,
                                     unsigned int wpm);

    // Prepares playback through the default audio output and sends its events to sink (one
    // sink at a time; an empty one detaches). False at once when there is no audio output.
    bool openPlayback(PlaybackSink newSink);
    void detachPlayback();
    // Queues text to be spoken after what is queued, its events carrying run.
    bool speak(const std::string& utf8Text, const std::string& voice, unsigned int wpm, long run);
    // Stops the voice and drops what is queued; the dropped messages' eEnded come before it
    // returns.
    void cancel();

private:
    enum EMode { eNone, eSynchronous, ePlayback };

    CSpeechSynth();
    bool useVoice(const std::string& voice, unsigned int wpm);
    static int onSynth(short* wav, int samples, void* events);
    void deliver(const SPlaybackEvent& event);

    // Every call into eSpeak NG but its callback. Lock order: apiMutex, then sinkMutex; eSpeak NG's
    // event thread takes only sinkMutex, so cancel (under apiMutex) never waits on a callback
    // that waits on apiMutex.
    std::mutex apiMutex;
    bool ready = false;
    EMode mode = eNone;
    bool playbackOver = false;
    // The voice eSpeak NG has loaded; empty when none is.
    std::string loadedVoice;
    // Held while an event is handed to the sink, so that detaching waits for it.
    std::mutex sinkMutex;
    PlaybackSink sink;
};

#endif
