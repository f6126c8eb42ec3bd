#include "DebugTestSupport.h"

#include "outside/DataManager.h"
#include "support/TestHost.h"

#include <wx/frame.h>
#include <wx/scopedptr.h>

namespace {

std::vector<wxString> shown(CFEMetricsPanel* page) {
    std::vector<wxString> texts;
    for (wxTextCtrl* field : childrenOf<wxTextCtrl>(page)) {
        texts.push_back(field->GetValue());
    }
    return texts;
}

TEST(MetricsPanelTest, AnUnboundPageLeavesItsFieldsEmpty) {
    wxScopedPtr<wxFrame> frame(new wxFrame(nullptr, wxID_ANY, "metrics"));
    CFEMetricsPanel* page = new CFEMetricsPanel(frame.get(), 1, wxDefaultPosition, wxDefaultSize,
                                                wxTAB_TRAVERSAL, "panel");
    EXPECT_TRUE(page->TransferDataToWindow());
    EXPECT_EQ((std::vector<wxString>{"", "", ""}), shown(page));
}

// Zeros before any reading; after a reading through a real engine, once the dialog transfers
// again, what the metrics report. Nothing typed reaches the metrics.
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
    EXPECT_EQ((std::vector<wxString>{"0", "0", "0"}), shown(metricsPage()));
    for (wxTextCtrl* field : childrenOf<wxTextCtrl>(metricsPage())) {
        EXPECT_FALSE(field->IsEditable());
    }

    host.send(engine, EVT_FLIT_COMMAND_START_MSG, first);
    ASSERT_TRUE(host.waitFor([&] { return host.countOf(EVT_FLIT_COMMAND_DONE_MSG) == 1; }));
    host.send(engine, EVT_FLIT_COMMAND_STOP_MSG);
    const CFlitMetricsData& metrics = *engine.getFlitMetricsData();
    const std::vector<wxString> figures = {wxString::Format("%u", metrics.getNumWordsDisplayed()),
                                           wxString::Format("%u", metrics.getDurationInMillisecs()),
                                           wxString::Format("%u", metrics.calcWpmSpeed())};
    EXPECT_EQ("5", figures[0]);
    for (int transfer = 0; transfer < 2; ++transfer) {
        EXPECT_TRUE(dialog->TransferDataToWindow());
        EXPECT_EQ(figures, shown(metricsPage()));
    }
    EXPECT_TRUE(metricsPage()->TransferDataFromWindow());
    EXPECT_EQ(5u, metrics.getNumWordsDisplayed());

    delete dialog; // before the engine it is bound to
    dialog = nullptr;
    host.attach(nullptr);
}

} // namespace
