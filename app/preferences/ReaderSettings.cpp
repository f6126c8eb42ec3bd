#include "preferences/ReaderSettings.h"

#include "ReaderOptions.h"
#include "frame/MessageBar.h"
#include "frame/ReaderFrameIds.h"
#include "preferences/HyphenationLoading.h"
#include "reading/ReadingNavigator.h"
#include "view/FlitView.h"
#include "view/Themes.h"

#include <flitengine/engine/FlashedWords.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/MessageText.h>

#include <wx/config.h>
#include <wx/defs.h>
#include <wx/font.h>
#include <wx/intl.h>
#include <wx/menu.h>

#include <string>

namespace {

// How long after the last speed change the speed is saved.
const int kSpeedSaveDelayMs = 700;

} // namespace

CReaderSettings::CReaderSettings(const SReaderOptions& options, CMessageBar& messageBar)
    : messages(messageBar) {
    loadProblem = userPreferences::takeProblem();
    wxString valuesProblem;
    preferences = userPreferences::load(*wxConfigBase::Get(), &valuesProblem, &notUnderstood);
    if (loadProblem.empty()) {
        loadProblem = valuesProblem;
    }
    if (options.wpm > 0) {
        preferences.speed = static_cast<unsigned int>(options.wpm);
    }
    if (options.wordLengthGiven) {
        preferences.wordLength = static_cast<unsigned int>(options.wordLength);
    }
    options.overrideFlashRules(&preferences);
    if (options.wordsPerFlash > 0) {
        preferences.wordsPerFlash = static_cast<unsigned int>(options.wordsPerFlash);
    }
    saved = preferences;
    speedSaveTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { save(); });
}

bool CReaderSettings::choose(const SPreferences& chosen) {
    if (chosen == preferences) {
        return false;
    }
    preferences = chosen;
    save();
    return true;
}

void CReaderSettings::setWordLength(unsigned int length) {
    preferences.wordLength = length;
    save();
}

void CReaderSettings::setSpeed(unsigned int speed) {
    preferences.speed = speed;
    speedSaveTimer.StartOnce(kSpeedSaveDelayMs);
}

void CReaderSettings::saveWaitingSpeed() {
    if (speedSaveTimer.IsRunning()) {
        speedSaveTimer.Stop();
        save();
    }
}

void CReaderSettings::save() {
    wxString problem;
    if (!userPreferences::save(*wxConfigBase::Get(), saved, preferences, &problem, notUnderstood)) {
        if (!problem.empty()) {
            messages.show(problem, wxICON_WARNING);
        }
        return;
    }
    saved = preferences;
    notUnderstood.clear();
}

void CReaderSettings::apply(CFlitManager* manager, CReadingNavigator* navigator,
                            const CDataManager* document, CFlitView* view, wxMenuBar* bar) {
    if (manager != nullptr) {
        if (manager->getTargetSpeed() != static_cast<int>(preferences.speed)) {
            manager->setTargetSpeed(preferences.speed);
            view->setSpeed(manager->getTargetSpeed());
        }
        manager->setWordDisplayLength(preferences.wordLength);
    }
    applyFlashRules(manager, navigator, document);
    const STheme& theme = themeOf(preferences.theme);
    view->setColours(theme.background, theme.word, theme.dim);
    view->setFaintColour(theme.faint);
    view->setNeighboursShown(preferences.neighbourWords);
    view->setFixationEnabled(preferences.fixation);
    view->setFixationColour(preferences.fixationColourShown());
    wxFontInfo font(preferences.fontSize);
    if (preferences.fontFace.empty()) {
        font.Family(wxFONTFAMILY_SWISS);
    } else {
        font.FaceName(preferences.fontFace);
    }
    view->setWordFont(wxFont(font));
    bar->Check(ID_THEME_FIRST + preferences.theme, true);
    bar->Check(ID_PREFERENCES_FIXATION, preferences.fixation);
    bar->Check(ID_WORDS_PER_FLASH_FIRST + static_cast<int>(preferences.wordsPerFlash) - 1, true);
    bar->Check(ID_NEIGHBOUR_WORDS, preferences.neighbourWords);
    bar->Check(ID_PAGE_PANE, preferences.pagePane);
}

void CReaderSettings::applyFlashRules(CFlitManager* manager, CReadingNavigator* navigator,
                                      const CDataManager* document) {
    const CHyphenation* hyphenation = nullptr;
    wxString notice;
    // The cut for reading takes syllables wherever a dictionary is installed, and says nothing
    // of one that is not: only asking to hyphenate asks for the dictionary.
    const bool cutForReading = preferences.cutForReading;
    if ((preferences.hyphenate || cutForReading) && document != nullptr) {
        const std::string language = preferences.hyphenationLanguage(document->getLanguage());
        if (hyphenationLoading::isReady(language)) {
            hyphenation = CHyphenation::forLanguage(language, &notice);
        } else {
            // A large dictionary takes seconds to load: long words are cut at the display length
            // until it is loaded, and the rules are applied again then.
            hyphenationLoading::start(language);
            notice = wxString::Format(_("Loading the hyphenation dictionary for \"%s\"..."),
                                      CMessageText::cut(language.data(), language.size()));
        }
    }
    if (!preferences.hyphenate) {
        notice.clear();
    }
    // Each notice is said once; the loading one goes when the load is done.
    messages.sayNotice(notice);
    const eChunkCut cut = cutForReading ? eCutForReading : eCutAtLength;
    if (manager != nullptr) {
        manager->setLengthUnit(preferences.count);
        manager->setHyphenation(hyphenation);
        manager->setWordsPerFlash(preferences.wordsPerFlash);
        manager->setChunkCut(cut);
    }
    if (navigator != nullptr) {
        navigator->setFlashRules(preferences.count, hyphenation, cut);
    }
}
