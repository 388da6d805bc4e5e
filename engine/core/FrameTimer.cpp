#include "engine/core/FrameTimer.h"

#include <chrono>

FrameTimer::FrameTimer(TickSource tickSource) : tickSource(tickSource ? tickSource : &SteadyClockTicks) {}

void FrameTimer::Reset()
{
    lastTick = 0;
}

void FrameTimer::Start()
{
    lastTick = tickSource();
}

double FrameTimer::GetSeconds()
{
    const uint64_t now = tickSource();
    const uint64_t elapsed = now >= lastTick ? now - lastTick : 0;
    lastTick = now;
    return static_cast<double>(elapsed) * 0.001;
}

uint64_t FrameTimer::SteadyClockTicks()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
