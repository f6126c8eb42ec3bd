#include <flitengine/engine/FlitManager.h>
#include <flitengine/outside/DataManager.h>

#include <gtest/gtest.h>

#include <wx/log.h>

namespace {

// Each row: an operation, whether it works on the current speed rather than the target, and
// pairs of the speed both speeds start at and the speed it must leave in the one it works on;
// the other must not change. Setting and halving or doubling the target clamp into 100..950; an
// increase or decrease that would leave the range is refused.
TEST(FlitManagerTest, SpeedOperationsKeepTheBounds) {
    using M = CFlitManager;
    const struct {
        void (*operation)(M&);
        bool onCurrent;
        std::vector<std::pair<int, int>> fromTo;
    } cases[] = {
        {[](M& m) { m.setTargetSpeed(50); }, false, {{250, 100}}},
        {[](M& m) { m.setTargetSpeed(100); }, false, {{250, 100}}},
        {[](M& m) { m.setTargetSpeed(950); }, false, {{250, 950}}},
        {[](M& m) { m.setTargetSpeed(2000); }, false, {{250, 950}}},
        {[](M& m) { m.increaseTargetSpeed(25); }, false, {{925, 950}, {940, 940}}},
        {[](M& m) { m.increaseTargetSpeed(0xFFFFFFF0u); }, false, {{500, 500}}},
        {[](M& m) { m.decreaseTargetSpeed(25); }, false, {{125, 100}, {110, 110}}},
        {[](M& m) { m.decreaseTargetSpeed(200); }, false, {{150, 150}}},
        {[](M& m) { m.halfTargetSpeed(); }, false, {{250, 125}, {201, 100}, {199, 100}}},
        {[](M& m) { m.doubleTargetSpeed(); }, false, {{250, 500}, {474, 948}, {475, 950}}},
        {[](M& m) { m.doubleTargetSpeed(); }, false, {{950, 950}}},
        {[](M& m) { m.increaseCurrentSpeed(75); }, true, {{900, 900}, {875, 950}}},
        {[](M& m) { m.decreaseCurrentSpeed(25); }, true, {{110, 110}, {200, 175}}},
    };
    for (const auto& c : cases) {
        for (const auto& [from, to] : c.fromTo) {
            SCOPED_TRACE(testing::Message() << "row " << &c - cases << " from " << from);
            M manager;
            manager.setTargetSpeed(static_cast<unsigned int>(from));
            manager.setCurrentSpeed(static_cast<unsigned int>(from));
            c.operation(manager);
            EXPECT_EQ(c.onCurrent ? from : to, manager.getTargetSpeed());
            EXPECT_EQ(c.onCurrent ? to : from, manager.getCurrentSpeed());
        }
    }
}

// getNextWord fetches the word at the cursor, with the next word, space or newline after it
// (rests are passed over; null when there is none), and counts it unless it is empty. Unless
// reading runs with a word at the cursor (a host command can move the cursor off the word the
// thread is showing) it finds nothing and leaves its outputs alone.
TEST(FlitManagerTest, GetNextWordFindsTheWordAndWhatFollowsItOnlyWhileRunning) {
    CDataManager document;
    wxCDataInfoListNode* tide = document.appendWord("Tide");
    wxCDataInfoListNode* space = document.appendSpace();
    wxCDataInfoListNode* empty = document.appendWord("");
    wxCDataInfoListNode* rest = document.appendRest(2);
    wxCDataInfoListNode* turns = document.appendWord("turns.");
    wxCDataInfoListNode* lastRest = document.appendRest(1);
    CFlitManager manager;
    ASSERT_TRUE(manager.initialize(&document, nullptr, nullptr, nullptr));
    const struct {
        CFlitManager::eStateType state;
        wxCDataInfoListNode* cursor;
        const char* word; // null: nothing found
        wxCDataInfoListNode* next;
        unsigned int counted;
    } cases[] = {
        {CFlitManager::ePaused, tide, nullptr, rest, 0},
        {CFlitManager::eStopped, tide, nullptr, rest, 0},
        {CFlitManager::eListPtrModified, tide, nullptr, rest, 0},
        {CFlitManager::eRunning, tide, "Tide", space, 1},
        {CFlitManager::eRunning, empty, "", turns, 1},
        {CFlitManager::eRunning, turns, "turns.", nullptr, 2},
        {CFlitManager::eRunning, lastRest, nullptr, rest, 2},
        {CFlitManager::eRunning, nullptr, nullptr, rest, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word != nullptr ? c.word : "nothing");
        manager.setState(c.state);
        manager.setDataInfoListNode(c.cursor);
        wxString word = "untouched";
        wxCDataInfoListNode* next = rest;
        EXPECT_EQ(c.word != nullptr, manager.getNextWord(word, &next));
        EXPECT_EQ(c.word != nullptr ? wxString::FromUTF8(c.word) : "untouched", word);
        EXPECT_EQ(c.next, next);
        EXPECT_EQ(c.counted, manager.getFlitMetricsData()->getNumWordsDisplayed());
    }

    // The thread's own cursor move (an attachment skip) keeps a pause the host sent meanwhile.
    CFlitCommandEvent pause(EVT_FLIT_COMMAND_PAUSE_MSG);
    manager.ProcessEvent(pause);
    manager.moveCursorWhileReading(turns);
    EXPECT_EQ(CFlitManager::ePaused, manager.getState());
    EXPECT_EQ(turns, manager.getDataInfoListNode());

    // The cursor moves in place, to null past either end.
    manager.setState(CFlitManager::eStopped);
    manager.setDataInfoListNode(tide);
    for (const auto& [count, expected] : {std::make_pair(4, turns), {-4, tide}, {-1, nullptr}}) {
        count > 0 ? manager.getNextDataInfoNode(count) : manager.getPrevDataInfoNode(-count);
        EXPECT_EQ(expected, manager.getDataInfoListNode());
    }
}

// A host that gets the calling order wrong: nothing may crash or hang, and nothing changes.
TEST(FlitManagerMisuseTest, CommandsBeforeInitializeAndBadInitializeCallsAreSurvived) {
    wxLogNull quiet;
    CDataManager document;
    wxCDataInfoListNode* word = document.appendWord("quay");

    CFlitManager manager;
    for (int type :
         {EVT_FLIT_COMMAND_START_MSG, EVT_FLIT_COMMAND_PAUSE_MSG, EVT_FLIT_COMMAND_CONTINUE_MSG,
          EVT_FLIT_COMMAND_MODIFY_DATA_INFO_LIST_PTR_MSG, EVT_FLIT_COMMAND_STOP_MSG}) {
        CFlitCommandEvent command(type);
        command.dataInfoListNode = word;
        manager.ProcessEvent(command);
    }
    manager.getNextDataInfoNode(1);
    EXPECT_EQ(CFlitManager::eStopped, manager.getState());
    EXPECT_EQ(nullptr, manager.getDataInfoListNode());

    EXPECT_FALSE(manager.initialize(nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(manager.initialize(&document, nullptr, nullptr, nullptr));
    EXPECT_FALSE(manager.initialize(&document, nullptr, nullptr, nullptr));
    EXPECT_EQ(&document, manager.getDataManager());
}

} // namespace
