#include "DebugTestSupport.h"

#include "outside/DataManager.h"
#include "support/TestHost.h"

#include <wx/frame.h>

namespace {

std::vector<wxString> shown(CFEMetricsPanel* page) {
    std::vector<wxString> texts;
    for (wxTextCtrl* field : childrenOf<wxTextCtrl>(page)) {
        texts.push_back(field->GetValue());
    }
    return texts;
}

std::vector<wxString> figuresOf(const CFlitMetricsData& metrics) {
    return {wxString::Format("%u", metrics.getNumWordsDisplayed()),
            wxString::Format("%u", metrics.getDurationInMillisecs()),
            wxString::Format("%u", metrics.calcWpmSpeed())};
}

TEST_F(DebugDialogTest, MetricsPageShowsZerosBeforeAnyReadingAndTakesNoInput) {
    const std::vector<wxStaticText*> labels = childrenOf<wxStaticText>(metricsPage());
    ASSERT_EQ(3u, labels.size());
    EXPECT_EQ("# Words Displayed:", labels[0]->GetLabel());
    EXPECT_EQ("Duration (millisecs):", labels[1]->GetLabel());
    EXPECT_EQ("Speed (WPM):", labels[2]->GetLabel());

    EXPECT_EQ((std::vector<wxString>{"0", "0", "0"}), shown(metricsPage()));
    for (wxTextCtrl* field : childrenOf<wxTextCtrl>(metricsPage())) {
        EXPECT_FALSE(field->IsEditable());
    }
    EXPECT_TRUE(metricsPage()->TransferDataFromWindow());
    EXPECT_EQ(0u, manager.getFlitMetricsData()->getNumWordsDisplayed());
}

TEST(MetricsPanelTest, UnboundPageLeavesItsFieldsEmpty) {
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "metrics");
    CFEMetricsPanel* page =
        new CFEMetricsPanel(frame, 1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    EXPECT_TRUE(page->TransferDataToWindow());
    EXPECT_EQ((std::vector<wxString>{"", "", ""}), shown(page));
    delete frame;
}

// A reading through a real engine: the page shows what the metrics report once the reading is
// stopped, each transfer replacing the whole text.
TEST_F(DebugDialogTest, MetricsPageShowsTheFiguresOfTheLastReading) {
    CZeroTimingTable zeroTiming;
    CTestHost host;
    CDataManager document;
    wxCDataInfoListNode* first = document.appendWord("Gulls");
    for (const char* word : {"over", "the", "grey", "harbour"}) {
        document.appendSpace();
        document.appendWord(word);
    }
    CFlitManager engine;
    host.attach(&engine);
    ASSERT_TRUE(
        engine.initialize(&document, host.mainFrame(), host.flitView(), host.assessmentView()));
    ASSERT_TRUE(dialog->initialize(&engine));

    host.send(engine, EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) == 1; }));
    host.send(engine, EVT_FLIT_COMMAND_STOP_MSG);
    EXPECT_EQ((std::vector<wxString>{"0", "0", "0"}), shown(metricsPage()))
        << "the page does not refresh by itself";

    const CFlitMetricsData& metrics = *engine.getFlitMetricsData();
    EXPECT_EQ(5u, metrics.getNumWordsDisplayed());
    EXPECT_TRUE(dialog->TransferDataToWindow());
    EXPECT_EQ(figuresOf(metrics), shown(metricsPage()));
    EXPECT_TRUE(dialog->TransferDataToWindow());
    EXPECT_EQ(figuresOf(metrics), shown(metricsPage()));

    delete dialog; // before the engine it is bound to
    dialog = nullptr;
    host.attach(nullptr);
}

} // namespace
