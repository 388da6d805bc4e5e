#include "engine/core/EngineStartup.h"

#include <gtest/gtest.h>

#include "engine/EngineClasses.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/Object.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/InputManager.h"
#include "engine/core/Controller.h"
#include "support/LogCapture.h"

TEST(EngineStartup, ObjectComesFirstAndEachClassIsListedOnce)
{
    RegisterEngineClasses();
    uint32_t count = GetInitializeFunctionCount();
    RegisterEngineClasses();
    Object::RegisterClassFunctions();
    Controller::RegisterClassFunctions();
    EXPECT_EQ(GetInitializeFunctionCount(), count);
    ASSERT_GT(count, 0u);
    EXPECT_EQ(GetInitializeFunction(0), &Object::Initialize);
    EXPECT_EQ(GetTerminateFunction(0), &Object::Terminate);

    // A class is listed after the classes it uses: Controller after Object.
    uint32_t controllerAt = count;
    for (uint32_t i = 0; i < count; ++i)
        if (GetInitializeFunction(i) == &Controller::Initialize)
            controllerAt = i;
    EXPECT_LT(controllerAt, count);
    EXPECT_GT(GetPostInitializeFunctionCount(), 0u);
}

TEST(EngineStartup, InitializeRegistersFactoriesAndModulesThenTerminateRemovesThem)
{
    RegisterEngineClasses();
    LogCapture capture;
    ASSERT_EQ(InitializeEngine(), 0);
    EXPECT_EQ(capture.Lines().front().text, "Инициализация движка v.0.1.2:");
    EXPECT_TRUE(capture.Contains("Инициализация класса [Object] прошла удачно."));
    EXPECT_TRUE(capture.Contains("Инициализация движка завершилась удачно."));
    EXPECT_TRUE(capture.Contains("Постинициализация движка завершилась удачно."));
    EXPECT_NE(FindClassFactory(String("QRE.Object")), nullptr);
    EXPECT_NE(FindClassFactory(String("QRE.Controller")), nullptr);
    EXPECT_NE(ModuleManager::FindModule(String("OpenGL")), nullptr);

    capture.Clear();
    ASSERT_EQ(TerminateEngine(), 0);
    EXPECT_EQ(capture.Lines().front().text, "Завершение работы движка:");
    EXPECT_EQ(capture.Lines().back().text, "Завершение работы движка завершилось удачно.");
    EXPECT_EQ(FindClassFactory(String("QRE.Object")), nullptr);
    EXPECT_EQ(ModuleManager::FindModule(String("OpenGL")), nullptr);
}

TEST(EngineStartup, ATakenTypeNameStopsInitialisation)
{
    RegisterEngineClasses();
    ASSERT_TRUE(RegisterClassFactory(String("QRE.Object"), &Object::Factory));
    LogCapture capture;
    EXPECT_EQ(InitializeEngine(), 1);
    EXPECT_TRUE(capture.Contains("Инициализация класса [Object] прошла неудачно."));
    EXPECT_TRUE(capture.Contains("Инициализация движка неудачно."));
    // Nothing after the failing function ran.
    EXPECT_FALSE(capture.Contains("Инициализация менеджера модулей."));
    EXPECT_FALSE(capture.Contains("Постинициализация движка:"));
    EXPECT_EQ(TerminateEngine(), 0);
    EXPECT_EQ(FindClassFactory(String("QRE.Object")), nullptr);
}
