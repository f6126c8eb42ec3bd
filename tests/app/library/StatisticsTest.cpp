// The statistics window's chart, drawn off screen from a record given to it.

#include "library/StatisticsDialog.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>

namespace {

// The pixels of the image in the bars' colour, the pixels of the speed line's colour.
std::pair<int, int> colouredPixels(const wxImage& image) {
    int bars = 0, speeds = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            const wxColour pixel(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
            bars += pixel == wxColour(70, 130, 200);
            speeds += pixel == wxColour(210, 100, 40);
        }
    }
    return {bars, speeds};
}

// Bars for the days read and points for the sessions, each only when there are some; with
// nothing read, no chart but a message.
TEST(StatisticsChartTest, DrawsWhatWasRead) {
    const wxDateTime first = wxDateTime::Today() - wxDateSpan::Days(27);
    std::vector<CLibrary::SDay> quietDays, readDays;
    for (int day = 0; day < CStatisticsDialog::kDaysShown; ++day) {
        quietDays.push_back({first + wxDateSpan::Days(day), 0});
        readDays.push_back({first + wxDateSpan::Days(day), day % 3 == 0 ? 1500 : 0});
    }
    const CLibrary::SSession session{"", wxDateTime::Now(), 900, 180000, 300};
    const struct {
        const char* name;
        std::vector<CLibrary::SDay> days;
        std::vector<CLibrary::SSession> sessions;
        bool bars, speeds;
    } records[] = {
        {"nothing read", quietDays, {}, false, false},
        {"days read", readDays, {}, true, false},
        {"days and sessions", readDays, {session, session}, true, true},
    };
    wxFrame* parent = new wxFrame(nullptr, wxID_ANY, "statistics");
    CStatisticsChart* chart = new CStatisticsChart(parent);
    for (const auto& record : records) {
        SCOPED_TRACE(record.name);
        chart->setRecord(record.days, record.sessions);
        EXPECT_EQ(!record.bars && !record.speeds, chart->isEmpty());
        wxBitmap bitmap(720, 440);
        {
            wxMemoryDC dc(bitmap);
            chart->draw(dc, bitmap.GetSize());
        }
        const auto [bars, speeds] = colouredPixels(bitmap.ConvertToImage());
        EXPECT_EQ(record.bars, bars > 0);
        EXPECT_EQ(record.speeds, speeds > 0);
    }
    parent->Destroy();
}

} // namespace
