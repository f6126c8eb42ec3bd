#ifndef FLIT_APP_STATISTICSDIALOG_H
#define FLIT_APP_STATISTICSDIALOG_H

#include "library/Library.h"

#include <wx/dialog.h>
#include <wx/window.h>

#include <vector>

// Two charts of the library's reading record over the same days: the words read each day, as
// bars, and the speed achieved in each reading session, as points joined by a line.
class CStatisticsChart : public wxWindow {
public:
    explicit CStatisticsChart(wxWindow* parent);

    // days: one entry per day, oldest first; sessions: oldest first.
    void setRecord(std::vector<CLibrary::SDay> days, std::vector<CLibrary::SSession> sessions);
    bool isEmpty() const;
    // Draws the charts (or, with nothing read, a message) on a canvas of that size.
    void draw(wxDC& dc, const wxSize& size) const;

private:
    void drawWordsPerDay(wxDC& dc, const wxRect& area) const;
    void drawSessionSpeeds(wxDC& dc, const wxRect& area) const;
    // The horizontal place of a moment, days spanning the area's width.
    int xOf(const wxDateTime& moment, const wxRect& area) const;

    std::vector<CLibrary::SDay> days;
    std::vector<CLibrary::SSession> sessions;
};

// View > Statistics: the reading of the last four weeks, from the library.
class CStatisticsDialog : public wxDialog {
public:
    static const int kDaysShown = 28;

    CStatisticsDialog(wxWindow* parent, CLibrary& library);

    const CStatisticsChart* getChart() const { return chart; }

private:
    CStatisticsChart* chart;
};

#endif
