// The sound manager's table and the sound nodes on a fixed step, over a
// stand-in library that writes down every call the program makes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "engine/codecs/rar/writer/RarArchiveWriter.h"
#include "engine/files/CodecManager.h"
#include "engine/files/FileManager.h"
#include "engine/files/VirtualFile.h"
#include "scene/SceneTestSupport.h"
#include "sound/SoundManager.h"
#include "sound/SoundNode.h"
#include "sound/SoundNode2.h"
#include "sound/SoundNodeAnimation.h"
#include "sound/SoundNodeAnimationController.h"
#include "sound/SoundTestSupport.h"
#include "support/LogCapture.h"

namespace
{

// What the stand-in library saw, one line per call; and what it answers.
std::vector<std::string> calls;
uint32_t version = kAudioVersion;
uint32_t nextHandle = 1;
std::map<uint32_t, uint32_t> activity;

void Note(const std::string& line)
{
    calls.push_back(line);
}

extern "C" uint32_t FakeGetVersion()
{
    return version;
}
extern "C" int32_t FakeInit(int32_t, uint32_t, uint32_t, unsigned long window, const void*)
{
    Note("Init " + std::to_string(window));
    return 1;
}
extern "C" int32_t FakeFree()
{
    Note("Free");
    return 1;
}
extern "C" uint32_t FakeGetDevice()
{
    return 1;
}
extern "C" const char* FakeGetDeviceDescription(int32_t)
{
    return "stand-in";
}
extern "C" int32_t FakeSetConfig(uint32_t option, uint32_t value)
{
    Note("SetConfig " + std::to_string(option) + " " + std::to_string(value));
    return 1;
}
extern "C" int32_t FakeSet3DFactors(float distance, float rollOff, float doppler)
{
    Note("Set3DFactors " + std::to_string(int(distance)) + " " + std::to_string(int(rollOff)) + " " +
         std::to_string(int(doppler)));
    return 1;
}
extern "C" uint32_t FakeStreamCreateFile(int32_t, const void*, uint32_t, uint32_t, uint32_t flags)
{
    Note("Create " + std::to_string(flags));
    return nextHandle++;
}
extern "C" int32_t FakeChannelPlay(uint32_t handle, int32_t restart)
{
    Note("Play " + std::to_string(handle) + " " + std::to_string(restart));
    activity[handle] = kAudioPlaying;
    return 1;
}
extern "C" int32_t FakeChannelStop(uint32_t handle)
{
    Note("Stop " + std::to_string(handle));
    activity[handle] = kAudioStopped;
    return 1;
}
extern "C" uint32_t FakeChannelIsActive(uint32_t handle)
{
    return activity[handle];
}
extern "C" int32_t FakeChannelSetAttributes(uint32_t handle, int32_t frequency, int32_t volume, int32_t pan)
{
    Note("Attributes " + std::to_string(handle) + " " + std::to_string(frequency) + " " + std::to_string(volume) +
         " " + std::to_string(pan));
    return 1;
}
extern "C" int32_t FakeChannelSetFlags(uint32_t handle, uint32_t flags)
{
    Note("Flags " + std::to_string(handle) + " " + std::to_string(flags));
    return 1;
}

const AudioExport kFakeExports[] = {
    {"BASS_GetVersion", reinterpret_cast<AudioEntry>(&FakeGetVersion)},
    {"BASS_Init", reinterpret_cast<AudioEntry>(&FakeInit)},
    {"BASS_Free", reinterpret_cast<AudioEntry>(&FakeFree)},
    {"BASS_GetDevice", reinterpret_cast<AudioEntry>(&FakeGetDevice)},
    {"BASS_GetDeviceDescription", reinterpret_cast<AudioEntry>(&FakeGetDeviceDescription)},
    {"BASS_SetConfig", reinterpret_cast<AudioEntry>(&FakeSetConfig)},
    {"BASS_Set3DFactors", reinterpret_cast<AudioEntry>(&FakeSet3DFactors)},
    {"BASS_StreamCreateFile", reinterpret_cast<AudioEntry>(&FakeStreamCreateFile)},
    {"BASS_ChannelPlay", reinterpret_cast<AudioEntry>(&FakeChannelPlay)},
    {"BASS_ChannelStop", reinterpret_cast<AudioEntry>(&FakeChannelStop)},
    {"BASS_ChannelIsActive", reinterpret_cast<AudioEntry>(&FakeChannelIsActive)},
    {"BASS_ChannelSetAttributes", reinterpret_cast<AudioEntry>(&FakeChannelSetAttributes)},
    {"BASS_ChannelSetFlags", reinterpret_cast<AudioEntry>(&FakeChannelSetFlags)},
};

// Calls whose line starts with prefix.
size_t CountCalls(const std::string& prefix)
{
    size_t count = 0;
    for (const std::string& line : calls)
        count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

class SoundNodeTest : public SceneTest
{
protected:
    void SetUp() override
    {
        calls.clear();
        version = kAudioVersion;
        nextHandle = 1;
        activity.clear();
        SoundManager::UseLibrary(kFakeExports, sizeof(kFakeExports) / sizeof(kFakeExports[0]));
        SceneTest::SetUp();
    }
    void TearDown() override
    {
        SceneTest::TearDown();
        SoundManager::UseLibrary(nullptr, 0);
    }

    // Mounts an archive of the named sound files.
    static void Mount(std::initializer_list<std::pair<const char*, Bytes>> members)
    {
        std::vector<RarArchiveWriter::Entry> entries;
        for (const auto& [name, bytes] : members)
        {
            entries.emplace_back();
            entries.back().name = String(name);
            entries.back().data = bytes.data();
            entries.back().size = static_cast<uint32_t>(bytes.size());
        }
        Bytes archive;
        Codec* codec = nullptr;
        ASSERT_EQ(CodecManager::GetCodec(String("RAR2FileCodec"), &codec), 0);
        ASSERT_EQ(RarArchiveWriter::Write(entries, RarArchiveWriter::Options(), archive), 0);
        VirtualFile file(String("Sounds.rar2"), static_cast<const uint8_t*>(archive.data()), static_cast<uint32_t>(archive.size()));
        ASSERT_EQ(FileManager::AttachArchive(&file, String()), 0);
    }
};

} // namespace

TEST_F(SoundNodeTest, TheManagerFillsItsTableByNameAndClampsTheVolume)
{
    // Started by the engine: the device, the show's first factors.
    EXPECT_EQ(calls, (std::vector<std::string>{"Init 0", "Set3DFactors 1 7 1"}));
    EXPECT_EQ(SoundManager::GetEntry("BASS_SetConfig"), reinterpret_cast<AudioEntry>(&FakeSetConfig));
    // Names the library lacks get a stub; names outside the table nothing.
    EXPECT_NE(SoundManager::GetEntry("BASS_MusicLoad"), nullptr);
    EXPECT_EQ(SoundManager::GetEntry("BASS_Nothing"), nullptr);
    EXPECT_EQ(SoundManager::Calls().ChannelSet3DPosition(1, nullptr, nullptr, nullptr), 0);

    calls.clear();
    for (uint32_t value : {100u, 101u, 0xFFFFFFFFu, 0u})
        SoundManager::SetVolume(value);
    EXPECT_EQ(calls, (std::vector<std::string>{"SetConfig 5 100", "SetConfig 5 100", "SetConfig 5 100",
                                               "SetConfig 5 0"}));

    LogCapture log;
    calls.clear();
    EXPECT_EQ(SoundManager::Terminate(), 0);
    EXPECT_EQ(calls, std::vector<std::string>{"Free"});
    EXPECT_TRUE(log.Contains("Завершение работы менеджера звука."));
    EXPECT_TRUE(log.Contains("Менеджер звука завершил работу."));
    SoundManager::SetVolume(50); // a stub now
    EXPECT_EQ(calls.size(), 1u);

    version = 0x00020001;
    EXPECT_EQ(SoundManager::Initialize(), 1);
    EXPECT_TRUE(log.Contains("Версия библиотеки BASS не совпадает."));
    version = kAudioVersion;
    SoundManager::Terminate();
    EXPECT_EQ(SoundManager::Initialize(), 0);
    EXPECT_TRUE(log.Contains("Звук инициализирован. Устройство [1] [stand-in]"));
}

TEST_F(SoundNodeTest, ANodeStartsAtFullVolumeLoadsSilentWithoutItsFileAndPlaysEachFrame)
{
    Ptr<SoundNode> node = new SoundNode(String("Music"));
    EXPECT_EQ(node->GetVolume(), 100);
    EXPECT_EQ(node->GetMinDistance(), std::numeric_limits<float>::max());
    EXPECT_TRUE(node->IsActive());

    // Missing: the node loads, silent, with the warning.
    node->SetFileName(String("missing.ogg"));
    LogCapture log;
    Ptr<Object> loaded = Deserialize(Serialize(node.Get()));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(static_cast<SoundNode*>(loaded.Get())->GetChannel(), 0u);
    EXPECT_TRUE(log.Contains("Невозможно найти файл [missing.ogg] для источника звука."));
    EXPECT_EQ(node->SetSound(nullptr, false), 3);

    const Bytes tone = sound_test::MakeWave(1, 16, 8000, 80);
    VirtualFile file(String("tone.wav"), tone.data(), static_cast<uint32_t>(tone.size()));
    calls.clear();
    node->SetLoop(true);
    ASSERT_EQ(node->SetSound(&file, true), 0);
    node->SetVolume(250);
    node->UpdateTree(0.5);
    node->SetActive(false);
    node->UpdateTree(0.5);
    EXPECT_EQ(calls, (std::vector<std::string>{"Create 8", "Flags 1 4", "Attributes 1 -1 250 -101", "Play 1 0"}));
    EXPECT_FLOAT_EQ(node->GetElapsed(), 0.5f);
}

TEST_F(SoundNodeTest, TheAlternatingNodeSwitchesEveryIntervalAndAtMostSixteenTimesAStep)
{
    const Bytes tone = sound_test::MakeWave(1, 16, 8000, 80);
    Mount({{"a.wav", tone}, {"b.wav", tone}});
    const struct
    {
        float interval;
        float spread;
        std::vector<double> steps;
        std::vector<size_t> switches; // after each step
    } cases[] = {
        {1.0f, 0.0f, {0.0, 3.5, 0.4, 0.1, 0.99}, {1, 4, 4, 5, 5}},
        {0.0f, 0.0f, {0.0, 0.04, 0.02, 100.0, 0.0}, {1, 1, 2, 18, 18}},
        {0.2f, 5.0f, {1000.0}, {16}},
    };
    for (const auto& c : cases)
    {
        Ptr<SoundNode2> node = new SoundNode2();
        node->SetFileNames(String("a.wav"), String("b.wav"));
        node->SetTiming(c.interval, c.spread);
        ASSERT_EQ(node->SetSounds(), 0);
        ASSERT_NE(node->GetChannelB(), 0u);
        calls.clear();
        for (size_t i = 0; i < c.steps.size(); ++i)
        {
            node->UpdateTree(c.steps[i]);
            EXPECT_EQ(CountCalls("Play "), c.switches[i]) << c.interval << " step " << i;
        }
        // Each switch starts one sound afresh and stops the other.
        EXPECT_EQ(CountCalls("Play "), CountCalls("Stop "));
        EXPECT_TRUE(node->GetCurrent() == node->GetChannelA() || node->GetCurrent() == node->GetChannelB());
    }
}

TEST_F(SoundNodeTest, TheControllerKeepsTheSoundOnWithoutKeysAndSwitchesByThem)
{
    const Bytes tone = sound_test::MakeWave(1, 16, 8000, 80);
    VirtualFile file(String("brook.wav"), tone.data(), static_cast<uint32_t>(tone.size()));
    Ptr<SoundNode> node = new SoundNode();
    ASSERT_EQ(node->SetSound(&file, true), 0);
    Ptr<SoundNodeAnimationController> controller = new SoundNodeAnimationController();
    controller->SetPeriod(1.0);
    controller->SetTarget(node.Get());
    node->SetActive(false);
    calls.clear();
    controller->Update(0.25);
    EXPECT_TRUE(node->IsActive());
    EXPECT_EQ(calls, (std::vector<std::string>{"Play 1 1", "Play 1 0"}));

    Ptr<SoundNodeAnimation> keys = new SoundNodeAnimation();
    keys->AddKey(BoolAnimationKey(0.0, true));
    keys->AddKey(BoolAnimationKey(0.5, false));
    controller->AddFrame(keys.Get(), 0.0, 1.0);
    calls.clear();
    controller->Update(0.5); // phase 0.75: off
    EXPECT_FALSE(node->IsActive());
    EXPECT_EQ(calls, (std::vector<std::string>{"Stop 1", "Stop 1"}));
    calls.clear();
    controller->Update(0.5); // phase 0.25: on again, from the start
    EXPECT_TRUE(node->IsActive());
    EXPECT_EQ(calls, (std::vector<std::string>{"Play 1 1", "Play 1 0"}));
}

TEST_F(SoundNodeTest, RecordsComeBackByteForByteAndRefuseADistanceThatIsNoNumber)
{
    Ptr<SoundNode> music = new SoundNode(String("Music"));
    music->SetFileName(String("vernalia.ogg"));
    music->SetLoop(true);
    music->SetMinDistance(10.0f);
    music->SetVolume(400);
    Ptr<SoundNode2> cuckoo = new SoundNode2(String("Cuckoo"));
    cuckoo->SetFileNames(String("a.ogg"), String("b.ogg"));
    cuckoo->Set3D(true);
    cuckoo->SetTiming(3.0f, 1.5f);
    cuckoo->SetVolume(70);
    Ptr<SoundNodeAnimation> keys = new SoundNodeAnimation(String("brook"));
    keys->AddKey(BoolAnimationKey(0.25, false));
    Ptr<SoundNodeAnimationController> controller = new SoundNodeAnimationController(String("switch"));
    controller->AddFrame(keys.Get(), 0, 1);
    controller->SetPeriod(20);

    const struct
    {
        Object* object;
        const RTTI* base;
    } cases[] = {{music.Get(), &Node::TYPE},
                 {cuckoo.Get(), &Node::TYPE},
                 {keys.Get(), &Animation::TYPE},
                 {controller.Get(), &AnimationController::TYPE}};
    for (const auto& c : cases)
    {
        const char* type = c.object->GetRtti().GetName().CStr();
        EXPECT_EQ(c.object->GetRtti().GetBase(), c.base) << type;
        const Bytes saved = CanonicalLinks(Serialize(c.object));
        ASSERT_FALSE(saved.empty()) << type;
        Ptr<Object> loaded = Deserialize(Serialize(c.object));
        ASSERT_TRUE(loaded && loaded->IsExactly(c.object->GetRtti())) << type;
        EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), saved) << type;
    }
    // The node's fields follow Node's in their stored order.
    const Bytes bytes = Serialize(music.Get());
    const size_t tail = bytes.size() - (1 + 4 + 4 + 1 + 4 + 12 + 1 + 4);
    EXPECT_EQ(bytes[tail], 1);                        // loop
    EXPECT_EQ(Peek32(bytes, tail + 1), 0x41200000u);  // minDistance 10
    EXPECT_EQ(Peek32(bytes, bytes.size() - 4), 400u); // volume

    for (float bad : {std::nanf(""), -1.0f, std::numeric_limits<float>::infinity()})
    {
        Bytes hostile = bytes;
        std::memcpy(&hostile[tail + 1], &bad, 4);
        LogCapture log;
        EXPECT_FALSE(Deserialize(hostile)) << bad;
        EXPECT_TRUE(log.Contains("Невозможно загрузить данные источника звука.")) << bad;
    }
}
