// What the library plays, recorded through OpenAL Soft's wave writer in a
// child process each (it records in real time and reads its configuration
// once per process): loudness ratios of a looping sine tone.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>

#include "sound/SoundTestSupport.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

using namespace sound_test;

namespace
{

struct Playing
{
    int volume = 100;
    int global = 100;
    bool is3D = false;
    float x = 0, y = 0, z = 0;
    float minDistance = 1;
    float rollOff = 1;
};

// The left and right peaks of 400 ms of the tone played as asked.
std::vector<double> Record(const TemporaryFolder& folder, const Playing& p, int index)
{
    const std::string base = folder.Path() + "/take" + std::to_string(index);
    {
        std::ofstream(base + ".conf") << RecordingConfig(base + ".wav");
        const Bytes tone = MakeWave(1, 16, 44100, 44100 / 10 * 3, 0.25f, 441.0f);
        std::ofstream(base + "-tone.wav", std::ios::binary)
            .write(reinterpret_cast<const char*>(tone.data()), static_cast<std::streamsize>(tone.size()));
    }
    RunProgram probe({SOUND_PROBE_BINARY, base + "-tone.wav", std::to_string(p.volume), std::to_string(p.global),
                      p.is3D ? "1" : "0", std::to_string(p.x), std::to_string(p.y), std::to_string(p.z),
                      std::to_string(p.minDistance), std::to_string(p.rollOff), "400"},
                     {"ALSOFT_CONF=" + base + ".conf"});
    EXPECT_EQ(probe.Run(std::chrono::seconds(20)), 0) << index;
    return ChannelPeaks(ReadBytes(base + ".wav"));
}

double Decibels(double ratio)
{
    return 20.0 * std::log10(ratio);
}

} // namespace

TEST(SoundRecording, VolumesDistancesAndSidesShowInTheRecordedAmplitude)
{
    TemporaryFolder folder;
    int take = 0;
    const std::vector<double> full = Record(folder, Playing{}, take++);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_GT(full[0], 0.1); // audible
    EXPECT_NEAR(full[0], full[1], 0.01);

    Playing half;
    half.volume = 50;
    EXPECT_NEAR(Record(folder, half, take++)[0] / full[0], 0.5, 0.03);
    Playing over;
    over.volume = 250; // plays at 100
    EXPECT_NEAR(Record(folder, over, take++)[0] / full[0], 1.0, 0.03);
    Playing silent;
    silent.global = 0;
    EXPECT_LT(Record(folder, silent, take++)[0], 1e-3);

    // In front at the minimum distance, then at twice it: -6 dB with roll-off
    // 1, -20.8 dB with the show's 10.
    for (float rollOff : {1.0f, 10.0f})
    {
        Playing near;
        near.is3D = true;
        near.z = 3;
        near.minDistance = 3;
        near.rollOff = rollOff;
        Playing far = near;
        far.z = 6;
        const double farPeak = Record(folder, far, take++)[0];
        const double nearPeak = Record(folder, near, take++)[0];
        EXPECT_NEAR(Decibels(farPeak / nearPeak), Decibels(1.0 / (1.0 + rollOff)), 0.5) << rollOff;
    }

    // On the listener's right (+x when facing +z with +y up).
    Playing right;
    right.is3D = true;
    right.x = 2;
    const std::vector<double> sides = Record(folder, right, take++);
    ASSERT_EQ(sides.size(), 2u);
    EXPECT_GT(sides[1], 2 * sides[0]);
}
