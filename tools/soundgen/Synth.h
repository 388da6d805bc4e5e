#pragma once
// The generator's building blocks: a looping track that folds whatever
// sounds past its end back onto its start, a sine table, a seeded random
// source, and the reverb. Everything is plain arithmetic on floats, so the
// same build makes the same samples on every run.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace soundgen
{

constexpr uint32_t kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// A loop of frames x channels samples, interleaved. Sounds are mixed in
// with wrap-around, so a note or a tail crossing the end continues at
// frame 0 and the loop has no seam.
struct Track
{
    Track(uint32_t channelCount, uint32_t frameCount)
        : channels(channelCount), frames(frameCount), samples(static_cast<size_t>(channelCount) * frameCount, 0.0f)
    {
    }

    // Adds mono (count samples) from frame start on, times gain per channel
    // (gains has channels entries).
    void Mix(int64_t start, const std::vector<float>& mono, const float* gains);
    // Adds every sample of other (same shape) times gain.
    void Add(const Track& other, float gain);
    // The largest magnitude of any sample.
    float Peak() const;
    // Scales every sample so the peak lands at target.
    void Normalize(float target);

    uint32_t channels;
    uint32_t frames;
    std::vector<float> samples;
};

// Seconds to frames, rounded.
int64_t Frames(double seconds);
// The frequency of a MIDI note number (69 = A 440 Hz).
double NoteFrequency(int32_t note);

// One cycle of a waveform in 4096 entries (and the first again at the end),
// read by a 32-bit phase: a full cycle per 2^32, linearly interpolated. A
// tone of fixed harmonics costs one read a frame this way.
class Wave
{
public:
    static constexpr uint32_t kBits = 12;
    static constexpr uint32_t kSize = 1u << kBits;

    // The sum of harmonics: levels[h] of harmonic h + 1.
    Wave(const float* levels, uint32_t count);

    float operator()(uint32_t phase) const
    {
        constexpr uint32_t kFractionBits = 32 - kBits;
        const uint32_t index = phase >> kFractionBits;
        const float fraction =
            static_cast<float>(phase & ((1u << kFractionBits) - 1)) * (1.0f / static_cast<float>(1u << kFractionBits));
        return table[index] + (table[index + 1] - table[index]) * fraction;
    }

private:
    float table[kSize + 1];
};

// The pure tone.
inline float Sine(uint32_t phase)
{
    static const float kFundamental = 1.0f;
    static const Wave sine(&kFundamental, 1);
    return sine(phase);
}
// The phase step of frequency Hz per frame.
uint32_t PhaseStep(double frequency);

// xorshift64*: the generator's only randomness, seeded per sound.
class Random
{
public:
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    // Uniform in [0, 1).
    double Unit();
    // Uniform in [low, high).
    double Range(double low, double high) { return low + (high - low) * Unit(); }
    // Uniform in [-1, 1), as a sample.
    float Noise() { return static_cast<float>(2.0 * Unit() - 1.0); }

private:
    uint64_t state;
};

// A small room: eight damped combs and four all-passes per side (the right
// side's delays slightly longer, for width), fed the mono sum of a track.
// Run over the loop and its tail and the tail folded back, it rings as if
// the loop had always been playing.
void AddReverb(const Track& dry, Track& out, float wet, float roomSize, float damping);

// A two-pole resonant band-pass at frequency with quality q, run over the
// samples in place twice round (so a looping input gives a looping output).
void BandPassLoop(std::vector<float>& samples, double frequency, double q);
// A one-pole low-pass at frequency, likewise run twice round.
void LowPassLoop(std::vector<float>& samples, double frequency);

} // namespace soundgen
