#ifndef FLIT_APP_PREFERENCES_H
#define FLIT_APP_PREFERENCES_H

#include <flitengine/timing/FlitWordCalcs.h>

#include <wx/colour.h>
#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

class wxConfigBase;
class wxFileHistory;

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
    // Started without a document, the reader reopens the last one read, where it was left.
    bool reopenLast = true;
    // Several words per flash: at most this many short words of a line flash at once.
    unsigned int wordsPerFlash = 1;
    // Long words cut for reading (at their own marks, syllables or into even parts; see
    // eCutForReading) rather than exactly as the choice above says.
    bool cutForReading = true;
    // Beside the flash and under it: the word before and the word after, and the page of
    // running text that follows reading.
    bool neighbourWords = false;
    bool pagePane = false;
    // The voice Read Aloud speaks with (a synthesizer voice's identifier, as --voices lists
    // them); empty: the voice of the document's language, else of the system's.
    wxString voice;

    // The language to hyphenate a document in that names documentLanguage (maybe empty).
    std::string hyphenationLanguage(const std::string& documentLanguage) const;

    // The colour the fixation letter is drawn in under the chosen theme.
    wxColour fixationColourShown() const;
    bool operator==(const SPreferences& other) const;
    bool operator!=(const SPreferences& other) const { return !(*this == other); }
};

// The user's preferences file.
//
// Each change writes only the keys it changes, into the file as it is on disk at that moment,
// so that two readers running at once never undo each other's changes (see CPreferencesConfig).
// A file that cannot be read or does not parse is left exactly as it is: the reader starts with
// the defaults, says once what went wrong, and the first preference the user then changes moves
// the old file aside (to the same name with ".unreadable" added) and starts a new one. A file
// written by a newer reader is read for what this one understands and never written, and a
// folder in the file's place is never written into: the reader says so once and keeps changes
// for the run.
namespace userPreferences {

using Change = std::function<void(wxConfigBase&)>;

// Where the preferences file is; follows XDG_CONFIG_HOME.
wxString path();
// Opens the preferences file as the toolkit's configuration (replacing and deleting any other).
// Call once, early, after the application's file layout is set to XDG.
void install();
// Closes the configuration; everything changed was written as it changed.
void close();
// What went wrong when the file was opened; empty once asked, or when nothing did.
wxString takeProblem();

// The preferences config holds; a value it holds that is out of range or not understood is
// left at its default, named in problem, and its key added to notUnderstood (when given).
SPreferences load(wxConfigBase& config, wxString* problem,
                  std::vector<std::string>* notUnderstood = nullptr);
// Writes the preferences that differ between before and after, and those of the keys in
// rewrite (values that were not understood), leaving every other key as the file has it.
// False when the file could not be written, with a message the first time (see
// CPreferencesConfig::apply).
bool save(wxConfigBase& config, const SPreferences& before, const SPreferences& after,
          wxString* problem, const std::vector<std::string>& rewrite = {});
// Makes change in config and, for the reader's preferences file, in the file on disk as it is
// now (config first, then the file: what change reads last is the file's). chosen: the user
// chose the change, rather than the reader keeping something (an unusable file is set aside
// only for the user's choice). Another configuration (a test's) is flushed whole. False with a
// message when it could not be written.
bool write(wxConfigBase& config, const Change& change, wxString* problem, bool chosen = true);
// Changes File > Open Recent's list in the toolkit's configuration: history takes the list as
// the file has it now (another reader's files included), change is made to it, and the list is
// written back. A list that cannot be written is kept for the run.
void changeRecentFiles(wxFileHistory& history, const std::function<void()>& change);

} // namespace userPreferences

#endif
