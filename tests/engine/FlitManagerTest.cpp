#include "engine/FlitManager.h"
#include "outside/DataManager.h"

#include <gtest/gtest.h>

#include <wx/log.h>

namespace {

// Each row: the speed both speeds start at, the operation, and the speed it must leave in the
// one it works on; the other speed must not change. Setting and halving or doubling the target
// clamp into 100..950; an increase or decrease that would leave the range is refused.
struct SSpeedCase {
    unsigned int from;
    void (*operation)(CFlitManager&);
    int expected;
    bool onCurrent;
};

TEST(FlitManagerTest, SpeedOperationsKeepTheBounds) {
    const SSpeedCase cases[] = {
        {250, [](CFlitManager& m) { m.setTargetSpeed(50); }, 100, false},
        {250, [](CFlitManager& m) { m.setTargetSpeed(100); }, 100, false},
        {250, [](CFlitManager& m) { m.setTargetSpeed(950); }, 950, false},
        {250, [](CFlitManager& m) { m.setTargetSpeed(2000); }, 950, false},
        {925, [](CFlitManager& m) { m.increaseTargetSpeed(25); }, 950, false},
        {940, [](CFlitManager& m) { m.increaseTargetSpeed(25); }, 940, false},
        {500, [](CFlitManager& m) { m.increaseTargetSpeed(0xFFFFFFF0u); }, 500, false},
        {125, [](CFlitManager& m) { m.decreaseTargetSpeed(25); }, 100, false},
        {110, [](CFlitManager& m) { m.decreaseTargetSpeed(25); }, 110, false},
        {150, [](CFlitManager& m) { m.decreaseTargetSpeed(200); }, 150, false},
        {250, [](CFlitManager& m) { m.halfTargetSpeed(); }, 125, false},
        {201, [](CFlitManager& m) { m.halfTargetSpeed(); }, 100, false},
        {199, [](CFlitManager& m) { m.halfTargetSpeed(); }, 100, false},
        {250, [](CFlitManager& m) { m.doubleTargetSpeed(); }, 500, false},
        {474, [](CFlitManager& m) { m.doubleTargetSpeed(); }, 948, false},
        {475, [](CFlitManager& m) { m.doubleTargetSpeed(); }, 950, false},
        {950, [](CFlitManager& m) { m.doubleTargetSpeed(); }, 950, false},
        {900, [](CFlitManager& m) { m.increaseCurrentSpeed(75); }, 900, true},
        {875, [](CFlitManager& m) { m.increaseCurrentSpeed(75); }, 950, true},
        {110, [](CFlitManager& m) { m.decreaseCurrentSpeed(25); }, 110, true},
        {200, [](CFlitManager& m) { m.decreaseCurrentSpeed(25); }, 175, true},
    };
    for (const SSpeedCase& test : cases) {
        SCOPED_TRACE(&test - cases);
        CFlitManager manager;
        manager.setTargetSpeed(test.from);
        manager.setCurrentSpeed(test.from);
        test.operation(manager);
        const int from = static_cast<int>(test.from);
        EXPECT_EQ(test.onCurrent ? from : test.expected, manager.getTargetSpeed());
        EXPECT_EQ(test.onCurrent ? test.expected : from, manager.getCurrentSpeed());
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
    manager.getNextDataInfoNode(4);
    EXPECT_EQ(turns, manager.getDataInfoListNode());
    manager.getPrevDataInfoNode(4);
    EXPECT_EQ(tide, manager.getDataInfoListNode());
    manager.getPrevDataInfoNode(1);
    EXPECT_EQ(nullptr, manager.getDataInfoListNode());
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
