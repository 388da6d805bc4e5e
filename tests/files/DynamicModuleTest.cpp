#include "engine/files/DynamicModule.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/files/Directory.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/VirtualFile.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

namespace
{

class DynamicModuleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(FileManager::Initialize(), 0);
        ASSERT_EQ(ModuleManager::Initialize(), 0);
    }
    void TearDown() override
    {
        FileManager::Terminate();
        ModuleManager::Terminate();
    }

    // Makes the disk folder visible to the file manager: a directory named
    // after it, attached to the root, holding a disk file of that name.
    static void Expose(const std::string& folder, const std::string& fileName)
    {
        Directory* directory = new Directory(String(folder.c_str()), FileManager::GetRoot());
        directory->AddFile(new File(String(fileName.c_str())));
    }
};

} // namespace

TEST(DynamicModule, WithoutALibraryNothingIsFoundOrUnloaded)
{
    LogCapture capture;
    {
        Ptr<DynamicModule> module = new DynamicModule(String("Empty"));
        ModuleFunction function = nullptr;
        EXPECT_EQ(module->GetFunction(&function, String("Answer")), 3);
        EXPECT_TRUE(capture.Contains("Указатель при поиске символа [Answer] равен 0."));
        EXPECT_EQ(module->Load(String("/nonexistent/folder/Empty.so")), 1);
        EXPECT_EQ(module->Load(String()), 1); // would be the program itself
        EXPECT_FALSE(module->IsLoaded());
    }
    EXPECT_FALSE(capture.Contains("Выгружается модуль [Empty]."));
}

TEST_F(DynamicModuleTest, ModuleFileThatIsNotALibraryFailsToLoad)
{
    TemporaryFolder folder;
    std::ofstream(folder.Path() + "/Broken.so") << "not a shared library";
    Expose(folder.Path(), "Broken.so");

    LogCapture capture;
    Module* module = nullptr;
    EXPECT_EQ(ModuleManager::LoadModule(String("Broken"), &module), 1);
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(capture.Count("Загружается модуль [Broken]."), 2u);
    EXPECT_TRUE(capture.Contains("Загрузка модуля [Broken] неудачна."));
    EXPECT_TRUE(capture.Contains("Невозможно загрузить модуль [Broken]."));
    EXPECT_EQ(ModuleManager::FindModule(String("Broken")), nullptr);

    capture.Clear();
    EXPECT_EQ(ModuleManager::LoadModule(String("Elsewhere"), &module), 3);
    EXPECT_TRUE(capture.Contains("Не найден файл модуля [Elsewhere]."));
    EXPECT_TRUE(capture.Contains("Невозможно загрузить модуль [Elsewhere]."));
}

#ifdef VERNALIA_TEST_MODULE
TEST_F(DynamicModuleTest, LibraryFoundThroughTheFileSystemIsLoadedCalledAndUnloaded)
{
    std::filesystem::path library(VERNALIA_TEST_MODULE);
    ASSERT_TRUE(std::filesystem::exists(library)) << library;
    Expose(library.parent_path().string(), library.filename().string());
    String name(library.stem().string().c_str());

    LogCapture capture;
    Module* module = nullptr;
    ASSERT_EQ(ModuleManager::LoadModule(name, &module), 0);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetName(), name);
    EXPECT_EQ(ModuleManager::FindModule(name), module);
    EXPECT_FALSE(capture.Contains("В модуле не найдена функция инициализации"));

    ModuleFunction answer = nullptr;
    ASSERT_EQ(module->GetFunction(&answer, String("Answer")), 0);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(module->GetFunction(&answer, String("Question")), 1);
    EXPECT_TRUE(capture.Contains(("Символ [Question] не найден в модуле [" + std::string(name.View()) + "].").c_str()));
    EXPECT_EQ(module->GetFunction(nullptr, String("Answer")), 3);

    // Loaded once: a second request is the registered module.
    Module* again = nullptr;
    capture.Clear();
    ASSERT_EQ(ModuleManager::LoadModule(name, &again), 0);
    EXPECT_EQ(again, module);
    EXPECT_FALSE(capture.Contains("Загружается модуль"));

    ModuleManager::Terminate();
    EXPECT_TRUE(capture.Contains(("Выгружается модуль [" + std::string(name.View()) + "].").c_str()));
    EXPECT_FALSE(capture.Contains("В модуле не найдена функция завершения работы"));
    EXPECT_FALSE(capture.Contains("Выгрузка модуля"));
}

TEST_F(DynamicModuleTest, ALibraryInsideAnArchiveIsNotHandedToTheLoader)
{
    // The member's path names the real library on disk: only the member's
    // kind keeps the loader away from it.
    std::filesystem::path library(VERNALIA_TEST_MODULE);
    Directory* directory = new Directory(String(library.parent_path().string().c_str()), FileManager::GetRoot());
    static const uint8_t content[] = {0x7F, 'E', 'L', 'F'};
    directory->AddFile(new VirtualFile(String(library.filename().string().c_str()), content, sizeof(content)));
    String name(library.stem().string().c_str());

    LogCapture capture;
    Module* module = nullptr;
    EXPECT_EQ(ModuleManager::LoadModule(name, &module), 1);
    EXPECT_EQ(module, nullptr);
    EXPECT_TRUE(capture.Contains(("Загрузка модуля [" + std::string(name.View()) + "] неудачна.").c_str()));
    EXPECT_EQ(ModuleManager::FindModule(name), nullptr);
}
#endif
