#pragma once
#include <cstdint>

// Measures the time between successive queries in whole milliseconds, the
// way the frame loop takes its update step.
class FrameTimer
{
public:
    // Millisecond tick count; only differences between readings matter.
    using TickSource = uint64_t (*)();

    // Null (the default) reads the monotonic clock; tests pass their own.
    explicit FrameTimer(TickSource tickSource = nullptr);

    // Forgets the last reading. Call Start before the next GetSeconds, or
    // that query measures from tick 0.
    void Reset();
    // Takes a reading, so the next GetSeconds measures from here.
    void Start();
    // Seconds since the last reading (in 1 ms steps), then takes a new
    // reading. A source that goes backwards yields 0, not a huge step.
    double GetSeconds();

    // The monotonic clock in milliseconds.
    static uint64_t SteadyClockTicks();

private:
    TickSource tickSource;
    uint64_t lastTick = 0;
};
