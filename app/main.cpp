// flitreader: the reader application. Parses its command line before the toolkit starts, so
// that usage errors are reported (status 2) even without a display.

#include "ReaderApp.h"
#include "ReaderOptions.h"
#include "speech/SpeechSynth.h"

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    SReaderOptions options;
    const int parsed = parseReaderOptions(argc, argv, &options);
    if (parsed != 0) {
        return parsed < 0 ? 0 : parsed;
    }
    if (options.listVoices) {
        // One voice a line: what --voice takes, its language, its name.
        for (const CSpeechSynth::SVoice& voice : CSpeechSynth::get().voices()) {
            std::printf("%s\t%s\t%s\n", voice.identifier.c_str(), voice.language.c_str(),
                        voice.name.c_str());
        }
        return 0;
    }
    const std::string voice = options.voice.utf8_string();
    if (!voice.empty() && CSpeechSynth::get().voiceNamed(voice).empty()) {
        std::fprintf(stderr,
                     "flitreader: no voice '%s': --voices lists the voices, and a language "
                     "such as de picks one\n",
                     voice.c_str());
        return 2;
    }

    int failureStatus = 0;
    wxApp::SetInstance(new CReaderApp(options, started, &failureStatus));
    // Only the program name goes to the toolkit: the options are ours.
    int toolkitArgc = 1;
    const int status = wxEntry(toolkitArgc, argv);
    return failureStatus != 0 ? failureStatus : status;
}
