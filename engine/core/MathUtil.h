#pragma once
#include <cstdint>

// Constants and small numeric helpers shared by the scene, the particle
// systems and the texture effects.

constexpr float kPi = 3.14159265f;

// Squared lengths below this are treated as zero: normalising such a vector
// would only amplify rounding noise into an arbitrary direction.
constexpr float kZeroTolerance = 1.1920929e-7f;

// Repeatable lattice noise in -1..1 for integer coordinates; the same inputs
// give the same value on every run and platform (32-bit wrap-around).
float IntNoise(int32_t x, int32_t y, int32_t z);

// Eases from a (t = 0) to b (t = 1) along half a cosine wave, so the slope
// is zero at both ends.
float CosineInterpolate(float a, float b, float t);

// A value from 0 to 1 from the C library's generator, scaled as if rand()
// ran 0..32767 whatever the local RAND_MAX is: the content's random spreads
// were tuned for that range.
float RandomUnit();

// Builds a tangent-space normal map from an 8-bit height map of
// width x height bytes. Each output pixel is 3 bytes (x, y, z of the normal
// biased to 0..255) or, with alpha, 4 bytes whose last is the height itself.
// Neighbours wrap around the edges so the map tiles. out must hold
// width * height * (3 or 4) bytes. Returns 0, or 3 (logged) for a null
// buffer, a non-positive size or a non-finite scale.
int32_t HeightToNormalMap(const uint8_t* heights, int width, int height, float scale, bool withAlpha,
                          uint8_t* out);
