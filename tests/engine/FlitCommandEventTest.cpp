#include "engine/FlitCommandEvent.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

std::vector<int> eventTypesSeenElsewhere();

namespace {

wxCDataInfoListNode* fakeNode() {
    // Events never dereference their node; any distinct address will do.
    static int anchor;
    return reinterpret_cast<wxCDataInfoListNode*>(&anchor);
}

TEST(FlitCommandEventTest, TypesAreDistinctAndTheSameInEverySourceFile) {
    const std::vector<int> here = {EVT_FLIT_COMMAND_DONE_MSG, EVT_FLIT_COMMAND_START_MSG,
                                   EVT_FLIT_COMMAND_RETURN_TO_PREVIOUS_APP_MSG};
    const std::vector<int> elsewhere = eventTypesSeenElsewhere();
    ASSERT_EQ(27u, elsewhere.size());
    EXPECT_EQ(27u, std::set<int>(elsewhere.begin(), elsewhere.end()).size());
    EXPECT_EQ(here[0], elsewhere.front());
    EXPECT_EQ(here[1], elsewhere[21]);
    EXPECT_EQ(here[2], elsewhere.back());
    // Assigned in the published order, one after another.
    for (size_t i = 1; i < elsewhere.size(); ++i) {
        EXPECT_GT(elsewhere[i], elsewhere[i - 1]);
    }
}

TEST(FlitCommandEventTest, NewAndResetEventsCarryTheDefaults) {
    CFlitCommandEvent event(EVT_FLIT_COMMAND_WORD_MSG);
    EXPECT_EQ(EVT_FLIT_COMMAND_WORD_MSG, event.GetEventType());
    EXPECT_EQ(0, event.GetId());
    EXPECT_TRUE(event.text.empty());
    EXPECT_EQ(-1, event.number);
    EXPECT_FALSE(event.colour.IsOk());
    EXPECT_EQ(nullptr, event.dataInfoListNode);
    EXPECT_FALSE(event.waitsForRender());

    event.text = "word";
    event.number = 3;
    event.colour = *wxRED;
    event.dataInfoListNode = fakeNode();
    event.zeroInit();
    EXPECT_TRUE(event.text.empty());
    EXPECT_EQ(-1, event.number);
    EXPECT_FALSE(event.colour.IsOk());
    EXPECT_EQ(nullptr, event.dataInfoListNode);
    EXPECT_EQ(EVT_FLIT_COMMAND_WORD_MSG, event.GetEventType());
}

TEST(FlitCommandEventTest, CloneCarriesEverythingAndSharesNoColourData) {
    CFlitCommandEvent event(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
    event.text = "Ärger";
    event.number = 1;
    event.colour = wxColour(10, 20, 30, 40);
    event.dataInfoListNode = fakeNode();
    event.SetExtraLong(7);

    std::unique_ptr<wxEvent> cloned(event.Clone());
    auto* clone = dynamic_cast<CFlitCommandEvent*>(cloned.get());
    ASSERT_NE(nullptr, clone);
    EXPECT_EQ(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG, clone->GetEventType());
    EXPECT_EQ(0, clone->GetId());
    EXPECT_EQ(event.text, clone->text);
    EXPECT_EQ(1, clone->number);
    EXPECT_EQ(wxColour(10, 20, 30, 40), clone->colour);
    EXPECT_EQ(40, clone->colour.Alpha());
    EXPECT_EQ(fakeNode(), clone->dataInfoListNode);
    EXPECT_EQ(7, clone->getRenderTicket());
    // The clone is handled on another thread: it must own its colour data.
    EXPECT_NE(event.colour.GetRefData(), clone->colour.GetRefData());
}

TEST(FlitCommandEventTest, AssignmentCopiesTheFourFieldsOnly) {
    CFlitCommandEvent source(EVT_FLIT_COMMAND_PAGE_NUM_MSG);
    source.text = "12";
    source.number = 12;
    source.colour = *wxBLUE;
    source.dataInfoListNode = fakeNode();

    CFlitCommandEvent target(EVT_FLIT_COMMAND_SPEED_MSG);
    target.SetId(7);
    target = source;
    EXPECT_EQ(EVT_FLIT_COMMAND_SPEED_MSG, target.GetEventType());
    EXPECT_EQ(7, target.GetId());
    EXPECT_EQ("12", target.text);
    EXPECT_EQ(12, target.number);
    EXPECT_EQ(*wxBLUE, target.colour);
    EXPECT_EQ(fakeNode(), target.dataInfoListNode);

    // An unset colour stays unset.
    CFlitCommandEvent plain(EVT_FLIT_COMMAND_DONE_MSG);
    target = plain;
    EXPECT_FALSE(target.colour.IsOk());
}

} // namespace
