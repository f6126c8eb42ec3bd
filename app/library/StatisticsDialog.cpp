#include "library/StatisticsDialog.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>
#include <wx/numformatter.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include <algorithm>
#include <utility>

namespace {

const int kMargin = 16;
const int kAxisLabelWidth = 64;
const int kTitleHeight = 24;
const int kDateLabelHeight = 20;
const int kPointRadius = 3;
const wxColour kBarColour(70, 130, 200);
const wxColour kSpeedColour(210, 100, 40);
const char* const kEmptyMessage =
    "Nothing read in the last four weeks: the words you read each day and your speed in each "
    "session show here.";

wxString grouped(long long number) {
    return wxNumberFormatter::ToString(static_cast<long>(number),
                                       wxNumberFormatter::Style_WithThousandsSep);
}

} // namespace

CStatisticsChart::CStatisticsChart(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(720, 440), wxFULL_REPAINT_ON_RESIZE,
               "statisticsChart") {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
        wxAutoBufferedPaintDC dc(this);
        draw(dc, GetClientSize());
    });
}

void CStatisticsChart::setRecord(std::vector<CLibrary::SDay> readDays,
                                 std::vector<CLibrary::SSession> readSessions) {
    days = std::move(readDays);
    sessions = std::move(readSessions);
    Refresh();
}

bool CStatisticsChart::isEmpty() const {
    return sessions.empty() &&
           std::none_of(days.begin(), days.end(), [](const auto& day) { return day.words > 0; });
}

void CStatisticsChart::draw(wxDC& dc, const wxSize& size) const {
    dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.Clear();
    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    const wxRect whole = wxRect(size).Deflate(kMargin);
    if (whole.width <= 0 || whole.height <= 0) {
        return;
    }
    if (isEmpty()) {
        dc.DrawLabel(kEmptyMessage, whole, wxALIGN_CENTRE);
        return;
    }
    wxRect top = whole;
    top.height = whole.height / 2 - kMargin / 2;
    wxRect bottom = top;
    bottom.y = whole.GetBottom() - top.height + 1;
    drawWordsPerDay(dc, top);
    drawSessionSpeeds(dc, bottom);
}

int CStatisticsChart::xOf(const wxDateTime& moment, const wxRect& area) const {
    if (days.empty()) {
        return area.x;
    }
    const double spanSeconds = static_cast<double>(days.size()) * 24 * 60 * 60;
    const double offset = (moment - days.front().day).GetSeconds().ToDouble();
    const double part = std::clamp(offset / spanSeconds, 0.0, 1.0);
    return area.x + static_cast<int>(part * area.width);
}

// The plot inside an area: the title above, the scale's labels on the left, the first and last
// day's dates below.
static wxRect plotOf(const wxRect& area) {
    return wxRect(area.x + kAxisLabelWidth, area.y + kTitleHeight, area.width - kAxisLabelWidth,
                  area.height - kTitleHeight - kDateLabelHeight);
}

static void drawFrame(wxDC& dc, const wxRect& area, const wxRect& plot, const wxString& title,
                      long long top) {
    dc.DrawText(title, area.x, area.y);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)));
    dc.DrawLine(plot.GetLeftBottom(), plot.GetBottomRight());
    dc.DrawLine(plot.GetTopLeft(), plot.GetLeftBottom());
    const wxRect scale(area.x, plot.y, kAxisLabelWidth - kMargin / 2, plot.height);
    dc.DrawLabel(grouped(top), scale, wxALIGN_RIGHT | wxALIGN_TOP);
    dc.DrawLabel("0", scale, wxALIGN_RIGHT | wxALIGN_BOTTOM);
}

void CStatisticsChart::drawWordsPerDay(wxDC& dc, const wxRect& area) const {
    const wxRect plot = plotOf(area);
    long long most = 1;
    for (const CLibrary::SDay& day : days) {
        most = std::max(most, day.words);
    }
    drawFrame(dc, area, plot, "Words read per day", most);
    if (days.empty() || plot.height <= 0) {
        return;
    }
    const wxRect dates(plot.x, plot.GetBottom() + 2, plot.width, kDateLabelHeight);
    dc.DrawLabel(days.front().day.Format("%e %b"), dates, wxALIGN_LEFT | wxALIGN_TOP);
    dc.DrawLabel(days.back().day.Format("%e %b"), dates, wxALIGN_RIGHT | wxALIGN_TOP);
    const int slot = plot.width / static_cast<int>(days.size());
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(kBarColour));
    for (size_t index = 0; index < days.size(); ++index) {
        const int height = static_cast<int>(days[index].words * plot.height / most);
        const int x = plot.x + static_cast<int>(index) * slot;
        dc.DrawRectangle(x + 1, plot.GetBottom() - height + 1, std::max(1, slot - 2), height);
    }
}

void CStatisticsChart::drawSessionSpeeds(wxDC& dc, const wxRect& area) const {
    const wxRect plot = plotOf(area);
    unsigned int fastest = 1;
    for (const CLibrary::SSession& session : sessions) {
        fastest = std::max(fastest, session.achievedWpm);
    }
    drawFrame(dc, area, plot, "Speed per session (words per minute)", fastest);
    if (sessions.empty() || plot.height <= 0) {
        return;
    }
    std::vector<wxPoint> points;
    for (const CLibrary::SSession& session : sessions) {
        const int height = static_cast<int>(1LL * session.achievedWpm * plot.height / fastest);
        points.emplace_back(xOf(session.start, plot), plot.GetBottom() - height);
    }
    dc.SetPen(wxPen(kSpeedColour, 2));
    if (points.size() > 1) {
        dc.DrawLines(static_cast<int>(points.size()), points.data());
    }
    dc.SetBrush(wxBrush(kSpeedColour));
    for (const wxPoint& point : points) {
        dc.DrawCircle(point, kPointRadius);
    }
}

CStatisticsDialog::CStatisticsDialog(wxWindow* parent, CLibrary& library)
    : wxDialog(parent, wxID_ANY, "Reading Statistics", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
    chart = new CStatisticsChart(this);
    const wxDateTime since = wxDateTime::Today() - wxDateSpan::Days(kDaysShown - 1);
    chart->setRecord(library.wordsPerDay(since), library.sessionsSince(since));
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(chart, wxSizerFlags(1).Expand().Border(wxALL, kMargin / 2));
    sizer->Add(CreateSeparatedButtonSizer(wxCLOSE), wxSizerFlags().Expand().Border(wxALL, 8));
    SetSizerAndFit(sizer);
    SetEscapeId(wxID_CLOSE);
}
