#include <flitengine/engine/FlitCommandEvent.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <tuple>

namespace {

TEST(FlitCommandEventTest, EveryPublishedTypeIsDistinct) {
    std::set<int> types;
    for (const CFlitCommandEvent::SEventTypeName& entry : CFlitCommandEvent::kEventTypeNames) {
        types.insert(*entry.type);
    }
    EXPECT_EQ(static_cast<size_t>(CFlitCommandEvent::kEventTypeCount), types.size());
}

// What an event carries: type, id, the four fields (the colour's alpha too) and the ticket.
auto fields(const CFlitCommandEvent& e) {
    return std::make_tuple(e.GetEventType(), e.GetId(), e.text, e.number, e.colour,
                           e.colour.Alpha(), e.dataInfoListNode, e.getRenderTicket());
}

// A clone carries the event whole; an assignment copies the four fields and keeps the target's
// type, id and ticket.
TEST(FlitCommandEventTest, CloneCarriesEverythingAndSharesNoColourData) {
    CFlitCommandEvent event(EVT_FLIT_COMMAND_TEXT_COLOUR_MSG);
    event.text = "Ärger";
    event.number = 1;
    event.colour = wxColour(10, 20, 30, 40);
    // Any address will do: the event only carries the node.
    event.dataInfoListNode = reinterpret_cast<wxCDataInfoListNode*>(&event);
    event.SetExtraLong(7);

    std::unique_ptr<wxEvent> cloned(event.Clone());
    auto* clone = dynamic_cast<CFlitCommandEvent*>(cloned.get());
    ASSERT_NE(nullptr, clone);
    EXPECT_EQ(fields(event), fields(*clone));
    // The clone is handled on another thread: it must own its colour data.
    EXPECT_NE(event.colour.GetRefData(), clone->colour.GetRefData());

    CFlitCommandEvent target(EVT_FLIT_COMMAND_SPEED_MSG);
    target.SetId(3);
    target = event;
    EXPECT_EQ(std::make_tuple(EVT_FLIT_COMMAND_SPEED_MSG, 3, event.text, 1, event.colour, 40,
                              event.dataInfoListNode, 0L),
              fields(target));
    // An unset colour stays unset.
    target = CFlitCommandEvent(EVT_FLIT_COMMAND_DONE_MSG);
    EXPECT_FALSE(target.colour.IsOk());
}

} // namespace
