#pragma once
#include <cstdint>

// Frame rate for the on-screen display: recomputed once per second of
// accumulated time, so the number holds still long enough to read.
class FpsCounter
{
public:
    // One frame that took the given seconds. Each time the sum reaches
    // 1 s the rate becomes frames ÷ sum, the frame count restarts and one
    // second is taken off the sum (the excess carries into the next second).
    void Tick(double seconds);

    // Frames per second as of the last full second; 0 before the first.
    float GetRate() const { return static_cast<float>(rate); }

private:
    uint32_t frames = 0;
    double accumulated = 0.0;
    double rate = 0.0;
};
