// The audio library on OpenAL Soft's null output: handles, volumes, and
// what playing, stopping and ending do to a stream.
#include "sound/audio/AudioLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sound/SoundTestSupport.h"

using namespace sound_test;

namespace
{

class AudioLibraryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseNullSoundUnlessChosen();
        ASSERT_EQ(BASS_Init(-1, 44100, kAudioDevice3D, 0, nullptr), 1);
    }
    void TearDown() override { BASS_Free(); }

    uint32_t Create(const Bytes& file, uint32_t flags = 0)
    {
        return BASS_StreamCreateFile(1, file.data(), 0, static_cast<uint32_t>(file.size()), flags);
    }

    // Waits up to two seconds for the channel to leave the playing state.
    static uint32_t ActivityAfterPlaying(uint32_t handle)
    {
        for (int i = 0; i < 200 && BASS_ChannelIsActive(handle) == kAudioPlaying; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return BASS_ChannelIsActive(handle);
    }
};

} // namespace

TEST_F(AudioLibraryTest, FreedAndUnknownHandlesFailWithoutReachingAChannel)
{
    const Bytes tone = MakeWave(1, 16, 8000, 800);
    const uint32_t first = Create(tone);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(BASS_StreamFree(first), 1);
    const uint32_t second = Create(tone); // the same slot, a new generation
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    for (uint32_t handle : {first, 0u, second + 1, second ^ 0x80000000u})
    {
        EXPECT_EQ(BASS_ChannelPlay(handle, 0), 0) << handle;
        EXPECT_EQ(BASS_ErrorGetCode(), kAudioBadHandle) << handle;
        EXPECT_EQ(BASS_StreamFree(handle), 0) << handle;
        EXPECT_EQ(BASS_ChannelSetAttributes(handle, -1, 50, -101), 0) << handle;
    }
    EXPECT_EQ(BASS_ChannelPlay(second, 0), 1);
    // A 2D stream has no place in 3D; damage gives no stream.
    EXPECT_EQ(BASS_ChannelSet3DPosition(second, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioNot3D);
    EXPECT_EQ(Create(Bytes(tone.begin(), tone.begin() + 30)), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioBadFormat);
}

TEST_F(AudioLibraryTest, VolumesAreClampedAndANegativeChannelVolumeChangesNothing)
{
    const uint32_t handle = Create(MakeWave(2, 16, 8000, 800));
    ASSERT_NE(handle, 0u);
    const struct
    {
        int32_t set;
        uint32_t channel;   // then read back
        uint32_t global;    // the same value as the global stream volume
    } cases[] = {{37, 37, 37}, {100, 100, 100}, {101, 100, 100}, {-1, 100, 100}, {0, 0, 0}, {-5, 0, 100}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(BASS_ChannelSetAttributes(handle, -1, c.set, -101), 1);
        uint32_t volume = 999;
        EXPECT_EQ(BASS_ChannelGetAttributes(handle, nullptr, &volume, nullptr), 1);
        EXPECT_EQ(volume, c.channel) << c.set;
        EXPECT_EQ(BASS_SetConfig(kAudioGlobalStreamVolume, static_cast<uint32_t>(c.set)), 1);
        EXPECT_EQ(BASS_GetConfig(kAudioGlobalStreamVolume), c.global) << c.set;
    }
    EXPECT_EQ(BASS_SetConfig(kAudioGlobalStreamVolume + 1, 3), 0);
    EXPECT_EQ(BASS_GetConfig(kAudioGlobalStreamVolume + 1), 0xFFFFFFFFu);
    BASS_SetConfig(kAudioGlobalStreamVolume, 100);
}

TEST_F(AudioLibraryTest, AnEndedStreamStaysEndedUntilRestartedAndAStopResumes)
{
    const Bytes shortTone = MakeWave(1, 16, 8000, 400); // 50 ms
    const uint32_t once = Create(shortTone);
    const uint32_t looped = Create(shortTone, kAudioStream3D);
    ASSERT_NE(once, 0u);
    ASSERT_NE(looped, 0u);
    EXPECT_EQ(BASS_ChannelSetFlags(looped, kAudioLoop), 1);
    EXPECT_EQ(BASS_ChannelIsActive(once), kAudioStopped);
    EXPECT_EQ(BASS_ChannelPlay(once, 0), 1);
    EXPECT_EQ(BASS_ChannelPlay(looped, 0), 1);
    EXPECT_EQ(BASS_ChannelIsActive(once), kAudioPlaying);
    EXPECT_EQ(ActivityAfterPlaying(once), kAudioStopped);
    EXPECT_EQ(BASS_ChannelIsActive(looped), kAudioPlaying);

    EXPECT_EQ(BASS_ChannelPlay(once, 0), 1);
    EXPECT_EQ(BASS_ChannelIsActive(once), kAudioStopped);
    EXPECT_EQ(BASS_ChannelPlay(once, 1), 1);
    EXPECT_EQ(BASS_ChannelIsActive(once), kAudioPlaying);

    EXPECT_EQ(BASS_ChannelStop(looped), 1);
    EXPECT_EQ(BASS_ChannelIsActive(looped), kAudioStopped);
    EXPECT_EQ(BASS_ChannelPlay(looped, 0), 1);
    EXPECT_EQ(BASS_ChannelIsActive(looped), kAudioPlaying);
    EXPECT_EQ(BASS_ChannelPause(looped), 1);
    EXPECT_EQ(BASS_ChannelIsActive(looped), kAudioPaused);
}

TEST(AudioLibraryDevice, StartsOnceKeepsTheOpenDeviceAndRefusesStreamsWithoutIt)
{
    UseNullSoundUnlessChosen();
    const Bytes tone = MakeWave(1, 16, 8000, 80);
    EXPECT_EQ(BASS_GetVersion(), 0x00020002u);
    EXPECT_EQ(BASS_StreamCreateFile(1, tone.data(), 0, static_cast<uint32_t>(tone.size()), 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kAudioNotStarted);
    EXPECT_EQ(BASS_GetDevice(), 0xFFFFFFFFu);
    ASSERT_EQ(BASS_Init(-1, 44100, kAudioDevice3D, 0, nullptr), 1);
    const uint32_t handle = BASS_StreamCreateFile(1, tone.data(), 0, static_cast<uint32_t>(tone.size()), 0);
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(BASS_Init(-1, 44100, kAudioDevice3D, 42, nullptr), 1); // with a window: the same device
    EXPECT_EQ(BASS_ChannelIsActive(handle), kAudioStopped);
    EXPECT_EQ(BASS_GetDevice(), 1u);
    EXPECT_NE(BASS_GetDeviceDescription(1), nullptr);
    EXPECT_EQ(BASS_GetDeviceDescription(2), nullptr);
    EXPECT_EQ(BASS_Free(), 1);
    EXPECT_EQ(BASS_ChannelPlay(handle, 1), 0); // freed with the device
    EXPECT_EQ(BASS_Free(), 0);
}
