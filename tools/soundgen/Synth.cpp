#include "tools/soundgen/Synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace soundgen
{

void Track::Mix(int64_t start, const std::vector<float>& mono, const float* gains)
{
    const int64_t length = frames;
    size_t at = static_cast<size_t>(((start % length) + length) % length);
    // In runs that end at the loop's end or the voice's.
    for (size_t done = 0; done < mono.size();)
    {
        const size_t count = std::min(mono.size() - done, static_cast<size_t>(frames) - at);
        const float* in = mono.data() + done;
        float* out = samples.data() + at * channels;
        if (channels == 2)
        {
            const float left = gains[0], right = gains[1];
            for (size_t i = 0; i < count; ++i)
            {
                out[2 * i] += in[i] * left;
                out[2 * i + 1] += in[i] * right;
            }
        }
        else
        {
            for (size_t i = 0; i < count; ++i)
                for (uint32_t c = 0; c < channels; ++c)
                    out[i * channels + c] += in[i] * gains[c];
        }
        done += count;
        at = 0;
    }
}

void Track::Add(const Track& other, float gain)
{
    for (size_t i = 0; i < samples.size() && i < other.samples.size(); ++i)
        samples[i] += other.samples[i] * gain;
}

float Track::Peak() const
{
    float peak = 0.0f;
    for (float value : samples)
        peak = std::max(peak, std::fabs(value));
    return peak;
}

void Track::Normalize(float target)
{
    const float peak = Peak();
    if (peak <= 0.0f)
        return;
    const float gain = target / peak;
    for (float& value : samples)
        value *= gain;
}

int64_t Frames(double seconds)
{
    return std::llround(seconds * kRate);
}

double NoteFrequency(int32_t note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

Wave::Wave(const float* levels, uint32_t count)
{
    for (uint32_t i = 0; i <= kSize; ++i)
    {
        double value = 0.0;
        for (uint32_t h = 0; h < count; ++h)
            value += levels[h] * std::sin(2.0 * kPi * (h + 1) * (i % kSize) / kSize);
        table[i] = static_cast<float>(value);
    }
}

uint32_t PhaseStep(double frequency)
{
    const double cycles = frequency / kRate;
    return static_cast<uint32_t>(static_cast<int64_t>(std::llround(cycles * 4294967296.0)) & 0xFFFFFFFF);
}

double Random::Unit()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<double>((state * 0x2545F4914F6CDD1Dull) >> 11) * (1.0 / 9007199254740992.0);
}

namespace
{

// A feedback comb with a one-pole low-pass in its loop.
struct Comb
{
    std::vector<float> line;
    size_t at = 0;
    float store = 0.0f;
    float Process(float input, float feedback, float damping)
    {
        const float output = line[at];
        store = output * (1.0f - damping) + store * damping;
        line[at] = input + store * feedback;
        if (++at == line.size())
            at = 0;
        return output;
    }
};

struct AllPass
{
    std::vector<float> line;
    size_t at = 0;
    float Process(float input)
    {
        const float delayed = line[at];
        const float output = delayed - input;
        line[at] = input + delayed * 0.5f;
        if (++at == line.size())
            at = 0;
        return output;
    }
};

} // namespace

void AddReverb(const Track& dry, Track& out, float wet, float roomSize, float damping)
{
    static constexpr uint32_t kCombs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static constexpr uint32_t kAllPasses[4] = {556, 441, 341, 225};
    constexpr uint32_t kSpread = 23;
    const float feedback = 0.7f + 0.28f * roomSize;
    const uint32_t sides = out.channels >= 2 ? 2 : 1;
    // Three seconds of tail is far below hearing at these feedbacks.
    const int64_t tail = Frames(3.0);
    for (uint32_t side = 0; side < sides; ++side)
    {
        std::array<Comb, 8> combs;
        std::array<AllPass, 4> passes;
        for (size_t i = 0; i < combs.size(); ++i)
            combs[i].line.assign(kCombs[i] + side * kSpread, 0.0f);
        for (size_t i = 0; i < passes.size(); ++i)
            passes[i].line.assign(kAllPasses[i] + side * kSpread, 0.0f);
        for (int64_t frame = 0; frame < static_cast<int64_t>(dry.frames) + tail; ++frame)
        {
            float input = 0.0f;
            if (frame < dry.frames)
                for (uint32_t c = 0; c < dry.channels; ++c)
                    input += dry.samples[static_cast<size_t>(frame) * dry.channels + c];
            input *= 0.015f;
            float sum = 0.0f;
            for (Comb& comb : combs)
                sum += comb.Process(input, feedback, damping);
            for (AllPass& pass : passes)
                sum = pass.Process(sum);
            const int64_t at = frame % out.frames;
            if (out.channels == 1)
                out.samples[static_cast<size_t>(at)] += wet * sum;
            else
                out.samples[static_cast<size_t>(at) * out.channels + side] += wet * sum;
        }
    }
}

void BandPassLoop(std::vector<float>& samples, double frequency, double q)
{
    // The constant-peak band-pass of the audio cookbook.
    const double w = 2.0 * kPi * frequency / kRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    const float b0 = static_cast<float>(alpha / a0), b2 = -b0;
    const float a1 = static_cast<float>(-2.0 * std::cos(w) / a0), a2 = static_cast<float>((1.0 - alpha) / a0);
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (int round = 0; round < 2; ++round)
        for (float& sample : samples)
        {
            const float x = sample;
            const float y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            if (round == 1)
                sample = y;
        }
}

void LowPassLoop(std::vector<float>& samples, double frequency)
{
    const float k = static_cast<float>(1.0 - std::exp(-2.0 * kPi * frequency / kRate));
    float state = 0.0f;
    for (int round = 0; round < 2; ++round)
        for (float& sample : samples)
        {
            state += k * (sample - state);
            if (round == 1)
                sample = state;
        }
}

} // namespace soundgen
