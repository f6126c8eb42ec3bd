#include "frame/ReaderFrame.h"

#include "frame/ReaderFrameIds.h"
#include "reading/ReadingNavigator.h"
#include "view/AssessmentView.h"
#include "view/FlitView.h"
#include "view/ProgressStrip.h"

#include <flitengine/debug/FEDebugDlg.h>
#include <flitengine/engine/FlitCommandEvent.h>
#include <flitengine/engine/FlitManager.h>
#include <flitengine/import/DocumentImporter.h>
#include <flitengine/outside/DataManager.h>
#include <flitengine/outside/Utf8.h>

#include <wx/aboutdlg.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choicdlg.h>
#include <wx/clipbrd.h>
#include <wx/config.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/infobar.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/numdlg.h>
#include <wx/numformatter.h>
#include <wx/sizer.h>
#include <wx/sound.h>
#include <wx/statusbr.h>
#include <wx/wupdlock.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <utility>

wxString formatDuration(unsigned long long milliseconds) {
    const unsigned long long seconds = (milliseconds + 500) / 1000;
    return wxString::Format("%llu:%02llu:%02llu", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

wxString formatCount(size_t count) {
    return wxNumberFormatter::ToString(static_cast<wxLongLong_t>(count),
                                       wxNumberFormatter::Style_WithThousandsSep);
}

void CReaderFrame::countShownChunk(const CFlitCommandEvent& event) {
    wxCDataInfoListNode* node = event.dataInfoListNode;
    // A word longer than the display length comes in chunks of exactly that many characters
    // (at most that many when cut at syllables), each but the last ending in a hyphen, all with
    // the word's node.
    const size_t length = manager->getWordDisplayLength();
    const wxScopedCharBuffer chunk = lastChunk.utf8_str();
    const bool goesOn = node == shownNode && length >= 2 && lastChunk.EndsWith("-") &&
                        (manager->getHyphenation() != nullptr ||
                         CUtf8::countClusters(chunk.data(), chunk.length()) == length);
    if (!goesOn) {
        ++wordsShown;
        // Items other than words (links, email items) show their words with their own node.
        const bool sameItem = node != nullptr && node == shownNode && !lastChunk.empty() &&
                              node->GetData()->getDataInfoType() != eDITWord;
        wordOfItem = sameItem ? wordOfItem + 1 : 0;
    }
    shownNode = node;
    lastChunk = event.text;
    // The engine ends the ramp once it has raised the speed past the target.
    if (manager->getCurrentSpeed() > manager->getTargetSpeed()) {
        rampRunning = false;
    }
}

unsigned int CReaderFrame::achievedSpeed() const {
    const unsigned long long milliseconds = manager->getFlitMetricsData()->getDurationInMillisecs();
    const unsigned long long kMillisecondsPerMinute = 60000;
    return milliseconds == 0
               ? 0
               : static_cast<unsigned int>(wordsShown * kMillisecondsPerMinute / milliseconds);
}

wxString CReaderFrame::getStatusText(int field) const {
    return GetStatusBar()->GetStatusText(field);
}

int CReaderFrame::getProgress() const {
    return progress->getValue();
}

void CReaderFrame::updateStatus() {
    statusDue = false;
    updatePointer();
    // The status bar repaints each field it is given at once; frozen, it repaints once, when
    // the toolkit next draws, rather than holding the GUI thread once per field.
    wxWindowUpdateLocker frozen(GetStatusBar());
    if (!manager || !navigator) {
        SetStatusText("Open a text to read (Ctrl+O)", eFieldSpeed);
        SetStatusText(note, eFieldChapter);
        return;
    }
    SetStatusText(wxString::Format("%d wpm", manager->getTargetSpeed()), eFieldSpeed);
    SetStatusText(pageNumber > 0 ? wxString::Format("Page %d", pageNumber) : wxString(),
                  eFieldPage);

    // One position for the words field and the progress bar: the word on screen, or the word
    // a move chose (marked in the context), counted from 1.
    const size_t total = navigator->getWordCount();
    size_t position = total;
    if (reading != eFinished) {
        wxCDataInfoListNode* at = resumeNode ? resumeNode : shownNode;
        position = at == nullptr ? 0 : wordsBeforeShown(at) + 1 + (resumeNode ? 0 : wordOfItem);
        position = std::min(position, total);
    }
    SetStatusText(wxString::Format("Word %s of %s", formatCount(position), formatCount(total)),
                  eFieldWords);
    if (!linkNotice().empty()) {
        SetStatusText(linkNotice(), eFieldChapter);
    } else if (!note.empty() || chapters.empty()) {
        SetStatusText(note, eFieldChapter);
    } else {
        wxCDataInfoListNode* at = reading == eFinished ? nullptr
                                  : resumeNode         ? resumeNode
                                                       : shownNode;
        const SChapterMark* chapter = chapterAt(at, position == 0 ? 0 : position - 1);
        SetStatusText(chapter ? document->getContents()[chapter->entry].title : wxString(),
                      eFieldChapter);
    }
    progress->setValue(total == 0 ? 0
                                  : static_cast<int>(position * CProgressStrip::kRange / total));

    wxCDataInfoListNode* next = reading == eFinished ? nullptr : positionNode();
    if (reading == eIdle && resumeNode == nullptr) {
        next = document->getFirstNode();
    }
    // Modelled as the engine reads: after a restart when not reading now, or on with a ramp
    // that still runs.
    const bool fromRestart = reading != eReading;
    const int rampSpeed =
        !fromRestart && rampRunning ? static_cast<int>(manager->getCurrentSpeed()) : 0;
    const uint64_t left = next == nullptr
                              ? 0
                              : navigator->timeLeftMs(next, manager->getTargetSpeed(),
                                                      wordDisplayLength, fromRestart, rampSpeed);
    SetStatusText(formatDuration(left) + " left", eFieldTimeLeft);

    const CFlitMetricsData* metrics = manager->getFlitMetricsData();
    if ((reading == eStopped || reading == eFinished) && metrics->getDurationInMillisecs() > 0) {
        SetStatusText(wxString::Format("Achieved %u wpm", achievedSpeed()), eFieldAchieved);
    } else {
        SetStatusText(wxString(), eFieldAchieved);
    }
}

bool CReaderFrame::saveScreenshot(const wxString& path, wxString* error) {
    // Drawn from the windows themselves rather than read back from the screen, which needs no
    // compositor and works the same under a virtual display.
    const wxSize size = GetClientSize();
    wxStatusBar* status = GetStatusBar();
    const int statusHeight = status->GetSize().y;
    wxBitmap bitmap(wxMax(size.x, 1), wxMax(size.y + statusHeight, 1));
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        if (flitView->IsShown()) {
            dc.DrawBitmap(flitView->snapshot(), flitView->GetPosition());
        }
        progress->draw(dc, wxRect(progress->GetPosition(), progress->GetSize()));

        // The status bar's fields below the client area.
        dc.SetBrush(wxBrush(wxColour(242, 242, 242)));
        dc.DrawRectangle(0, size.y, size.x, statusHeight);
        dc.SetFont(status->GetFont());
        dc.SetTextForeground(wxColour(40, 40, 40));
        for (int field = 0; field < status->GetFieldsCount(); ++field) {
            wxRect rect;
            status->GetFieldRect(field, rect);
            const wxString text = status->GetStatusText(field);
            dc.DrawText(text, rect.x + 4, size.y + (statusHeight - dc.GetTextExtent(text).y) / 2);
        }
    }
    wxImage image = bitmap.ConvertToImage();
    if (!image.SaveFile(path, wxBITMAP_TYPE_PNG)) {
        *error = wxString::Format("cannot write the screenshot '%s'", path);
        return false;
    }
    screenshotTaken = true;
    return true;
}
