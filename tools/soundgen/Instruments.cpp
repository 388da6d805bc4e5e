#include "tools/soundgen/Instruments.h"

#include <algorithm>
#include <cmath>

#include "tools/soundgen/Synth.h"

namespace soundgen
{

namespace
{

// A rise from 0 to 1 over attack seconds, held, then a fall to 0 over
// release seconds after hold: a smooth (raised-cosine) shape at both ends.
float Envelope(double t, double attack, double hold, double release)
{
    if (t < attack)
        return static_cast<float>(0.5 - 0.5 * std::cos(kPi * t / attack));
    if (t < hold)
        return 1.0f;
    if (t < hold + release)
        return static_cast<float>(0.5 + 0.5 * std::cos(kPi * (t - hold) / release));
    return 0.0f;
}

} // namespace

std::vector<float> Flute(double frequency, double duration, float level, Random& random)
{
    constexpr double kRelease = 0.18;
    std::vector<float> out(static_cast<size_t>(Frames(duration + kRelease)));
    // Breath: noise through a band round the second harmonic.
    std::vector<float> breath(out.size());
    for (float& value : breath)
        value = random.Noise();
    BandPassLoop(breath, frequency * 2.0, 1.5);
    static constexpr float kHarmonics[4] = {1.0f, 0.28f, 0.10f, 0.035f};
    static const Wave tone(kHarmonics, 4);
    uint32_t phase = 0;
    const uint32_t step = PhaseStep(frequency);
    const double vibratoRate = 5.0 + 0.6 * random.Unit();
    uint32_t vibratoPhase = 0;
    const uint32_t vibratoStep = PhaseStep(vibratoRate);
    // A brighter puff of air in the first 50 ms.
    float chiff = 0.35f;
    const float chiffFall = static_cast<float>(std::exp(-1.0 / (0.025 * kRate)));
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const float envelope = Envelope(t, 0.06, duration, kRelease);
        // The vibrato grows in from 0.2 s to 0.6 s, to 0.45 % of the pitch.
        const float depth = 0.0045f * static_cast<float>(std::clamp((t - 0.2) / 0.4, 0.0, 1.0));
        const float wobble = 1.0f + depth * Sine(vibratoPhase);
        vibratoPhase += vibratoStep;
        const float sound = tone(phase);
        phase += static_cast<uint32_t>(static_cast<float>(step) * wobble);
        out[i] = level * envelope * (0.72f * sound + (0.05f + chiff) * breath[i]);
        chiff *= chiffFall;
    }
    return out;
}

std::vector<float> Marimba(double frequency, float level, Random& random)
{
    // The bar rings longer the lower it is.
    const double decay = std::clamp(0.55 * std::pow(262.0 / frequency, 0.5), 0.18, 0.9);
    const double length = std::min(3.5 * decay, 2.0);
    std::vector<float> out(static_cast<size_t>(Frames(length)));
    constexpr double kRatios[3] = {1.0, 3.93, 9.2};
    constexpr float kLevels[3] = {1.0f, 0.30f, 0.09f};
    const double decays[3] = {decay, decay * 0.28, decay * 0.09};
    for (int mode = 0; mode < 3; ++mode)
    {
        const double modeFrequency = frequency * kRatios[mode];
        if (modeFrequency > 16000.0)
            continue;
        const uint32_t step = PhaseStep(modeFrequency);
        uint32_t phase = 0;
        const float fall = static_cast<float>(std::exp(-1.0 / (decays[mode] * kRate)));
        float amplitude = kLevels[mode] * level;
        // Each mode only as long as it is heard: 30 dB down at most.
        const size_t count = std::min(out.size(), static_cast<size_t>(Frames(3.5 * decays[mode])));
        for (size_t i = 0; i < count; ++i)
        {
            out[i] += amplitude * Sine(phase);
            phase += step;
            amplitude *= fall;
        }
    }
    // The mallet: 4 ms of softened noise.
    float state = 0.0f;
    const size_t knock = std::min(out.size(), static_cast<size_t>(Frames(0.004)));
    for (size_t i = 0; i < knock; ++i)
    {
        state += 0.3f * (random.Noise() - state);
        out[i] += 0.25f * level * state * (1.0f - static_cast<float>(i) / knock);
    }
    // A short fade so the cut at the end is not heard.
    const size_t fade = std::min(out.size(), static_cast<size_t>(Frames(0.05)));
    for (size_t i = 0; i < fade; ++i)
        out[out.size() - 1 - i] *= static_cast<float>(i) / fade;
    // A 2 ms rise keeps the strike from clicking.
    const size_t rise = static_cast<size_t>(Frames(0.002));
    for (size_t i = 0; i < rise && i < out.size(); ++i)
        out[i] *= static_cast<float>(i) / rise;
    return out;
}

std::vector<float> Pad(double frequency, double duration, float level)
{
    constexpr double kRelease = 1.2;
    std::vector<float> out(static_cast<size_t>(Frames(duration + kRelease)));
    // A gentle slope of five harmonics, nothing harsh.
    static constexpr float kHarmonics[5] = {1.0f, 0.33f, 0.172f, 0.109f, 0.076f};
    static const Wave tone(kHarmonics, 5);
    const uint32_t low = PhaseStep(frequency * 0.9977), high = PhaseStep(frequency * 1.0023);
    uint32_t lowPhase = 0, highPhase = 0x40000000u;
    const double attack = std::min(0.7, duration * 0.5);
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const float envelope = Envelope(t, attack, duration, kRelease);
        out[i] = 0.5f * level * envelope * (tone(lowPhase) + tone(highPhase));
        lowPhase += low;
        highPhase += high;
    }
    return out;
}

std::vector<float> Bass(double frequency, double duration, float level)
{
    constexpr double kRelease = 0.12;
    std::vector<float> out(static_cast<size_t>(Frames(duration + kRelease)));
    static constexpr float kHarmonics[3] = {1.0f, 0.35f, 0.08f};
    static const Wave tone(kHarmonics, 3);
    uint32_t phase = 0;
    const uint32_t step = PhaseStep(frequency);
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const float body = static_cast<float>(0.6 + 0.4 * std::exp(-t / 0.25));
        out[i] = level * Envelope(t, 0.012, duration, kRelease) * body * tone(phase);
        phase += step;
    }
    return out;
}

std::vector<float> Shaker(float level, Random& random)
{
    std::vector<float> out(static_cast<size_t>(Frames(0.06)));
    float previous = 0.0f;
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const float noise = random.Noise();
        // The difference of successive samples: only the bright part.
        const float bright = noise - previous;
        previous = noise;
        const float envelope = static_cast<float>(std::min(t / 0.006, 1.0) * std::exp(-t / 0.018));
        out[i] = level * envelope * bright;
    }
    return out;
}

} // namespace soundgen
