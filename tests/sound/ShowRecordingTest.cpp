// The whole show's sound, recorded through OpenAL Soft's wave writer: a run
// of 100 frames (5 s of show time) with the shipped scene, under the
// settings and keys that change what is heard. The writer records in real
// time from the device's start, so loading comes first as silence and the
// length follows the machine's speed; loudness is compared from the first
// sound on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "sound/SoundTestSupport.h"
#include "support/ShowRun.h"

namespace
{

constexpr float kSilent = 2.0f / 32768.0f; // two steps of the 16-bit output
constexpr float kHeard = 0.01f;            // -40 dBFS

class ShowRecording : public ShowRun
{
protected:
    // The recorded samples (stereo, interleaved) of a show run with these
    // stored settings ("Key=value" lines; empty keeps the defaults).
    std::vector<float> Record(const std::string& settings, std::vector<std::string> extra = {})
    {
        if (!settings.empty())
        {
            const std::string store = folder.Path() + "/config/Brightfold Software";
            std::filesystem::create_directories(store);
            WriteText(store + "/Vernalia 3D Screensaver.conf", settings);
        }
        const std::string wav = folder.Path() + "/show.wav";
        WriteText(folder.Path() + "/record.conf", sound_test::RecordingConfig(wav));
        extra.insert(extra.end(), {"ALSOFT_CONF=" + folder.Path() + "/record.conf", "VERNALIA_FRAMES=100",
                                   "VERNALIA_TIME_STEP=0.05", "VERNALIA_SEED=7"});
        EXPECT_EQ(Run("/s", extra), 0);
        uint32_t channels = 0;
        std::vector<float> samples = sound_test::RecordedSamples(ReadBytes(wav), channels);
        EXPECT_EQ(channels, 2u);
        return samples;
    }

    // Index of the first sample at least this loud, or the size.
    static size_t FirstAbove(const std::vector<float>& samples, float level)
    {
        return static_cast<size_t>(std::find_if(samples.begin(), samples.end(),
                                                [=](float s) { return std::fabs(s) >= level; }) -
                                   samples.begin());
    }

    static float Peak(const std::vector<float>& samples)
    {
        float peak = 0.0f;
        for (float s : samples)
            peak = std::max(peak, std::fabs(s));
        return peak;
    }

    // Root mean square of count samples from first on.
    static double Rms(const std::vector<float>& samples, size_t first, size_t count)
    {
        double sum = 0.0;
        for (size_t i = first; i < first + count; ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        return std::sqrt(sum / static_cast<double>(count));
    }
};

} // namespace

TEST_F(ShowRecording, TheShowIsHeardFromItsFirstFrames)
{
    const std::vector<float> samples = Record("");
    const size_t start = FirstAbove(samples, kHeard);
    ASSERT_LT(start, samples.size());
    // The music and the birds from the first second of sound on.
    EXPECT_GT(Rms(samples, start, std::min<size_t>(samples.size() - start, 2 * 44100)), 0.02);
}

TEST_F(ShowRecording, MuteAtFrameTenSilencesTheRest)
{
    const std::vector<float> samples = Record("", {"VERNALIA_KEYS=M@10"});
    const size_t start = FirstAbove(samples, kHeard);
    ASSERT_LT(start, samples.size());
    // Nine frames heard, then ninety silent: whatever sounds last comes in
    // the first part of the show.
    size_t last = samples.size();
    while (last > 0 && std::fabs(samples[last - 1]) < kSilent)
        --last;
    EXPECT_LT(last - start, (samples.size() - start) / 2) << "heard until sample " << last << " of " << samples.size();
}

TEST_F(ShowRecording, MusicAndEffectsOffLeaveItSilent)
{
    const std::vector<float> samples = Record("Music=0\nSFX=0\n");
    ASSERT_GT(samples.size(), 44100u);
    EXPECT_LT(Peak(samples), kSilent);
}

TEST_F(ShowRecording, VolumeFortyIsHalfOfEighty)
{
    // Effects off: the music alone, which does not follow the camera.
    const std::vector<float> loud = Record("SFX=0\nVolume=80\n");
    const std::vector<float> soft = Record("SFX=0\nVolume=40\n");
    const size_t loudStart = FirstAbove(loud, kHeard), softStart = FirstAbove(soft, kHeard / 2);
    ASSERT_LT(loudStart, loud.size());
    ASSERT_LT(softStart, soft.size());
    const size_t count = std::min({loud.size() - loudStart, soft.size() - softStart, size_t{2 * 2 * 44100}});
    ASSERT_GT(count, 44100u);
    EXPECT_NEAR(Rms(soft, softStart, count) / Rms(loud, loudStart, count), 0.5, 0.03);
}
