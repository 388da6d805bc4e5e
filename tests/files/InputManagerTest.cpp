#include "engine/files/InputManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/files/InputHandler.h"
#include "support/LogCapture.h"

namespace
{

struct RecordingHandler : InputHandler
{
    RecordingHandler(const char* name, std::vector<std::string>* journal) : InputHandler(String(name)), journal(journal) {}
    void OnInputEvent(const InputEvent& event) override
    {
        journal->push_back(std::string(GetName().CStr()) + ":" + std::to_string(event.device) + "," +
                           std::to_string(event.action) + "," + std::to_string(event.code) + "," +
                           std::to_string(event.y));
    }
    std::vector<std::string>* journal;
};

class InputManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(InputManager::Initialize(), 0); }
    void TearDown() override { InputManager::Terminate(); }
};

} // namespace

TEST(EngineKeyTable, MapsTheKeysTheShowReactsToAndNothingElse)
{
    const int32_t pairs[][2] = {
        {'0', 0}, {'9', 9}, {'A', 10}, {'F', EngineKey::Letter('F')}, {'Z', 35},
        {0x70, 50},  // F1
        {0x7B, 61},  // F12
        {0x1B, 49},  // Escape
        {0x20, 97},  // Space
        {0x60, 74},  // numeric pad 0
        {0x69, 83},  // numeric pad 9
        {0x26, 99},  // up arrow
        {0x22, 72},  // page down
        {0x90, 73},  // num lock
        {0xDE, 37},  // apostrophe
        // Unlisted and out-of-range keys have no code.
        {0, 100}, {0x7C, 100} /* F13 */, {0x10, 100} /* generic shift */, {255, 100}, {256, 100}, {-1, 100},
    };
    for (const auto& [virtualKey, engineKey] : pairs)
        EXPECT_EQ(EngineKeyFromVirtualKey(virtualKey), engineKey) << "virtual key " << virtualKey;
}

TEST_F(InputManagerTest, NewestHandlerHearsEveryEventFirstInQueueOrder)
{
    std::vector<std::string> journal;
    Ptr<RecordingHandler> older = new RecordingHandler("old", &journal);
    Ptr<RecordingHandler> newer = new RecordingHandler("new", &journal);
    ASSERT_EQ(InputManager::RegisterInputHandler(older.Get()), 0);
    ASSERT_EQ(InputManager::RegisterInputHandler(newer.Get()), 0);

    InputManager::AddInputEvent({0, 1, 15, 0});
    InputManager::AddInputEvent({1, 3, 320, 200});
    ASSERT_EQ(InputManager::ProcessInput(), 0);
    EXPECT_EQ(journal, (std::vector<std::string>{"new:0,1,15,0", "new:1,3,320,200", "old:0,1,15,0",
                                                 "old:1,3,320,200"}));
    EXPECT_EQ(InputManager::GetQueuedEventCount(), 0u);

    journal.clear();
    InputManager::ProcessInput();
    EXPECT_TRUE(journal.empty());
}

TEST_F(InputManagerTest, RegistrationRefusesNullAndKeepsOneEntryPerHandler)
{
    LogCapture capture;
    std::vector<std::string> journal;
    Ptr<RecordingHandler> handler = new RecordingHandler("twice", &journal);
    EXPECT_EQ(InputManager::RegisterInputHandler(nullptr), 3);
    EXPECT_TRUE(capture.Contains("Указатель на обработчик ввода равен 0."));
    EXPECT_EQ(InputManager::RegisterInputHandler(handler.Get()), 0);
    EXPECT_EQ(InputManager::RegisterInputHandler(handler.Get()), 0);
    EXPECT_TRUE(capture.Contains("Обработчик ввода [twice] уже зарегестрирован."));
    EXPECT_EQ(InputManager::GetHandlerCount(), 1u);
    EXPECT_EQ(handler->GetRefCount(), 2);

    InputManager::Terminate();
    EXPECT_EQ(handler->GetRefCount(), 1);
    InputManager::Initialize();
}
