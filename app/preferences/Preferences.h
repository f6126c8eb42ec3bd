#ifndef FLIT_APP_PREFERENCES_H
#define FLIT_APP_PREFERENCES_H

#include <flitengine/timing/FlitWordCalcs.h>

#include <wx/colour.h>
#include <wx/string.h>

#include <string>

class wxConfigBase;

// What the reader shows around a paused word: its sentence with the word marked, or the word
// alone.
enum ePauseContext { ePauseSentence, ePauseWordOnly, ePauseContextCount };

// The reader's preferences, as the user last chose them. They live in the toolkit's wxConfig,
// which the reader keeps in $XDG_CONFIG_HOME/flitreader/flitreader.conf (by default
// ~/.config/flitreader/flitreader.conf).
struct SPreferences {
    static const int kDefaultFontSize = 44;
    static const int kMinFontSize = 12;
    static const int kMaxFontSize = 160;

    SPreferences();

    unsigned int speed;      // words per minute
    unsigned int wordLength; // longest part of a word shown at once
    wxString fontFace;       // the flashed word's font; empty: the view's own sans-serif face
    int fontSize = kDefaultFontSize; // in points, before the view shrinks what would not fit
    int theme;                       // eTheme
    bool fixation = true;            // the fixation letter marked, with its guide marks
    wxColour fixationColour;         // not Ok: the theme's accent
    int pauseContext = ePauseSentence;
    // How the timing rules measure a word.
    CFlitWordCalcs::eLengthUnit count = CFlitWordCalcs::eLengthCharacters;
    // Long words cut at syllables rather than at the word length, by the dictionary of
    // language (empty: the document's own, else the system's).
    bool hyphenate = false;
    wxString language;

    // The language to hyphenate a document in that names documentLanguage (maybe empty).
    std::string hyphenationLanguage(const std::string& documentLanguage) const;

    // The colour the fixation letter is drawn in under the chosen theme.
    wxColour fixationColourShown() const;
    bool operator==(const SPreferences& other) const;
    bool operator!=(const SPreferences& other) const { return !(*this == other); }
};

// The user's preferences file.
//
// A file that cannot be read, does not parse, or was written by a newer reader is left exactly
// as it is: the reader starts with the defaults, says once what went wrong, and keeps whatever
// is written to the configuration in memory only. The first preference the user then changes
// moves the old file aside (to the same name with ".unreadable" added) and writes a new one.
namespace userPreferences {

// Where the preferences file is; follows XDG_CONFIG_HOME.
wxString path();
// Opens the preferences file as the toolkit's configuration (replacing and deleting any other).
// Call once, early, after the application's file layout is set to XDG.
void install();
// Writes what changed and closes the configuration, while the application still runs: a
// failure to write (a read-only disk) is then written to standard error, not shown in a window
// as the toolkit winds down.
void close();
// What went wrong when the file was opened; empty once asked, or when nothing did.
wxString takeProblem();

// The preferences config holds; a value it holds that is out of range or not understood is
// left at its default and named in problem.
SPreferences load(wxConfigBase& config, wxString* problem);
// Writes the preferences and flushes the file. False with a message when the file could not
// be written. The first save after install() found a problem replaces (and deletes) config
// with a configuration on a new file.
bool save(wxConfigBase& config, const SPreferences& preferences, wxString* problem);

} // namespace userPreferences

#endif
