#include "engine/FlitCommandEvent.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

TEST(FlitCommandEventTest, EveryPublishedTypeIsDistinct) {
    std::set<int> types;
    for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
        types.insert(*entry.type);
    }
    EXPECT_EQ(static_cast<size_t>(CFlitCommandEvent::kEventTypeCount), types.size());
}

// A clone carries the event whole; an assignment copies the four fields and keeps the target's
// type and id.
TEST(FlitCommandEventTest, CloneCarriesEverythingAndSharesNoColourData) {
    CFlitCommandEvent event(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
    event.text = "Ärger";
    event.number = 1;
    event.colour = wxColour(10, 20, 30, 40);
    static int anchor;
    event.dataInfoListNode = reinterpret_cast<wxCDataInfoListNode*>(&anchor);
    event.SetExtraLong(7);

    std::unique_ptr<wxEvent> cloned(event.Clone());
    auto* clone = dynamic_cast<CFlitCommandEvent*>(cloned.get());
    ASSERT_NE(nullptr, clone);
    EXPECT_EQ(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG, clone->GetEventType());
    EXPECT_EQ(event.text, clone->text);
    EXPECT_EQ(1, clone->number);
    EXPECT_EQ(wxColour(10, 20, 30, 40), clone->colour);
    EXPECT_EQ(40, clone->colour.Alpha());
    EXPECT_EQ(event.dataInfoListNode, clone->dataInfoListNode);
    EXPECT_EQ(7, clone->getRenderTicket());
    // The clone is handled on another thread: it must own its colour data.
    EXPECT_NE(event.colour.GetRefData(), clone->colour.GetRefData());

    CFlitCommandEvent target(EVT_FLIT_COMMAND_SPEED_MSG);
    target.SetId(7);
    target = event;
    EXPECT_EQ(EVT_FLIT_COMMAND_SPEED_MSG, target.GetEventType());
    EXPECT_EQ(7, target.GetId());
    EXPECT_EQ(event.text, target.text);
    EXPECT_EQ(1, target.number);
    EXPECT_EQ(event.dataInfoListNode, target.dataInfoListNode);
    // An unset colour stays unset.
    target = CFlitCommandEvent(EVT_FLIT_COMMAND_DONE_MSG);
    EXPECT_FALSE(target.colour.IsOk());
}

} // namespace
