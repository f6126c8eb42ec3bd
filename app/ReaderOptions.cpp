#include "ReaderOptions.h"

#include "preferences/Preferences.h"

#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Phrases.h>
#include <flitengine/outside/FileNames.h>
#include <flitengine/outside/FileParser.h>
#include <flitengine/outside/MessageText.h>

#include <wx/cmdline.h>
#include <wx/msgout.h>

#include <cstdio>

namespace {

const int kExitUsage = 2;
const long kMinWordLength = SReaderOptions::kMinWordLength;
const long kMaxWordLength = SReaderOptions::kMaxWordLength;

int usageError(const wxString& message) {
    std::fprintf(stderr, "flitreader: %s\nTry 'flitreader --help'.\n",
                 CMessageText::cut(message, CMessageText::kMessageChars).utf8_str().data());
    return kExitUsage;
}

} // namespace

void SReaderOptions::overrideFlashRules(SPreferences* preferences) const {
    if (!count.empty()) {
        preferences->count =
            count == "bytes" ? CFlitWordCalcs::eLengthBytes : CFlitWordCalcs::eLengthCharacters;
    }
    if (hyphenate) {
        preferences->hyphenate = true;
    }
    if (!language.empty()) {
        preferences->language = language;
    }
    if (exactCut) {
        preferences->cutForReading = false;
    }
}

int parseReaderOptions(int argc, char** argv, SReaderOptions* options) {
    // Parsed before the toolkit starts: help and usage errors go to the terminal.
    if (wxMessageOutput::Get() == nullptr) {
        wxMessageOutput::Set(new wxMessageOutputStderr);
    }
    // File names on the command line open whatever their bytes; the toolkit, once it starts,
    // converts names the same way.
    CFileNames::keepEveryByte();
    CFileNames::CArguments arguments(argc, argv);
    wxCmdLineParser parser(arguments.count(), arguments.values());
    parser.SetLogo("flitreader: reads a text to you one word at a time.");
    parser.AddSwitch("h", "help", "show this help and exit", wxCMD_LINE_OPTION_HELP);
    parser.AddOption("", "wpm",
                     wxString::Format("reading speed in words per minute (%u to %u)",
                                      CFlitManager::kMinWpmSpeed, CFlitManager::kMaxWpmSpeed),
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "word-length",
                     wxString::Format("longest part of a word shown at once (%ld to %ld); longer "
                                      "words are split (default %ld)",
                                      kMinWordLength, kMaxWordLength,
                                      SReaderOptions::kDefaultWordLength),
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "count",
                     "measure words for their timing in characters (the default) or bytes");
    parser.AddSwitch("", "hyphenate", "cut long words at syllables rather than at the word length");
    parser.AddOption("", "language",
                     "the language to hyphenate in, such as en, de or fr-CA (default: the "
                     "document's)");
    parser.AddOption("", "words-per-flash",
                     wxString::Format("flash up to N short words of a line at once (%u to %u)",
                                      CPhrases::kMinWords, CPhrases::kMaxWords),
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddSwitch("", "exact-cut",
                     "cut long words exactly at the word length (one character short of it and a "
                     "hyphen), not for reading at their hyphens, syllables or evenly");
    parser.AddSwitch("", "autostart",
                     "start reading once the window is shown, where the document was left");
    parser.AddSwitch("", "from-start", "read from the beginning, not from where it was left");
    parser.AddSwitch("", "auto-continue",
                     "continue at once whenever the document itself pauses or stops reading");
    parser.AddSwitch("", "exit-when-done", "quit when the end of the document is reached");
    parser.AddSwitch("", "keep-line-breaks",
                     "plain text: pause at every line break, not only at blank lines");
    parser.AddSwitch("", "read-aloud", "speak the text and flash each word as it is spoken");
    parser.AddOption("", "voice", "read aloud with this voice (a name --voices lists)");
    parser.AddSwitch("", "voices", "list the voices Read Aloud offers and exit");
    parser.AddOption("", "record", "write every event the engine posts to FILE");
    parser.AddOption("", "screenshot", "save a PNG of the window to FILE when reading is done");
    parser.AddParam("FILE (plain text, .flit marked-up text, EPUB, HTML, Markdown or PDF; - reads "
                    "standard input)",
                    wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);

    switch (parser.Parse(false)) {
    case -1:
        parser.Usage();
        return -1;
    case 0:
        break;
    default:
        parser.Usage();
        return kExitUsage;
    }

    if (parser.Found("wpm", &options->wpm) &&
        (options->wpm < static_cast<long>(CFlitManager::kMinWpmSpeed) ||
         options->wpm > static_cast<long>(CFlitManager::kMaxWpmSpeed))) {
        return usageError(wxString::Format("--wpm must be between %u and %u, not %ld",
                                           CFlitManager::kMinWpmSpeed, CFlitManager::kMaxWpmSpeed,
                                           options->wpm));
    }
    if (parser.Found("word-length", &options->wordLength)) {
        options->wordLengthGiven = true;
        if (options->wordLength < kMinWordLength || options->wordLength > kMaxWordLength) {
            return usageError(wxString::Format("--word-length must be between %ld and %ld, not %ld",
                                               kMinWordLength, kMaxWordLength,
                                               options->wordLength));
        }
    }
    if (parser.Found("count", &options->count) && options->count != "bytes" &&
        options->count != "characters") {
        return usageError(wxString::Format("--count must be bytes or characters, not '%s'",
                                           CMessageText::cut(options->count)));
    }
    options->hyphenate = parser.Found("hyphenate");
    if (parser.Found("language", &options->language) && options->language.empty()) {
        return usageError("--language needs a language, such as en or de");
    }
    if (parser.Found("words-per-flash", &options->wordsPerFlash) &&
        (options->wordsPerFlash < static_cast<long>(CPhrases::kMinWords) ||
         options->wordsPerFlash > static_cast<long>(CPhrases::kMaxWords))) {
        return usageError(wxString::Format("--words-per-flash must be between %u and %u, not %ld",
                                           CPhrases::kMinWords, CPhrases::kMaxWords,
                                           options->wordsPerFlash));
    }
    options->exactCut = parser.Found("exact-cut");
    options->autostart = parser.Found("autostart");
    options->fromStart = parser.Found("from-start");
    options->autoContinue = parser.Found("auto-continue");
    options->exitWhenDone = parser.Found("exit-when-done");
    options->keepLineBreaks = parser.Found("keep-line-breaks");
    options->readAloud = parser.Found("read-aloud");
    if (parser.Found("voice", &options->voice) && options->voice.empty()) {
        return usageError("--voice needs a voice's name, as --voices lists them");
    }
    options->listVoices = parser.Found("voices");
    parser.Found("record", &options->recordPath);
    parser.Found("screenshot", &options->screenshotPath);
    if (parser.GetParamCount() > 0) {
        options->documentPath = parser.GetParam(0);
        // A folder, a pipe (which would block the opening) or a loop of links is named as such.
        wxString reason;
        if (options->documentPath != "-" &&
            !CFileParser::isReadableFile(options->documentPath, &reason)) {
            return usageError(reason);
        }
    }
    if (options->autostart && options->documentPath.empty()) {
        return usageError("--autostart needs a FILE to read");
    }
    return 0;
}
