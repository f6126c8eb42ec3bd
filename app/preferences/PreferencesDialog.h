#ifndef FLIT_APP_PREFERENCESDIALOG_H
#define FLIT_APP_PREFERENCESDIALOG_H

#include "preferences/Preferences.h"

#include <wx/dialog.h>

#include <functional>
#include <string>
#include <vector>

class wxCheckBox;
class wxChoice;
class wxColourPickerCtrl;
class wxFontPickerCtrl;
class wxSpinCtrl;

// The Preferences dialog. Every change is passed on at once (the reader applies and saves it
// while the dialog is still open), so the dialog has only a Close button.
class CPreferencesDialog : public wxDialog {
public:
    using Apply = std::function<void(const SPreferences&)>;

    CPreferencesDialog(wxWindow* parent, const SPreferences& preferences, Apply apply);

    // The preferences as the controls show them.
    SPreferences getPreferences() const;

private:
    void onChange();
    void showFixationChoices();

    SPreferences shown;
    Apply apply;
    wxSpinCtrl* speed;
    wxSpinCtrl* wordLength;
    wxFontPickerCtrl* font;
    wxChoice* theme;
    wxCheckBox* fixation;
    wxCheckBox* themeAccent;
    wxColourPickerCtrl* fixationColour;
    wxChoice* pauseContext;
    wxChoice* count;
    wxChoice* hyphenate;
    wxChoice* language;
    wxCheckBox* reopenLast;
    wxSpinCtrl* wordsPerFlash;
    wxCheckBox* cutForReading;
    // The language tags the language choice offers after "From the document".
    std::vector<std::string> languages;
    wxChoice* voice;
    // The identifiers of the voices the voice choice offers after its first entry.
    std::vector<std::string> voices;
};

#endif
