#include "tools/soundgen/Nature.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace soundgen
{

namespace
{

// A tone whose pitch and loudness follow functions of the time within it:
// a sine with a touch of second harmonic, as a bird's whistle is nearly pure.
template <typename Pitch, typename Loudness>
std::vector<float> Glide(double seconds, Pitch pitch, Loudness loudness)
{
    std::vector<float> out(static_cast<size_t>(Frames(seconds)));
    constexpr double kStepPerHertz = 4294967296.0 / kRate;
    uint32_t phase = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        // Twice the phase, wrapping, is the second harmonic's.
        out[i] = static_cast<float>(loudness(t)) * (Sine(phase) + 0.06f * Sine(phase * 2));
        phase += static_cast<uint32_t>(pitch(t) * kStepPerHertz);
    }
    return out;
}

double Squared(double x)
{
    return x * x;
}

// A smooth bump over [0, length]: 0 at both ends, 1 in the middle.
double Bump(double t, double length)
{
    if (t <= 0.0 || t >= length)
        return 0.0;
    const double s = std::sin(kPi * t / length);
    return s * s;
}

// Appends voice to phrase at offset seconds.
void Put(std::vector<float>& phrase, double offset, const std::vector<float>& voice)
{
    const size_t at = static_cast<size_t>(Frames(offset));
    if (phrase.size() < at + voice.size())
        phrase.resize(at + voice.size(), 0.0f);
    for (size_t i = 0; i < voice.size(); ++i)
        phrase[at + i] += voice[i];
}

// A few quick falling chirps.
std::vector<float> Chirps(Random& random)
{
    std::vector<float> phrase;
    const int count = 2 + static_cast<int>(random.Unit() * 4);
    const double top = random.Range(4200.0, 6000.0);
    for (int i = 0; i < count; ++i)
    {
        const double length = random.Range(0.045, 0.085);
        const double high = top * random.Range(0.95, 1.05), low = high * random.Range(0.6, 0.75);
        Put(phrase, i * random.Range(0.12, 0.18),
            Glide(length, [=](double t) { return high + (low - high) * t / length; },
                  [=](double t) { return Bump(t, length); }));
    }
    return phrase;
}

// A run of short, identical notes, each flicked upwards, sinking a little.
std::vector<float> Trill(Random& random)
{
    std::vector<float> phrase;
    const int count = 10 + static_cast<int>(random.Unit() * 12);
    const double base = random.Range(3600.0, 4800.0), period = random.Range(0.045, 0.065);
    for (int i = 0; i < count; ++i)
    {
        const double length = period * 0.55;
        const double start = base * (1.0 - 0.012 * i);
        const double loud = 0.6 + 0.4 * Bump(i + 0.5, count);
        Put(phrase, i * period,
            Glide(length, [=](double t) { return start * (1.0 + 0.25 * t / length); },
                  [=](double t) { return loud * Bump(t, length); }));
    }
    return phrase;
}

// A running song: a fast wobble over a wandering line, broken into
// syllables.
std::vector<float> Warble(Random& random)
{
    const double length = random.Range(0.7, 1.5);
    const double base = random.Range(2500.0, 3400.0);
    const double wobble = random.Range(22.0, 32.0), syllable = random.Range(7.0, 10.0);
    double steps[16];
    for (double& step : steps)
        step = random.Range(0.85, 1.25);
    return Glide(
        length,
        [=](double t) {
            const double at = t / length * 15.0;
            const int i = static_cast<int>(at);
            const double f = at - i, line = steps[i] + (steps[i + 1] - steps[i]) * f * f * (3 - 2 * f);
            return base * line * (1.0 + 0.07 * std::sin(2.0 * kPi * wobble * t));
        },
        [=](double t) { return Bump(t, length) * (0.35 + 0.65 * Squared(std::sin(kPi * syllable * t))); });
}

// Two or three clear, slow whistles, each sliding.
std::vector<float> Whistles(Random& random)
{
    std::vector<float> phrase;
    const int count = 2 + static_cast<int>(random.Unit() * 2);
    double offset = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const double length = random.Range(0.22, 0.4);
        const double from = random.Range(1900.0, 2700.0), to = from * random.Range(0.8, 1.3);
        Put(phrase, offset,
            Glide(length, [=](double t) { return from + (to - from) * t / length; },
                  [=](double t) { return Bump(t, length) * (t < 0.02 ? t / 0.02 : 1.0); }));
        offset += length + random.Range(0.08, 0.2);
    }
    return phrase;
}

// Equal-power placement of a mono voice in a stereo track.
void PlaceStereo(Track& track, double seconds, const std::vector<float>& voice, float level, float pan)
{
    const float angle = static_cast<float>((pan + 1.0) * kPi / 4.0);
    const float gains[2] = {level * std::cos(angle), level * std::sin(angle)};
    track.Mix(Frames(seconds), voice, gains);
}

} // namespace

Track MakeBirds()
{
    const uint32_t frames = static_cast<uint32_t>(Frames(48.0));
    Track out(2, frames), near(2, frames), far(2, frames);
    Random random(4211);
    // Phrases at seeded times: one every 0.7 s on average, a third of them far.
    for (double at = random.Range(0.0, 0.3); at < 48.0; at += random.Range(0.25, 1.15))
    {
        std::vector<float> phrase;
        switch (static_cast<int>(random.Unit() * 4))
        {
        case 0: phrase = Chirps(random); break;
        case 1: phrase = Trill(random); break;
        case 2: phrase = Warble(random); break;
        default: phrase = Whistles(random); break;
        }
        if (random.Unit() < 0.35)
            PlaceStereo(far, at, phrase, static_cast<float>(random.Range(0.12, 0.25)), static_cast<float>(random.Range(-0.5, 0.5)));
        else
            PlaceStereo(near, at, phrase, static_cast<float>(random.Range(0.45, 1.0)), static_cast<float>(random.Range(-0.85, 0.85)));
    }
    // Distance dulls: the far birds lose their top.
    for (uint32_t c = 0; c < 2; ++c)
    {
        std::vector<float> side(frames);
        for (uint32_t i = 0; i < frames; ++i)
            side[i] = far.samples[static_cast<size_t>(i) * 2 + c];
        LowPassLoop(side, 3500.0);
        for (uint32_t i = 0; i < frames; ++i)
            far.samples[static_cast<size_t>(i) * 2 + c] = side[i];
    }
    out.Add(near, 1.0f);
    out.Add(far, 1.0f);
    Track send(2, frames);
    send.Add(near, 0.25f);
    send.Add(far, 1.0f);
    AddReverb(send, out, 1.2f, 0.6f, 0.5f);
    out.Normalize(0.25f);

    // The breeze: dark noise swelling three and five times a loop.
    for (uint32_t c = 0; c < 2; ++c)
    {
        std::vector<float> air(frames);
        for (float& value : air)
            value = random.Noise();
        LowPassLoop(air, 350.0);
        for (uint32_t i = 0; i < frames; ++i)
        {
            const double phase = 2.0 * kPi * i / frames;
            const double swell = 0.55 + 0.3 * std::sin(3.0 * phase + c) + 0.15 * std::sin(5.0 * phase + 2.0 * c);
            out.samples[static_cast<size_t>(i) * 2 + c] += static_cast<float>(0.045 * swell) * air[i];
        }
    }
    return out;
}

Track MakeCuckoo(int which)
{
    Track out(1, static_cast<uint32_t>(Frames(1.3)));
    Random random(77 + static_cast<uint64_t>(which));
    struct Syllable
    {
        double at, length, from, to;
    };
    // "cu-koo", and the hurried "cu-cu-koo" a bird gives now and then.
    const std::vector<Syllable> call =
        which == 0 ? std::vector<Syllable>{{0.02, 0.15, 770, 745}, {0.3, 0.34, 625, 600}}
                   : std::vector<Syllable>{{0.02, 0.12, 790, 770}, {0.2, 0.12, 790, 765}, {0.42, 0.38, 640, 610}};
    const float gains[1] = {1.0f};
    for (const Syllable& s : call)
    {
        const double length = s.length;
        const double from = s.from, to = s.to;
        std::vector<float> voice = Glide(
            length + 0.08, [=](double t) { return from + (to - from) * std::min(t / length, 1.0); },
            [=](double t) {
                const double rise = std::min(t / 0.03, 1.0), fall = t < length ? 1.0 : std::exp(-(t - length) / 0.02);
                return rise * fall * (1.0 - 0.2 * t / length);
            });
        out.Mix(Frames(s.at), voice, gains);
    }
    // A hollow, soft throat: a little breath noise on the tone.
    for (float& value : out.samples)
        value *= 1.0f + 0.04f * random.Noise();
    Track room(1, out.frames);
    AddReverb(out, room, 0.8f, 0.3f, 0.6f);
    out.Add(room, 1.0f);
    out.Normalize(0.7079f);
    return out;
}

Track MakeBrook()
{
    const uint32_t frames = static_cast<uint32_t>(Frames(12.0));
    Track out(1, frames);
    Random random(5150);
    // The rush: noise in a broad band, gently breathing.
    std::vector<float> rush(frames);
    for (float& value : rush)
        value = random.Noise();
    BandPassLoop(rush, 700.0, 0.6);
    for (uint32_t i = 0; i < frames; ++i)
        out.samples[i] = 0.25f * rush[i] * static_cast<float>(0.8 + 0.2 * std::sin(2.0 * kPi * 5.0 * i / frames));
    // Bubbles: short rising blips, fifty a second.
    const float gains[1] = {1.0f};
    for (double at = 0.0; at < 12.0; at += random.Range(0.0, 0.04))
    {
        const double f0 = 450.0 * std::pow(2.0, random.Range(0.0, 2.3));
        const double decay = random.Range(0.006, 0.022), rise = random.Range(0.3, 0.9);
        const double length = 5.0 * decay;
        const double level = random.Range(0.05, 0.35);
        std::vector<float> blip = Glide(length, [=](double t) { return f0 * (1.0 + rise * t / length); },
                                        [=](double t) { return level * std::exp(-t / decay) * std::min(t / 0.001, 1.0); });
        out.Mix(Frames(at), blip, gains);
    }
    out.Normalize(0.63f);
    return out;
}

} // namespace soundgen
