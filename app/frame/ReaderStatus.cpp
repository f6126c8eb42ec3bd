#include "frame/ReaderStatus.h"

#include "reading/ReadingNavigator.h"
#include "view/ProgressStrip.h"

#include <flitengine/engine/FlitManager.h>

#include <wx/frame.h>
#include <wx/numformatter.h>
#include <wx/statusbr.h>
#include <wx/wupdlock.h>

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
    if (!figures.link.empty()) {
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
    frame->SetStatusText(formatDuration(figures.timeLeftMs) + " left", eFieldTimeLeft);
    frame->SetStatusText(
        figures.achievedShown ? wxString::Format("Achieved %u wpm", figures.achieved) : wxString(),
        eFieldAchieved);
}

void CReaderStatus::showNote(const wxString& text) {
    note = text;
    frame->SetStatusText(note, eFieldChapter);
}

void CReaderStatus::say(const wxString& text) {
    frame->SetStatusText(text, eFieldChapter);
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
