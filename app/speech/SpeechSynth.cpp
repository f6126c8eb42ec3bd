#include "speech/SpeechSynth.h"

#include <espeak-ng/espeak_ng.h>
#include <pcaudiolib/audio.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>

static_assert(CSpeechSynth::kMinWpm == espeakRATE_MINIMUM, "eSpeak NG's slowest rate");
static_assert(CSpeechSynth::kMaxWpm == espeakRATE_MAXIMUM, "eSpeak NG's fastest rate");

namespace {
// eSpeak NG speaks at its own sample rate, mono, 16 bits; the audio check opens the output so.
constexpr std::uint32_t kProbeRate = 22050;
constexpr std::uint8_t kProbeChannels = 1;
constexpr const char* kApplicationName = "flitreader";

// The words a synchronous synthesis collects, on the thread that asked for it (the callback of
// synchronous mode runs inside eSpeak NG's call, on that thread).
struct SCollector {
    const std::string* text;
    std::vector<CSpeechSynth::SSpokenWord> words;
    int firstAudioMs = -1;
};
thread_local SCollector* tCollector = nullptr;

std::string lowerTag(const std::string& tag) {
    std::string lower;
    for (const char c : tag) {
        lower += c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// Whether the default audio output opens: PulseAudio, else ALSA, as eSpeak NG would open it.
// Fails within milliseconds when there is no server and no device.
bool audioOutputOpens() {
    audio_object* output = create_audio_device_object(nullptr, kApplicationName, "Read Aloud");
    if (output == nullptr) {
        return false;
    }
    const bool opened =
        audio_object_open(output, AUDIO_OBJECT_FORMAT_S16LE, kProbeRate, kProbeChannels) == 0;
    if (opened) {
        audio_object_close(output);
    }
    audio_object_destroy(output);
    return opened;
}
} // namespace

CSpeechSynth& CSpeechSynth::get() {
    // Never destroyed: eSpeak NG's threads live until the process ends and may still call back
    // while static objects are being destroyed.
    static CSpeechSynth* const synth = new CSpeechSynth;
    return *synth;
}

CSpeechSynth::CSpeechSynth() {
    espeak_ng_InitializePath(nullptr);
    ready = espeak_ng_Initialize(nullptr) == ENS_OK;
    if (ready) {
        espeak_SetSynthCallback([](short* wav, int samples, espeak_EVENT* events) {
            return onSynth(wav, samples, events);
        });
    }
}

bool CSpeechSynth::isReady() {
    const std::lock_guard<std::mutex> lock(apiMutex);
    return ready;
}

std::vector<CSpeechSynth::SVoice> CSpeechSynth::voices() {
    std::vector<SVoice> found;
    const std::lock_guard<std::mutex> lock(apiMutex);
    if (!ready) {
        return found;
    }
    for (const espeak_VOICE** voice = espeak_ListVoices(nullptr); *voice != nullptr; ++voice) {
        // The languages are a list of (preference byte, name) pairs, ended by an empty name.
        const char* languages = (*voice)->languages;
        found.push_back({(*voice)->identifier, (*voice)->name,
                         languages != nullptr && *languages != '\0' ? languages + 1 : ""});
    }
    std::sort(found.begin(), found.end(), [](const SVoice& a, const SVoice& b) {
        return a.language != b.language ? a.language < b.language : a.identifier < b.identifier;
    });
    return found;
}

std::string CSpeechSynth::voiceFor(const std::string& language) {
    const std::string tag = lowerTag(language);
    const std::string primary = tag.substr(0, tag.find('-'));
    const std::lock_guard<std::mutex> lock(apiMutex);
    if (!ready || tag.empty()) {
        return {};
    }
    // The best listing of the whole tag beats any of the primary language alone.
    std::string best;
    int bestScore = INT_MAX;
    constexpr int kPrimaryOnly = 1000;
    for (const espeak_VOICE** voice = espeak_ListVoices(nullptr); *voice != nullptr; ++voice) {
        for (const char* entry = (*voice)->languages; entry != nullptr && *entry != '\0';) {
            const int preference = static_cast<unsigned char>(entry[0]);
            const std::string name = entry + 1;
            entry += name.size() + 2;
            const int score = name == tag       ? preference
                              : name == primary ? kPrimaryOnly + preference
                                                : INT_MAX;
            if (score < bestScore) {
                bestScore = score;
                best = (*voice)->identifier;
            }
        }
    }
    return best;
}

std::string CSpeechSynth::voiceNamed(const std::string& choice) {
    for (const SVoice& voice : voices()) {
        if (voice.identifier == choice) {
            return choice;
        }
    }
    return voiceFor(choice);
}

unsigned int CSpeechSynth::rateFor(unsigned int wpm) {
    return std::clamp(wpm, kMinWpm, kMaxWpm);
}

std::size_t CSpeechSynth::byteOffsetOf(const std::string& utf8Text, int position) {
    int characters = 1;
    for (std::size_t at = 0; at < utf8Text.size(); ++at) {
        // Continuation bytes (10xxxxxx) belong to the character before.
        if ((static_cast<unsigned char>(utf8Text[at]) & 0xC0) == 0x80) {
            continue;
        }
        if (characters++ == position) {
            return at;
        }
    }
    return utf8Text.size();
}

bool CSpeechSynth::useVoice(const std::string& voice, unsigned int wpm) {
    // eSpeak NG loads a voice at once, on the caller's thread, even while its own thread is
    // synthesizing what is queued (which crashes it): a new voice waits until the queue has
    // been spoken. A rate, set through the queue, takes effect in turn.
    if (voice != loadedVoice) {
        if (mode == ePlayback) {
            espeak_ng_Synchronize();
        }
        if (espeak_ng_SetVoiceByName(voice.c_str()) != ENS_OK) {
            loadedVoice.clear();
            return false;
        }
        loadedVoice = voice;
    }
    return espeak_SetParameter(espeakRATE, static_cast<int>(rateFor(wpm)), 0) == EE_OK;
}

std::vector<CSpeechSynth::SSpokenWord>
CSpeechSynth::wordsOf(const std::string& utf8Text, const std::string& voice, unsigned int wpm) {
    const std::lock_guard<std::mutex> lock(apiMutex);
    if (!ready) {
        return {};
    }
    if (mode != eSynchronous) {
        if (mode == ePlayback) {
            deliver({SPlaybackEvent::eLost, 0, 0, false});
            espeak_ng_Cancel();
            playbackOver = true;
        }
        if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK) {
            return {};
        }
        mode = eSynchronous;
    }
    if (!useVoice(voice, wpm)) {
        return {};
    }
    SCollector collector{&utf8Text, {}};
    tCollector = &collector;
    const espeak_ng_STATUS status =
        espeak_ng_Synthesize(utf8Text.c_str(), utf8Text.size() + 1, 0, POS_CHARACTER, 0,
                             espeakCHARS_UTF8, nullptr, nullptr);
    tCollector = nullptr;
    return status == ENS_OK ? collector.words : std::vector<SSpokenWord>{};
}

bool CSpeechSynth::openPlayback(PlaybackSink newSink) {
    const std::lock_guard<std::mutex> lock(apiMutex);
    if (!ready || playbackOver) {
        return false;
    }
    if (mode != ePlayback) {
        if (!audioOutputOpens()) {
            return false;
        }
        if (mode == eSynchronous) {
            espeak_ng_Terminate();
            loadedVoice.clear();
            ready = espeak_ng_Initialize(nullptr) == ENS_OK;
            mode = eNone;
            if (!ready) {
                return false;
            }
        }
        if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SPEAK_AUDIO, 0, nullptr) != ENS_OK) {
            return false;
        }
        mode = ePlayback;
    }
    const std::lock_guard<std::mutex> sinkLock(sinkMutex);
    sink = std::move(newSink);
    return true;
}

void CSpeechSynth::detachPlayback() {
    const std::lock_guard<std::mutex> sinkLock(sinkMutex);
    sink = nullptr;
}

bool CSpeechSynth::speak(const std::string& utf8Text, const std::string& voice, unsigned int wpm,
                         long run) {
    const std::lock_guard<std::mutex> lock(apiMutex);
    if (mode != ePlayback || !useVoice(voice, wpm)) {
        return false;
    }
    // The run travels as the message's user data, so each event names its run: the number is
    // the data itself, never a pointer to follow.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    void* const userData = reinterpret_cast<void*>(static_cast<std::intptr_t>(run));
    return espeak_ng_Synthesize(utf8Text.c_str(), utf8Text.size() + 1, 0, POS_CHARACTER, 0,
                                espeakCHARS_UTF8, nullptr, userData) == ENS_OK;
}

void CSpeechSynth::cancel() {
    const std::lock_guard<std::mutex> lock(apiMutex);
    if (mode == ePlayback) {
        espeak_ng_Cancel();
    }
}

void CSpeechSynth::deliver(const SPlaybackEvent& event) {
    const std::lock_guard<std::mutex> sinkLock(sinkMutex);
    if (sink) {
        sink(event);
    }
}

int CSpeechSynth::onSynth(short* /*wav*/, int /*samples*/, void* events) {
    for (auto* event = static_cast<espeak_EVENT*>(events);
         event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (SCollector* collector = tCollector) {
            // eSpeak NG also reports a word of no length where a clause ends: no word.
            if (event->type == espeakEVENT_SENTENCE && collector->firstAudioMs < 0) {
                collector->firstAudioMs = event->audio_position;
            }
            if (event->type != espeakEVENT_WORD || event->length <= 0) {
                continue;
            }
            if (collector->firstAudioMs < 0) {
                collector->firstAudioMs = event->audio_position;
            }
            const std::size_t start = byteOffsetOf(*collector->text, event->text_position);
            const std::size_t end =
                byteOffsetOf(*collector->text, event->text_position + event->length);
            // A number spoken as several words ("42": forty, two) is reported again inside
            // its own span: one word of the text.
            if (!collector->words.empty() &&
                start < collector->words.back().offset + collector->words.back().length) {
                continue;
            }
            collector->words.push_back({start, end - start,
                                        static_cast<unsigned int>(std::max(
                                            0, event->audio_position - collector->firstAudioMs))});
            continue;
        }
        const long run = static_cast<long>(reinterpret_cast<std::intptr_t>(event->user_data));
        if (event->type == espeakEVENT_MSG_TERMINATED) {
            get().deliver({SPlaybackEvent::eEnded, run, 0, false});
        } else if ((event->type == espeakEVENT_WORD || event->type == espeakEVENT_SENTENCE) &&
                   event->text_position > 0) {
            get().deliver({SPlaybackEvent::eSpoken, run, event->text_position,
                           event->type == espeakEVENT_WORD && event->length > 0});
        }
    }
    return 0;
}
