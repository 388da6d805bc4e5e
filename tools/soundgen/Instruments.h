#pragma once
// The music's voices, each rendering one note into a mono buffer that the
// caller places and pans. Frequencies in Hz, durations in seconds, levels
// 0..1.
#include <cstdint>
#include <vector>

namespace soundgen
{

class Random;

// A breathy, flute-like tone: a strong fundamental with a few soft
// harmonics, a chiff of breath at the start, a little breath throughout and
// a vibrato that grows in after the attack. Rings 0.18 s past duration.
std::vector<float> Flute(double frequency, double duration, float level, Random& random);

// A struck wooden bar: three inharmonic modes (the tuned bar's 1 : 3.9 :
// 9.2), the higher ones dying first, and a short mallet knock.
std::vector<float> Marimba(double frequency, float level, Random& random);

// A soft pad voice: two slightly detuned additive tones with a slow swell
// and a long release; one per chord tone. Rings 1.2 s past duration.
std::vector<float> Pad(double frequency, double duration, float level);

// A round plucked bass: the fundamental and two soft harmonics with a
// quick attack and a gentle decay.
std::vector<float> Bass(double frequency, double duration, float level);

// A brushed shaker tick: a few milliseconds of bright noise.
std::vector<float> Shaker(float level, Random& random);

} // namespace soundgen
