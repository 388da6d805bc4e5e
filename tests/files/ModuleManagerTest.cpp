#include "engine/files/ModuleManager.h"

#include <gtest/gtest.h>

#include "engine/core/Ptr.h"
#include "engine/files/StaticModule.h"
#include "support/FailingAllocation.h"
#include "support/LogCapture.h"

namespace
{

int shutdowns = 0;

int32_t Succeed() { return 0; }
int32_t Fail() { return 1; }
int32_t CountShutdown() { ++shutdowns; return 0; }

class ModuleManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(ModuleManager::Initialize(), 0); }
    void TearDown() override { ModuleManager::Terminate(); }
};

} // namespace

TEST(StaticModule, LooksFunctionsUpByExactNameAndRunsShutdownWhenDestroyed)
{
    LogCapture capture;
    shutdowns = 0;
    {
        Ptr<StaticModule> module = new StaticModule(String("Probe"));
        EXPECT_TRUE(module->AddFunction(String("Initialize"), &Succeed));
        EXPECT_FALSE(module->AddFunction(String("Initialize"), &Fail));
        EXPECT_TRUE(module->AddFunction(String("Shutdown"), &CountShutdown));

        ModuleFunction found = nullptr;
        ASSERT_EQ(module->GetFunction(&found, String("Initialize")), 0);
        EXPECT_EQ(found, &Succeed);
        EXPECT_EQ(module->GetFunction(&found, String("initialize")), 1);
        EXPECT_TRUE(capture.Contains("Невозможно найти символ [initialize] в модуле [Probe]."));
        EXPECT_EQ(module->GetFunction(nullptr, String("Initialize")), 3);
        EXPECT_TRUE(capture.Contains("Указатель на символ [Initialize] равен 0."));
    }
    EXPECT_EQ(shutdowns, 1);

    capture.Clear();
    { Ptr<StaticModule> bare = new StaticModule(String("Bare")); }
    EXPECT_TRUE(capture.Contains("В модуле не найдена функция завершения работы модуля [Bare]."));
}

TEST_F(ModuleManagerTest, SecondModuleOfANameIsRefusedAndTheFirstStays)
{
    LogCapture capture;
    Ptr<StaticModule> first = new StaticModule(String("Same"));
    Ptr<StaticModule> second = new StaticModule(String("Same"));
    first->AddFunction(String("Shutdown"), &Succeed);
    second->AddFunction(String("Shutdown"), &Succeed);
    EXPECT_EQ(ModuleManager::RegisterModule(first.Get()), 0);
    EXPECT_EQ(ModuleManager::RegisterModule(second.Get()), 1);
    EXPECT_TRUE(capture.Contains("Модуль с именем [Same] уже зарегестрирован."));
    EXPECT_EQ(ModuleManager::FindModule(String("Same")), first.Get());
    EXPECT_EQ(ModuleManager::RegisterModule(nullptr), 3);

    Module* loaded = nullptr;
    EXPECT_EQ(ModuleManager::LoadModule(String("Same"), &loaded), 0);
    EXPECT_EQ(loaded, first.Get());
}

TEST(ModuleManager, StartingWithoutMemoryFailsWithItsLine)
{
    ModuleManager::Terminate();
    LogCapture capture;
    {
        FailingAllocation failing;
        EXPECT_EQ(ModuleManager::Initialize(), 1);
    }
    EXPECT_EQ(capture.Lines().back().text, "Недостаточно памяти для инициализации менеджера модулей.");
    EXPECT_EQ(capture.Lines().back().level, kLogError);
    EXPECT_FALSE(capture.Contains("Менеджер модулей инициализирован."));
    Ptr<StaticModule> module = new StaticModule(String("Late"));
    EXPECT_EQ(ModuleManager::RegisterModule(module.Get()), 1);
    EXPECT_EQ(ModuleManager::Initialize(), 0);
    ModuleManager::Terminate();
}
