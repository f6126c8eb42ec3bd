#include "frame/ReadAloud.h"

#include "reading/EventRecorder.h"
#include "speech/SpeechPacer.h"
#include "speech/SpeechSynth.h"

#include <flitengine/engine/FlitManager.h>

#include <wx/intl.h>

#include <algorithm>
#include <utility>

namespace {

// How many runs' words the record keeps for the words the voice reports late.
const std::size_t kRunsKept = 4;

// The system's language as a BCP 47 tag ("en-US"); empty when the system says none.
std::string systemLanguage() {
    const int language = wxLocale::GetSystemLanguage();
    if (language == wxLANGUAGE_UNKNOWN || language == wxLANGUAGE_DEFAULT) {
        return std::string();
    }
    std::string tag = wxLocale::GetLanguageCanonicalName(language).utf8_string();
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

} // namespace

CReadAloud::CReadAloud(CEventRecorder& eventRecorder, Say sayer)
    : recorder(eventRecorder), say(std::move(sayer)) {}

CReadAloud::~CReadAloud() {
    detach(attached);
}

void CReadAloud::setOn(bool wanted, CFlitManager* manager) {
    if (wanted == on) {
        return;
    }
    on = wanted;
    if (on) {
        attach(manager, documentLanguage, chosenVoice);
    } else {
        release(manager);
    }
}

void CReadAloud::attach(CFlitManager* manager, const std::string& language, const wxString& voice) {
    attached = manager;
    documentLanguage = language;
    chosenVoice = voice;
    if (!on || manager == nullptr || !ensureAudio()) {
        return;
    }
    pickVoice();
    {
        std::lock_guard<std::mutex> lock(reportMutex);
        reportTo = manager;
    }
    manager->setWordPacer(this);
}

void CReadAloud::detach(CFlitManager* manager) {
    release(manager);
    attached = nullptr;
}

void CReadAloud::release(CFlitManager* manager) {
    if (manager != nullptr && manager->getWordPacer() == this) {
        // The engine stops the voice and asks no more of it; the reports still on their way
        // find no engine.
        manager->setWordPacer(nullptr);
    }
    std::lock_guard<std::mutex> lock(reportMutex);
    reportTo = nullptr;
    recentRuns.clear();
}

void CReadAloud::chooseVoice(const wxString& voice) {
    if (voice == chosenVoice) {
        return;
    }
    chosenVoice = voice;
    if (pacer) {
        pickVoice();
    }
}

bool CReadAloud::ensureAudio() {
    if (!pacer) {
        pacer = std::make_unique<CSpeechPacer>(
            [this](long run, std::size_t index) { reportWord(run, index); },
            [this](long run, bool complete) { reportEnd(run, complete); });
        pacer->open();
    }
    if (pacer->isAvailable()) {
        return true;
    }
    if (!audioMissingSaid) {
        audioMissingSaid = true;
        say("No audio output is available: reading on silently");
    }
    return false;
}

void CReadAloud::pickVoice() {
    CSpeechSynth& synth = CSpeechSynth::get();
    // The voice chosen (by its identifier, or by a language: "de" picks a German voice), else
    // the document's language's, the system's, English's.
    std::string voice = synth.voiceNamed(chosenVoice.utf8_string());
    for (const std::string& language : {documentLanguage, systemLanguage(), std::string("en")}) {
        if (voice.empty() && !language.empty()) {
            voice = synth.voiceFor(language);
        }
    }
    pacer->setVoice(voice);
    voiceLabel = voice;
    for (const CSpeechSynth::SVoice& offered : synth.voices()) {
        if (offered.identifier == voice) {
            voiceLabel = offered.name;
        }
    }
}

unsigned int CReadAloud::speedFor(unsigned int wpm) {
    if (!on) {
        return wpm;
    }
    const unsigned int spoken = std::clamp(wpm, CSpeechSynth::kMinWpm, CSpeechSynth::kMaxWpm);
    if (spoken != wpm) {
        say(wxString::Format("Read Aloud speaks at %u to %u words per minute: the speed is now %u",
                             CSpeechSynth::kMinWpm, CSpeechSynth::kMaxWpm, spoken));
    }
    return spoken;
}

wxString CReadAloud::statusText() const {
    if (!on) {
        return wxString();
    }
    if (!pacer || !pacer->isAvailable()) {
        return "Read Aloud: no audio output";
    }
    return "Reading aloud: " + wxString::FromUTF8(voiceLabel);
}

bool CReadAloud::beginRun(long run, const std::vector<SWord>& words, unsigned int wpm) {
    if (!pacer || !pacer->isAvailable()) {
        return false;
    }
    if (recorder.isOpen()) {
        std::lock_guard<std::mutex> lock(reportMutex);
        SRunWords kept{run, {}};
        kept.words.reserve(words.size());
        for (const SWord& word : words) {
            kept.words.push_back(word.text);
        }
        recentRuns.push_back(std::move(kept));
        if (recentRuns.size() > kRunsKept) {
            recentRuns.erase(recentRuns.begin());
        }
    }
    const bool begun = pacer->beginRun(run, words, wpm);
    if (begun) {
        recorder.recordSpeech("SPEECH", words.empty() ? wxString() : words.front().text,
                              static_cast<long>(words.size()));
    }
    return begun;
}

void CReadAloud::cancelRun() {
    if (pacer) {
        pacer->cancelRun();
    }
}

void CReadAloud::reportWord(long run, std::size_t index) {
    std::lock_guard<std::mutex> lock(reportMutex);
    if (recorder.isOpen()) {
        wxString text;
        for (const SRunWords& kept : recentRuns) {
            if (kept.run == run && index < kept.words.size()) {
                text = kept.words[index];
            }
        }
        recorder.recordSpeech("SPOKEN", text, static_cast<long>(index));
    }
    if (reportTo != nullptr) {
        reportTo->wordDue(run, index);
    }
}

void CReadAloud::reportEnd(long run, bool complete) {
    std::lock_guard<std::mutex> lock(reportMutex);
    if (reportTo != nullptr) {
        reportTo->runEnded(run, complete);
    }
}
