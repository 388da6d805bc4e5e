#pragma once
#include <cstdint>

// Environment variables that steer a run without touching the command line,
// so a show can run unattended and repeatably (tests, CI, screenshots):
//   VERNALIA_HEADLESS=1       no display; frames render offscreen
//   VERNALIA_FRAMES=N         end after N frames, as if a key had been pressed
//   VERNALIA_TIME_STEP=S      every frame advances S seconds
//   VERNALIA_SEED=N           the C generator's seed instead of the time
//   VERNALIA_CLOCK=HH:MM:SS   the local time the overlays read
// Malformed values are logged and ignored.
struct Automation
{
    bool headless = false;
    int64_t frameLimit = -1;   // -1: no limit
    double timeStep = -1.0;    // below 0: measured
    bool seedFixed = false;
    uint32_t seed = 0;
    bool clockFixed = false;
    int32_t hour = 0, minute = 0, second = 0;

    // Reads the variables; call after the log is open so mistakes are seen.
    static Automation FromEnvironment();
};

// The local time overlays show: the fixed clock when one is set.
void GetLocalClock(const Automation& automation, int32_t& hour, int32_t& minute, int32_t& second);
