#pragma once

// Table sine and cosine with one-degree steps, for per-particle and
// per-blade work where the cost of std::sin shows and a degree of error
// does not. The angle is truncated toward zero to whole degrees, so the
// error is up to one degree in the direction of zero.

// Builds both 360-entry tables. Optional: the first lookup builds them too;
// calling it at start-up just moves that cost out of the first frame.
void InitializeFastTrig();

// Any finite angle in radians, negative or beyond a full turn; an angle
// too large to count in whole degrees (or NaN) reads entry 0.
float FastSin(float radians);
float FastCos(float radians);
