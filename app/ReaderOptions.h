#ifndef FLIT_APP_READEROPTIONS_H
#define FLIT_APP_READEROPTIONS_H

#include <wx/string.h>

struct SPreferences;

// What the reader was asked to do on its command line.
struct SReaderOptions {
    // The word display length, as the command line and the dialog take it.
    static const long kDefaultWordLength = 12;
    static const long kMinWordLength = 2;
    static const long kMaxWordLength = 100;

    long wpm = 0; // 0: keep the engine's default speed
    long wordLength = kDefaultWordLength;
    bool wordLengthGiven = false;
    bool autostart = false;
    // Read from the beginning rather than where the document was left.
    bool fromStart = false;
    bool autoContinue = false;
    bool exitWhenDone = false;
    // Plain text: every line break is a pause, as in a text with one paragraph per line.
    bool keepLineBreaks = false;
    wxString recordPath;
    wxString screenshotPath;
    // A file, or "-" for standard input.
    wxString documentPath;
    // How words are measured and long words cut, when the command line says: "bytes" or
    // "characters" (empty: as the preferences say), syllable hyphenation, and its language.
    wxString count;
    bool hyphenate = false;
    wxString language;
    // At most this many words a flash (0: as the preferences say).
    long wordsPerFlash = 0;
    // Long words cut exactly at the word length rather than for reading.
    bool exactCut = false;
    // Speak the text, each word flashed as it is heard; with this voice (empty: as the
    // preferences say). listVoices: print the voices and exit.
    bool readAloud = false;
    wxString voice;
    bool listVoices = false;

    // What the command line says of word measuring and cutting holds over the preferences.
    void overrideFlashRules(SPreferences* preferences) const;
};

// Parses the reader's command line. Returns 0 when the reader should run, -1 when it should
// exit successfully at once (help was shown), or the exit status of a usage error, after
// printing a message that names the problem.
int parseReaderOptions(int argc, char** argv, SReaderOptions* options);

#endif
