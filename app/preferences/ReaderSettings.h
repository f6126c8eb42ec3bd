#ifndef FLIT_APP_READERSETTINGS_H
#define FLIT_APP_READERSETTINGS_H

#include "preferences/Preferences.h"

#include <wx/string.h>
#include <wx/timer.h>

#include <string>
#include <vector>

struct SReaderOptions;
class CDataManager;
class CFlitManager;
class CFlitView;
class CMessageBar;
class CReadingNavigator;
class wxMenuBar;

// The preferences the reader runs by: loaded at the start (what the command line asks for
// holds for the run), saved when the user changes one (a run of speed changes once it ends),
// and applied to the engine, the view and the menus. Only the preferences changed are saved,
// so that another reader's changes to the others stay. A preference that cannot be saved is
// warned of in the message bar.
class CReaderSettings {
public:
    CReaderSettings(const SReaderOptions& options, CMessageBar& messages);

    const SPreferences& get() const { return preferences; }
    // What was wrong with the stored preferences, if anything.
    const wxString& getLoadProblem() const { return loadProblem; }

    // Takes preferences the user chose and saves them; false when nothing changed.
    bool choose(const SPreferences& chosen);
    void setWordLength(unsigned int length);
    // Takes the speed at once; saves it once the presses stop (ten in a second write it once).
    void setSpeed(unsigned int speed);
    // Saves a speed change still waiting to be saved.
    void saveWaitingSpeed();

    // To the engine and the navigator (when a document is open), the view and the menus.
    void apply(CFlitManager* manager, CReadingNavigator* navigator, const CDataManager* document,
               CFlitView* view, wxMenuBar* bar);
    // How words are measured and long words cut, to the engine and the time left.
    void applyFlashRules(CFlitManager* manager, CReadingNavigator* navigator,
                         const CDataManager* document);

private:
    void save();

    CMessageBar& messages;
    SPreferences preferences;
    // The preferences as last saved (at first as loaded, with the command line's): a save
    // writes what differs from them, and the values the file held that were not understood.
    SPreferences saved;
    std::vector<std::string> notUnderstood;
    wxString loadProblem;
    // Saves the speed once a run of speed changes has ended, rather than at every key.
    wxTimer speedSaveTimer;
};

#endif
