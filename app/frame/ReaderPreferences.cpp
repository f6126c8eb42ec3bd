// The reader's main window: its preferences (the View menu, the Preferences dialog) and the
// statistics window.

#include "frame/ReaderFrame.h"

#include "frame/PauseWhileModal.h"

#include "frame/PauseWhileModal.h"
#include "frame/ReaderFrameIds.h"
#include "library/Library.h"
#include "library/StatisticsDialog.h"
#include "preferences/HyphenationLoading.h"
#include "preferences/PreferencesDialog.h"
#include "reading/ReadingNavigator.h"
#include "view/FlitView.h"

#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/outside/DataManager.h>

#include <wx/config.h>
#include <wx/infobar.h>
#include <wx/menu.h>
#include <wx/utils.h>

wxMenu* CReaderFrame::createViewMenu() {
    wxMenu* view = new wxMenu;
    wxMenu* themes = new wxMenu;
    for (int theme = 0; theme < eThemeCount; ++theme) {
        themes->AppendRadioItem(ID_THEME_FIRST + theme, themeOf(theme).label);
    }
    view->AppendSubMenu(themes, "&Theme");
    view->AppendCheckItem(ID_PREFERENCES_FIXATION, "&Fixation Point",
                          "Mark the letter the eye rests on, with guide marks above and below");
    view->AppendCheckItem(ID_FULL_SCREEN, "F&ull Screen (F11)",
                          "Only the word, the progress bar and the status bar (Esc leaves it)");
    view->AppendSeparator();
    view->Append(ID_STATISTICS, "&Statistics...",
                 "The words read per day and the speed of each session, from the library");

    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            SPreferences chosen = preferences;
            chosen.theme = event.GetId() - ID_THEME_FIRST;
            setPreferences(chosen);
        },
        ID_THEME_FIRST, ID_THEME_LAST);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            SPreferences chosen = preferences;
            chosen.fixation = event.IsChecked();
            setPreferences(chosen);
        },
        ID_PREFERENCES_FIXATION);
    return view;
}

void CReaderFrame::setPreferences(const SPreferences& chosen) {
    if (chosen == preferences) {
        return;
    }
    preferences = chosen;
    savePreferences();
    applyPreferences();
}

void CReaderFrame::savePreferences() {
    wxString problem;
    if (!userPreferences::save(*wxConfigBase::Get(), preferences, &problem)) {
        refusal = problem;
        infoBar->ShowMessage(refusal, wxICON_WARNING);
    }
}

void CReaderFrame::applyPreferences() {
    wordDisplayLength = preferences.wordLength;
    if (manager) {
        if (manager->getTargetSpeed() != static_cast<int>(preferences.speed)) {
            manager->setTargetSpeed(preferences.speed);
            flitView->setSpeed(manager->getTargetSpeed());
        }
        manager->setWordDisplayLength(wordDisplayLength);
    }
    applyFlashRules();
    const STheme& theme = themeOf(preferences.theme);
    flitView->setColours(theme.background, theme.word, theme.dim);
    flitView->setFixationEnabled(preferences.fixation);
    flitView->setFixationColour(preferences.fixationColourShown());
    wxFontInfo font(preferences.fontSize);
    if (preferences.fontFace.empty()) {
        font.Family(wxFONTFAMILY_SWISS);
    } else {
        font.FaceName(preferences.fontFace);
    }
    flitView->setWordFont(wxFont(font));
    wxMenuBar* bar = GetMenuBar();
    bar->Check(ID_THEME_FIRST + preferences.theme, true);
    bar->Check(ID_PREFERENCES_FIXATION, preferences.fixation);
    if (reading == ePaused || reading == eStopped) {
        // The context shown follows the choice at once.
        showPausedContext(resumeNode != nullptr ? resumeNode
                          : reading == ePaused  ? lastWordNode
                                                : positionNode());
    }
    flitView->Refresh();
    updateStatus();
}

void CReaderFrame::applyFlashRules() {
    const CHyphenation* hyphenation = nullptr;
    wxString notice;
    if (preferences.hyphenate && document) {
        const std::string language = preferences.hyphenationLanguage(document->getLanguage());
        if (hyphenationLoading::isReady(language)) {
            hyphenation = CHyphenation::forLanguage(language, &notice);
        } else {
            // A large dictionary takes seconds to load: long words are cut at the display length
            // until it is loaded, and the rules are applied again then.
            hyphenationLoading::start(language);
            notice = wxString::Format(_("Loading the hyphenation dictionary for \"%s\"..."),
                                      wxString::FromUTF8(language));
        }
    }
    // Each notice is said once; the loading one goes when the load is done.
    if (notice != hyphenationNotice) {
        if (!notice.empty()) {
            infoBar->ShowMessage(notice, wxICON_INFORMATION);
        } else if (infoBar->IsShown()) {
            infoBar->Dismiss();
        }
        hyphenationNotice = notice;
    }
    if (manager) {
        manager->setLengthUnit(preferences.count);
        manager->setHyphenation(hyphenation);
    }
    if (navigator) {
        navigator->setFlashRules(preferences.count, hyphenation);
    }
}

void CReaderFrame::onPreferences(wxCommandEvent&) {
    CPauseWhileModal pause(this);
    CPreferencesDialog dialog(this, preferences,
                              [this](const SPreferences& chosen) { setPreferences(chosen); });
    dialog.ShowModal();
}

void CReaderFrame::onStatistics(wxCommandEvent&) {
    CPauseWhileModal pause(this);
    CStatisticsDialog dialog(this, *getLibrary());
    dialog.ShowModal();
}
