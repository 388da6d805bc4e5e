#pragma once
#include <cstdint>

// The brightness control of the settings turned into the 16-bit ramp the
// device applies to red, green and blue: entry i = level * 200 + i * 256,
// clamped to 0..65535. Level 0 is the identity ramp (i * 256); any int32_t
// level is safe (the sum is formed in 64 bits).
// Returns 0, or 3 (and logs) when out is null.
int32_t BuildBrightnessRamp(int32_t level, uint16_t out[256]);
