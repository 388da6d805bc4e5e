#include "engine/core/FpsCounter.h"

void FpsCounter::Tick(double seconds)
{
    ++frames;
    accumulated += seconds;
    if (accumulated >= 1.0)
    {
        rate = frames / accumulated;
        frames = 0;
        accumulated -= 1.0;
    }
}
