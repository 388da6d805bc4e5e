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
