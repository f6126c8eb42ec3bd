#include "frame/ReaderStatus.h"

#include "reading/ChapterIndex.h"
#include "reading/LinkNotices.h"
#include "reading/ReadingNavigator.h"
#include "reading/ShownWordCounter.h"
#include "view/ProgressStrip.h"

#include <flitengine/engine/FlitManager.h>

#include <wx/frame.h>
#include <wx/numformatter.h>
#include <wx/statusbr.h>
#include <wx/wupdlock.h>

#include <algorithm>
#include <chrono>
#include <utility>

wxString formatDuration(unsigned long long milliseconds) {
    const unsigned long long seconds = (milliseconds + 500) / 1000;
    return wxString::Format("%llu:%02llu:%02llu", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

wxString formatCount(size_t count) {
    return wxNumberFormatter::ToString(static_cast<wxLongLong_t>(count),
                                       wxNumberFormatter::Style_WithThousandsSep);
}

CReaderStatus::CReaderStatus(wxFrame* statusFrame, CProgressStrip* strip,
                             std::function<void()> onTimer)
    : frame(statusFrame), progress(strip) {
    frame->CreateStatusBar(eFieldCount);
    const int widths[eFieldCount] = {-2, -2, -3, -2, -3, -4};
    frame->GetStatusBar()->SetStatusWidths(eFieldCount, widths);
    timer.Bind(wxEVT_TIMER, [onTimer = std::move(onTimer)](wxTimerEvent&) { onTimer(); });
}

void CReaderStatus::showNothingOpen() {
    due = false;
    wxWindowUpdateLocker frozen(frame->GetStatusBar());
    frame->SetStatusText("Open a text to read (Ctrl+O)", eFieldSpeed);
    frame->SetStatusText(note, eFieldChapter);
}

void CReaderStatus::showOpening() {
    due = false;
    wxWindowUpdateLocker frozen(frame->GetStatusBar());
    const wxString unknown = wxString::FromUTF8("\u2026");
    for (const int field : {eFieldSpeed, eFieldWords, eFieldTimeLeft}) {
        frame->SetStatusText(unknown, field);
    }
    for (const int field : {eFieldPage, eFieldAchieved, eFieldChapter}) {
        frame->SetStatusText(wxString(), field);
    }
}

void CReaderStatus::show(const SStatusFigures& figures) {
    due = false;
    // The status bar repaints each field it is given at once; frozen, it repaints once, when
    // the toolkit next draws, rather than holding the GUI thread once per field.
    wxWindowUpdateLocker frozen(frame->GetStatusBar());
    frame->SetStatusText(wxString::Format("%d wpm", figures.speed), eFieldSpeed);
    frame->SetStatusText(pageNumber > 0 ? wxString::Format("Page %d", pageNumber) : wxString(),
                         eFieldPage);
    frame->SetStatusText(wxString::Format("Word %s of %s", formatCount(figures.position),
                                          formatCount(figures.total)),
                         eFieldWords);
    if (!saying.empty() && std::chrono::steady_clock::now() < sayingUntil) {
        frame->SetStatusText(saying, eFieldChapter);
    } else if (!figures.link.empty()) {
        frame->SetStatusText(figures.link, eFieldChapter);
    } else if (!note.empty() || !figures.hasChapters) {
        frame->SetStatusText(note, eFieldChapter);
    } else {
        frame->SetStatusText(figures.chapter, eFieldChapter);
    }
    progress->setValue(
        figures.total == 0
            ? 0
            : static_cast<int>(figures.position * CProgressStrip::kRange / figures.total));
    frame->SetStatusText(
        (figures.timeLeftKnown ? formatDuration(figures.timeLeftMs) : wxString(L"\u2026")) +
            " left",
        eFieldTimeLeft);
    frame->SetStatusText(figures.achievedShown
                             ? wxString::Format("Achieved %u wpm", figures.achieved)
                             : figures.speech,
                         eFieldAchieved);
}

void CReaderStatus::showNote(const wxString& text) {
    note = text;
    frame->SetStatusText(note, eFieldChapter);
}

void CReaderStatus::say(const wxString& text) {
    frame->SetStatusText(text, eFieldChapter);
}

void CReaderStatus::sayAwhile(const wxString& text) {
    // Long enough to be read, whatever the updates do meanwhile.
    saying = text;
    sayingUntil = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    say(text);
}

size_t CReaderStatus::wordsBefore(CReadingNavigator& navigator, wxCDataInfoListNode* node) {
    if (node != counted) {
        counted = node;
        countedWordsBefore = navigator.wordsBefore(node);
    }
    return countedWordsBefore;
}

void CReaderStatus::startUpdates() {
    timer.Start(static_cast<int>(CFlitManager::kTimerDelayInMilliseconds));
}

void CReaderStatus::updateOnceIn(int milliseconds) {
    timer.StartOnce(milliseconds);
}

void CReaderStatus::showReading(const SStatusSources& from) {
    SStatusFigures figures;
    figures.speed = from.manager->getTargetSpeed();
    // One position for the words field and the progress bar: the word on screen, or the word
    // a move chose (marked in the context), counted from 1.
    figures.total = from.navigator->getWordCount();
    figures.position = figures.total;
    wxCDataInfoListNode* shown = from.counter->getShownNode();
    if (!from.finished) {
        wxCDataInfoListNode* at = from.chosen ? from.chosen : shown;
        const size_t position = at == nullptr
                                    ? 0
                                    : wordsBefore(*from.navigator, at) + 1 +
                                          (from.chosen ? 0 : from.counter->getWordOfItem());
        figures.position = std::min(position, figures.total);
        if (figures.position > 0) {
            // The page follows every move, not only the page markers read.
            pageNumber = from.navigator->pageOfWord(figures.position - 1);
        }
    }
    figures.link = from.links->linkNotice(std::chrono::steady_clock::now());
    figures.hasChapters = !from.chapters->empty();
    if (figures.link.empty() && figures.hasChapters) {
        wxCDataInfoListNode* at = from.finished ? nullptr : from.chosen ? from.chosen : shown;
        const size_t chapter =
            from.chapters->chapterAt(at, figures.position == 0 ? 0 : figures.position - 1);
        figures.chapter =
            chapter == CChapterIndex::kNone ? wxString() : from.chapters->title(chapter);
    }
    // Modelled as the engine reads: after a restart when not reading now, or on with a ramp
    // that still runs.
    const bool fromRestart = !from.reading;
    const int rampSpeed = !fromRestart && from.counter->rampRuns()
                              ? static_cast<int>(from.manager->getCurrentSpeed())
                              : 0;
    figures.timeLeftMs = from.next == nullptr
                             ? 0
                             : from.navigator->timeLeftMs(from.next, from.manager->getTargetSpeed(),
                                                          from.wordLength, fromRestart, rampSpeed);
    figures.timeLeftKnown = from.navigator->timesKnown();
    const unsigned long long duration =
        from.manager->getFlitMetricsData()->getDurationInMillisecs();
    figures.achievedShown = from.achievedShown && duration > 0;
    figures.achieved = from.counter->achievedSpeed(duration);
    figures.speech = from.speech;
    show(figures);
}
