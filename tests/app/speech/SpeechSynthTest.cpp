// eSpeak NG through CSpeechSynth without sound (synchronous synthesis, voices, rates), and the
// pacer where there is no audio output at all.

#include "speech/SpeechSynth.h"
#include "speech/SpeechPacer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr unsigned int kWpm = 175;

struct SWordsCase {
    const char* voice;
    const char* text;
    std::vector<std::string> words;
};

// The words eSpeak NG reports for each text, in order, as spans of the UTF-8 text.
TEST(SpeechSynthTest, WordsOfReportsEachWordWhereTheTextHoldsIt) {
    const std::vector<SWordsCase> cases = {
        {"en", "The keeper climbed the stairs.", {"The", "keeper", "climbed", "the", "stairs"}},
        {"de",
         "Über die Brücke gehen wir früh.",
         {"Über", "die", "Brücke", "gehen", "wir", "früh"}},
        // An elided article is reported at its word's start, with its own letter's length.
        {"fr", "L'été, à côté du phare.", {"L", "à", "côté", "du", "phare"}},
        {"ru", "Смотритель поднялся по лестнице.", {"Смотритель", "поднялся", "по", "лестнице"}},
        {"en", "At 42 knots, ships (three) rest!", {"At", "42", "knots", "ships", "three", "rest"}},
    };
    CSpeechSynth& synth = CSpeechSynth::get();
    ASSERT_TRUE(synth.isReady());
    for (const SWordsCase& each : cases) {
        SCOPED_TRACE(each.text);
        const std::string text = each.text;
        const std::vector<CSpeechSynth::SSpokenWord> spoken =
            synth.wordsOf(text, synth.voiceFor(each.voice), kWpm);
        std::vector<std::string> words;
        for (const CSpeechSynth::SSpokenWord& word : spoken) {
            ASSERT_LE(word.offset + word.length, text.size());
            words.push_back(text.substr(word.offset, word.length));
        }
        EXPECT_EQ(words, each.words);
        ASSERT_FALSE(spoken.empty());
        EXPECT_EQ(spoken.front().audioMs, 0u);
        for (std::size_t at = 1; at < spoken.size(); ++at) {
            EXPECT_GT(spoken[at].audioMs, spoken[at - 1].audioMs) << words[at];
        }
    }
}

TEST(SpeechSynthTest, VoiceForMatchesTheWholeTagThenThePrimaryLanguage) {
    const struct {
        const char* tag;
        const char* language; // of the chosen voice; empty: none
    } cases[] = {
        {"en-US", "en-us"}, {"en_us", "en-us"}, {"en", "en-gb"},  {"en-AU", "en-gb"},
        {"pt-BR", "pt-br"}, {"pt", "pt"},       {"de-AT", "de"},  {"fr", "fr-fr"},
        {"ru", "ru"},       {"zh", "cmn"},      {"zh-CN", "cmn"}, {"he", "he"},
        {"xx", ""},         {"", ""},           {"english", ""},
    };
    CSpeechSynth& synth = CSpeechSynth::get();
    const std::vector<CSpeechSynth::SVoice> voices = synth.voices();
    ASSERT_FALSE(voices.empty());
    for (std::size_t at = 1; at < voices.size(); ++at) {
        EXPECT_LE(voices[at - 1].language, voices[at].language);
    }
    for (const auto& each : cases) {
        SCOPED_TRACE(each.tag);
        const std::string chosen = synth.voiceFor(each.tag);
        std::string language;
        for (const CSpeechSynth::SVoice& voice : voices) {
            if (voice.identifier == chosen) {
                language = voice.language;
            }
        }
        EXPECT_EQ(language, each.language) << chosen;
    }
}

TEST(SpeechSynthTest, RateForClampsToTheSynthesizersRange) {
    const struct {
        unsigned int wpm;
        unsigned int rate;
    } cases[] = {{0, 80}, {79, 80}, {80, 80}, {300, 300}, {450, 450}, {451, 450}, {2000, 450}};
    for (const auto& each : cases) {
        EXPECT_EQ(CSpeechSynth::rateFor(each.wpm), each.rate) << each.wpm;
    }
}

// No sound server (its socket does not exist) and no ALSA configuration: the pacer says so at
// once and refuses runs.
TEST(SpeechSynthTest, WithoutAudioOpenFailsAtOnceAndRunsAreRefused) {
    setenv("PULSE_SERVER", "unix:/nonexistent/flit-speech/native", 1);
    setenv("ALSA_CONFIG_PATH", "/dev/null", 1);
    CSpeechPacer pacer([](long, std::size_t) { ADD_FAILURE() << "a word was due"; },
                       [](long, bool) { ADD_FAILURE() << "a run ended"; });
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(pacer.open());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(pacer.isAvailable());
    EXPECT_FALSE(pacer.beginRun(1, {{nullptr, "Fog"}, {nullptr, "rolls"}}, kWpm));
    pacer.cancelRun();
    // Synthesis without sound still works afterwards.
    EXPECT_EQ(CSpeechSynth::get().wordsOf("Fog rolls in.", "en", kWpm).size(), 3u);
}
} // namespace
