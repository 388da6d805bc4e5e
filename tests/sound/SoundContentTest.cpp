// The sounds the build makes, decoded by our own stream decoder: their
// shape, their levels, and loops that run into their start without a seam.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "sound/audio/StreamDecoder.h"
#include "support/Bytes.h"

namespace
{

struct Decoded
{
    uint32_t channels = 0, rate = 0;
    std::vector<float> samples; // interleaved, -1..1
};

Decoded Decode(const std::string& name)
{
    Decoded out;
    out.samples.reserve(44100 * 2 * 150);
    const Bytes file = ReadBytes(std::string(VERNALIA_GENERATED_DIR "/sounds/") + name);
    std::unique_ptr<StreamDecoder> decoder;
    if (file.empty() ||
        OpenStreamDecoder(file.data(), static_cast<uint32_t>(file.size()), decoder) != DecoderResult::kOk)
        return out;
    out.channels = decoder->GetChannels();
    out.rate = decoder->GetRate();
    std::vector<int16_t> buffer(4096 * out.channels);
    for (int32_t got; (got = decoder->Decode(buffer.data(), 4096)) > 0;)
        for (size_t i = 0; i < static_cast<size_t>(got) * out.channels; ++i)
            out.samples.push_back(buffer[i] / 32768.0f);
    return out;
}

// Decibels of the root mean square of count samples from first on.
double RmsDb(const std::vector<float>& samples, size_t first, size_t count)
{
    double sum = 0.0;
    for (size_t i = first; i < first + count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return 10.0 * std::log10(sum / static_cast<double>(count) + 1e-20);
}

} // namespace

TEST(SoundContent, EachSoundHasItsShapeLevelAndASeamlessLoop)
{
    const struct
    {
        const char* name;
        uint32_t channels;
        double minSeconds, maxSeconds;
        double minRmsDb, maxRmsDb; // the whole file
        bool loops;
    } cases[] = {
        {"vernalia.ogg", 2, 120, 180, -20, -12, true},
        {"birds.ogg", 2, 40, 60, -40, -26, true},
        {"cuckoo1.ogg", 1, 0.5, 2, -20, -8, false},
        {"cuckoo2.ogg", 1, 0.5, 2, -20, -8, false},
        {"brook.ogg", 1, 5, 30, -26, -14, true},
    };
    const double kFullScaleDb = -1.0;
    for (const auto& c : cases)
    {
        const Decoded sound = Decode(c.name);
        ASSERT_EQ(sound.channels, c.channels) << c.name;
        EXPECT_EQ(sound.rate, 44100u) << c.name;
        const size_t frames = sound.samples.size() / c.channels;
        EXPECT_GE(frames, c.minSeconds * 44100) << c.name;
        EXPECT_LE(frames, c.maxSeconds * 44100) << c.name;
        float peak = 0.0f;
        for (float s : sound.samples)
            peak = std::max(peak, std::fabs(s));
        EXPECT_LT(20.0 * std::log10(peak), kFullScaleDb) << c.name;
        const double rms = RmsDb(sound.samples, 0, sound.samples.size());
        EXPECT_GT(rms, c.minRmsDb) << c.name;
        EXPECT_LT(rms, c.maxRmsDb) << c.name;
        if (!c.loops)
            continue;

        // A loop is heard from its first second, its last half second is
        // as loud as its first, give or take what the music itself does,
        // and its last frame runs into the first without a jump.
        const char* name = c.name;
        const size_t half = 22050 * sound.channels;
        const double head = RmsDb(sound.samples, 0, half), tail = RmsDb(sound.samples, sound.samples.size() - half, half);
        EXPECT_GT(RmsDb(sound.samples, 0, 2 * half), -40.0) << name;
        EXPECT_NEAR(head, tail, 4.0) << name;
        for (uint32_t channel = 0; channel < sound.channels; ++channel)
            EXPECT_LT(std::fabs(sound.samples[channel] - sound.samples[sound.samples.size() - sound.channels + channel]),
                      0.05)
                << name << " channel " << channel;
    }
}
