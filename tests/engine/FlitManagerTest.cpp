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
        CFlitManager manager;
        manager.setTargetSpeed(test.from);
        manager.setCurrentSpeed(test.from);
        test.operation(manager);
        const int changed = test.onCurrent ? manager.getCurrentSpeed() : manager.getTargetSpeed();
        const int kept = test.onCurrent ? manager.getTargetSpeed() : manager.getCurrentSpeed();
        EXPECT_EQ(test.expected, changed) << "from " << test.from;
        EXPECT_EQ(static_cast<int>(test.from), kept) << "from " << test.from;
    }
}

// A manager on a small document, with its thread running and no windows: nothing is posted.
class FlitManagerDocumentTest : public testing::Test {
protected:
    void SetUp() override {
        first = document.appendWord("Tide");
        document.appendSpace();
        empty = document.appendWord("");
        document.appendRest(2);
        last = document.appendWord("turns.");
        document.appendRest(1);
        ASSERT_TRUE(manager.initialize(&document, nullptr, nullptr, nullptr));
    }

    CDataManager document;
    CFlitManager manager;
    wxCDataInfoListNode* first = nullptr;
    wxCDataInfoListNode* empty = nullptr;
    wxCDataInfoListNode* last = nullptr;
};

TEST_F(FlitManagerDocumentTest, GetNextWordOnlyWhileRunning) {
    manager.setDataInfoListNode(first);
    wxCDataInfoListNode* untouched = last;
    for (auto state :
         {CFlitManager::ePaused, CFlitManager::eStopped, CFlitManager::eListPtrModified}) {
        manager.setState(state);
        wxString word = "before";
        EXPECT_FALSE(manager.getNextWord(word, &untouched));
        EXPECT_EQ("before", word);
        EXPECT_EQ(last, untouched);
    }
    EXPECT_EQ(0u, manager.getFlitMetricsData()->getNumWordsDisplayed());

    manager.setState(CFlitManager::eRunning);
    wxString word;
    wxCDataInfoListNode* next = nullptr;
    ASSERT_TRUE(manager.getNextWord(word, &next));
    EXPECT_EQ("Tide", word);
    EXPECT_EQ(first->GetNext(), next) << "the space after the word";
    EXPECT_EQ(1u, manager.getFlitMetricsData()->getNumWordsDisplayed());

    manager.setDataInfoListNode(empty);
    ASSERT_TRUE(manager.getNextWord(word, &next));
    EXPECT_TRUE(word.empty());
    EXPECT_EQ(last, next) << "rests are passed over in the search";
    EXPECT_EQ(1u, manager.getFlitMetricsData()->getNumWordsDisplayed()) << "empty words count 0";

    manager.setDataInfoListNode(last);
    ASSERT_TRUE(manager.getNextWord(word, &next));
    EXPECT_EQ(nullptr, next) << "nothing but a rest follows";

    // A host command can move the cursor off the word the thread is showing.
    for (wxCDataInfoListNode* notAWord :
         {last->GetNext(), static_cast<wxCDataInfoListNode*>(nullptr)}) {
        manager.setDataInfoListNode(notAWord);
        wxString untouchedWord = "kept";
        EXPECT_FALSE(manager.getNextWord(untouchedWord, &next));
        EXPECT_EQ("kept", untouchedWord);
    }
    manager.setState(CFlitManager::eStopped);
}

TEST_F(FlitManagerDocumentTest, AdvanceAfterAnItemFollowsTheState) {
    manager.setDataInfoListNode(first);
    manager.setState(CFlitManager::ePaused);
    manager.getNextDataInfoNodeIfApplicable(1);
    EXPECT_EQ(first, manager.getDataInfoListNode());
    EXPECT_EQ(CFlitManager::ePaused, manager.getState());

    manager.setState(CFlitManager::eListPtrModified);
    manager.getNextDataInfoNodeIfApplicable(1);
    EXPECT_EQ(first, manager.getDataInfoListNode());
    EXPECT_EQ(CFlitManager::eRunning, manager.getState());

    manager.getNextDataInfoNodeIfApplicable(1);
    EXPECT_EQ(first->GetNext(), manager.getDataInfoListNode());
    manager.setState(CFlitManager::eStopped);

    manager.getNextDataInfoNode(3);
    EXPECT_EQ(last, manager.getDataInfoListNode());
    manager.getPrevDataInfoNode(4);
    EXPECT_EQ(first, manager.getDataInfoListNode());
    manager.getPrevDataInfoNode(1);
    EXPECT_EQ(nullptr, manager.getDataInfoListNode());
}

} // namespace

namespace {

// A host that gets the calling order wrong: nothing may crash or hang, and nothing changes.
TEST(FlitManagerMisuseTest, CommandsBeforeInitializeAndBadInitializeCallsAreSurvived) {
    wxLogNull quiet;
    CDataManager document;
    wxCDataInfoListNode* word = document.appendWord("quay");

    CFlitManager manager;
    CFlitCommandEvent start(EVT_FLIT_COMMAND_START_MSG);
    start.dataInfoListNode = word;
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
