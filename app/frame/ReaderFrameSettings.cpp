// The reader's main window: what the status bar shows of the reading, and the preferences
// applied to the engine, the view and the menus.

#include "frame/ReaderFrame.h"

#include "frame/ReaderFrameIds.h"
#include "frame/ReaderStatus.h"
#include "frame/ViewComfort.h"
#include "preferences/HyphenationLoading.h"
#include "reading/ReadingNavigator.h"
#include "view/FlitView.h"
#include "view/Themes.h"

#include <flitengine/engine/FlitManager.h>
#include <flitengine/engine/Hyphenation.h>
#include <flitengine/outside/DataManager.h>

#include <wx/config.h>
#include <wx/font.h>
#include <wx/menu.h>

#include <algorithm>
#include <chrono>

void CReaderFrame::updateStatus() {
    comfort->updatePointer();
    if (!manager || !navigator) {
        status->showNothingOpen();
        return;
    }
    SStatusFigures figures;
    figures.speed = manager->getTargetSpeed();
    // One position for the words field and the progress bar: the word on screen, or the word
    // a move chose (marked in the context), counted from 1.
    figures.total = navigator->getWordCount();
    figures.position = figures.total;
    wxCDataInfoListNode* shown = counter.getShownNode();
    if (reading != eFinished) {
        wxCDataInfoListNode* at = resumeNode ? resumeNode : shown;
        const size_t position = at == nullptr ? 0
                                              : status->wordsBefore(*navigator, at) + 1 +
                                                    (resumeNode ? 0 : counter.getWordOfItem());
        figures.position = std::min(position, figures.total);
    }
    figures.link = links.linkNotice(std::chrono::steady_clock::now());
    figures.hasChapters = !chapters.empty();
    if (figures.link.empty() && figures.hasChapters) {
        wxCDataInfoListNode* at = reading == eFinished ? nullptr : resumeNode ? resumeNode : shown;
        const size_t chapter =
            chapters.chapterAt(at, figures.position == 0 ? 0 : figures.position - 1);
        figures.chapter = chapter == CChapterIndex::kNone ? wxString() : chapters.title(chapter);
    }

    wxCDataInfoListNode* next = reading == eFinished ? nullptr : positionNode();
    if (reading == eIdle && resumeNode == nullptr) {
        next = document->getFirstNode();
    }
    // Modelled as the engine reads: after a restart when not reading now, or on with a ramp
    // that still runs.
    const bool fromRestart = reading != eReading;
    const int rampSpeed =
        !fromRestart && counter.rampRuns() ? static_cast<int>(manager->getCurrentSpeed()) : 0;
    figures.timeLeftMs =
        next == nullptr ? 0
                        : navigator->timeLeftMs(next, manager->getTargetSpeed(),
                                                preferences.wordLength, fromRestart, rampSpeed);
    const unsigned long long duration = manager->getFlitMetricsData()->getDurationInMillisecs();
    figures.achievedShown = (reading == eStopped || reading == eFinished) && duration > 0;
    figures.achieved = counter.achievedSpeed(duration);
    status->show(figures);
}

void CReaderFrame::onStatusTimer() {
    // While words flash, the status waits for the next chunk to be on screen: an update takes
    // a millisecond or more of the GUI thread, and coming before a word or a blank it would
    // hold that back. Once a whole period passed without a chunk, it is done at once.
    if (reading == eReading && !status->isDue()) {
        status->markDue();
        return;
    }
    updateStatus();
}

void CReaderFrame::holdStatusUpdates() {
    // Nothing changes while reading is held but a link notice's moment running out.
    status->stopUpdates();
    const long long left = links.noticeLeftMs(std::chrono::steady_clock::now());
    if (left >= 0) {
        status->updateOnceIn(static_cast<int>(left) + 1);
    }
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
        showWarning(problem);
    }
}

void CReaderFrame::applyPreferences() {
    if (manager) {
        if (manager->getTargetSpeed() != static_cast<int>(preferences.speed)) {
            manager->setTargetSpeed(preferences.speed);
            flitView->setSpeed(manager->getTargetSpeed());
        }
        manager->setWordDisplayLength(preferences.wordLength);
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
    messages.sayNotice(notice);
    if (manager) {
        manager->setLengthUnit(preferences.count);
        manager->setHyphenation(hyphenation);
    }
    if (navigator) {
        navigator->setFlashRules(preferences.count, hyphenation);
    }
}
