#include "engine/files/CodecManager.h"

#include <gtest/gtest.h>

#include <new>

#include "engine/core/Ptr.h"
#include "engine/files/Codec.h"
#include "engine/files/File.h"
#include "engine/files/ModuleManager.h"
#include "engine/files/StaticModule.h"
#include "support/LogCapture.h"

namespace
{

int liveCodecs = 0;
int moduleShutdowns = 0;

// An image codec by name and extensions; counts how many exist so leaks and
// early deletions show.
class ProbeCodec : public Codec
{
public:
    ProbeCodec(const char* name, std::initializer_list<const char*> extensions) : Codec(String(name))
    {
        for (const char* extension : extensions)
            AddExtension(String(extension));
        ++liveCodecs;
    }
    ~ProbeCodec() override { --liveCodecs; }
    int32_t GetCodecType() override { return kImageCodec; }
};

int32_t CreateTgaCodec(Codec** place)
{
    *place = new (std::nothrow) ProbeCodec("TGAProbeCodec", {"TGA", "tga", "Tga"});
    return *place ? 0 : 2;
}

int32_t CreateFailingCodec(Codec**)
{
    return 2;
}

// A codec whose own name is not its module's, so registering it collides.
int32_t CreateMisnamedCodec(Codec** place)
{
    *place = new (std::nothrow) ProbeCodec("Taken", {"x"});
    return *place ? 0 : 2;
}

int32_t CountShutdown()
{
    ++moduleShutdowns;
    return 0;
}

class CodecManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        liveCodecs = 0;
        moduleShutdowns = 0;
        ASSERT_EQ(ModuleManager::Initialize(), 0);
        ASSERT_EQ(CodecManager::Initialize(), 0);
    }
    void TearDown() override
    {
        // The engine's stop order: modules first, codecs (which hold their
        // modules) after.
        ModuleManager::Terminate();
        CodecManager::Terminate();
    }
};

} // namespace

TEST_F(CodecManagerTest, GetCodecMakesTheCodecOnceFromItsBuiltInModule)
{
    LogCapture capture;
    ASSERT_EQ(RegisterBuiltInCodecModule(String("TGAProbeCodec"), &CreateTgaCodec), 0);
    Module* module = ModuleManager::FindModule(String("TGAProbeCodec"));
    ASSERT_NE(module, nullptr);

    Codec* codec = nullptr;
    ASSERT_EQ(CodecManager::GetCodec(String("TGAProbeCodec"), &codec), 0);
    ASSERT_NE(codec, nullptr);
    EXPECT_EQ(codec->GetCodecType(), Codec::kImageCodec);
    EXPECT_EQ(codec->GetModule(), module);
    EXPECT_TRUE(capture.Contains("Загружается кодек [TGAProbeCodec]."));

    capture.Clear();
    Codec* again = nullptr;
    ASSERT_EQ(CodecManager::GetCodec(String("TGAProbeCodec"), &again), 0);
    EXPECT_EQ(again, codec);
    EXPECT_FALSE(capture.Contains("Загружается кодек"));
    EXPECT_EQ(liveCodecs, 1);
    EXPECT_EQ(CodecManager::GetCodecCount(), 1u);
    // A second built-in module of the name is refused.
    EXPECT_EQ(RegisterBuiltInCodecModule(String("TGAProbeCodec"), &CreateFailingCodec), 1);
}

TEST_F(CodecManagerTest, GetCodecFailsWithEachDescribedReason)
{
    LogCapture capture;
    Codec* codec = reinterpret_cast<Codec*>(1);
    EXPECT_EQ(CodecManager::GetCodec(String("Absent"), &codec), 3);
    EXPECT_EQ(codec, nullptr);
    EXPECT_TRUE(capture.Contains("Не найден модуль для кодека [Absent]."));

    Ptr<StaticModule> bare = new StaticModule(String("Bare"));
    bare->AddFunction(String("Shutdown"), &CountShutdown);
    ASSERT_EQ(ModuleManager::RegisterModule(bare.Get()), 0);
    EXPECT_EQ(CodecManager::GetCodec(String("Bare"), &codec), 3);
    EXPECT_TRUE(capture.Contains("В модуле не найдена функция создания кодека [Bare]."));

    ASSERT_EQ(RegisterBuiltInCodecModule(String("Failing"), &CreateFailingCodec), 0);
    EXPECT_EQ(CodecManager::GetCodec(String("Failing"), &codec), 1);
    EXPECT_TRUE(capture.Contains("Создание кодека [Failing] неудачно."));

    // The made codec collides with one registered already and is destroyed.
    Ptr<ProbeCodec> taken = new ProbeCodec("Taken", {});
    ASSERT_EQ(CodecManager::RegisterCodec(taken.Get()), 0);
    ASSERT_EQ(RegisterBuiltInCodecModule(String("Misnamed"), &CreateMisnamedCodec), 0);
    EXPECT_EQ(CodecManager::GetCodec(String("Misnamed"), &codec), 1);
    EXPECT_TRUE(capture.Contains("Невозможно зарегестрировать кодек [Misnamed]."));
    EXPECT_EQ(liveCodecs, 1);
    EXPECT_EQ(codec, nullptr);

    EXPECT_EQ(CodecManager::GetCodec(String("Absent"), nullptr), 3);
}

TEST_F(CodecManagerTest, SecondCodecOfANameIsRefusedAndTheFirstStays)
{
    LogCapture capture;
    Ptr<ProbeCodec> first = new ProbeCodec("Same", {"a"});
    Ptr<ProbeCodec> second = new ProbeCodec("Same", {"b"});
    EXPECT_EQ(CodecManager::RegisterCodec(first.Get()), 0);
    EXPECT_EQ(CodecManager::RegisterCodec(second.Get()), 1);
    EXPECT_TRUE(capture.Contains("Кодек с именем [Same] уже зарегестрирован."));
    Codec* found = nullptr;
    ASSERT_EQ(CodecManager::GetCodec(String("Same"), &found), 0);
    EXPECT_EQ(found, first.Get());
    EXPECT_EQ(first->GetRefCount(), 2);
    EXPECT_EQ(second->GetRefCount(), 1);

    EXPECT_EQ(CodecManager::RegisterCodec(nullptr), 3);
    EXPECT_TRUE(capture.Contains("Указатель на кодек равен 0 при регистрации."));
}

TEST_F(CodecManagerTest, FileIsMatchedByItsExactExtension)
{
    LogCapture capture;
    Codec* tga = nullptr;
    ASSERT_EQ(RegisterBuiltInCodecModule(String("TGAProbeCodec"), &CreateTgaCodec), 0);
    ASSERT_EQ(CodecManager::GetCodec(String("TGAProbeCodec"), &tga), 0);
    Ptr<ProbeCodec> bmp = new ProbeCodec("BMPProbeCodec", {"BMP", "bmp", "Bmp"});
    ASSERT_EQ(CodecManager::RegisterCodec(bmp.Get()), 0);

    const std::pair<const char*, Codec*> cases[] = {
        {"a.b.tga", tga}, {"photo.Tga", tga}, {"image.TgA", nullptr}, {"README", nullptr}, {"icon.bmp", bmp.Get()}};
    for (const auto& [name, codec] : cases)
    {
        File file{String(name)};
        EXPECT_EQ(CodecManager::FindCodecForFile(&file), codec) << name;
    }

    EXPECT_FALSE(tga->AcceptsFile(nullptr));
    EXPECT_TRUE(capture.Contains("Указатель на файл равен 0 при проверке кодеком [TGAProbeCodec]."));
    EXPECT_EQ(CodecManager::FindCodecForFile(nullptr), nullptr);
}

TEST_F(CodecManagerTest, CodecsKeepTheirModulesUntilTheCodecManagerStops)
{
    // A module of our own, so its shutdown can be counted.
    {
        Ptr<StaticModule> module = new StaticModule(String("TGAProbeCodec"));
        module->AddFunction(String("Shutdown"), &CountShutdown);
        module->AddFunction(String("CreateCodec"),
                            reinterpret_cast<ModuleFunction>(reinterpret_cast<void (*)()>(&CreateTgaCodec)));
        ASSERT_EQ(ModuleManager::RegisterModule(module.Get()), 0);
    }
    Codec* codec = nullptr;
    ASSERT_EQ(CodecManager::GetCodec(String("TGAProbeCodec"), &codec), 0);

    LogCapture capture;
    ModuleManager::Terminate();
    EXPECT_EQ(moduleShutdowns, 0);
    EXPECT_EQ(liveCodecs, 1);
    CodecManager::Terminate();
    EXPECT_EQ(liveCodecs, 0);
    EXPECT_EQ(moduleShutdowns, 1);
    EXPECT_TRUE(capture.Contains("Завершение работы менеджера кодеков."));
    EXPECT_TRUE(capture.Contains("Менеджер кодеков завершил работу."));
    EXPECT_EQ(CodecManager::GetCodecCount(), 0u);
    EXPECT_EQ(CodecManager::FindCodecForFile(nullptr), nullptr);
}
