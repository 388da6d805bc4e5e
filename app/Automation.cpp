#include "app/Automation.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "engine/core/Log.h"

namespace
{

// A whole decimal number in [low, high]; false for anything else.
bool ParseInteger(const char* text, long long low, long long high, long long& value)
{
    if (!text || !*text)
        return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != 0 || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

void Ignore(const char* name, const char* value)
{
    LogWarning("Переменная окружения %s имеет неверное значение [%s] и не учитывается.", name, value);
}

} // namespace

Automation Automation::FromEnvironment()
{
    Automation automation;

    if (const char* value = std::getenv("VERNALIA_HEADLESS"))
    {
        if (value[0] == '1' && value[1] == 0)
            automation.headless = true;
        else if (!(value[0] == '0' && value[1] == 0) && value[0] != 0)
            Ignore("VERNALIA_HEADLESS", value);
    }

    if (const char* value = std::getenv("VERNALIA_FRAMES"))
    {
        long long frames = 0;
        if (ParseInteger(value, 0, INT64_MAX, frames))
            automation.frameLimit = frames;
        else
            Ignore("VERNALIA_FRAMES", value);
    }

    if (const char* value = std::getenv("VERNALIA_TIME_STEP"))
    {
        char* end = nullptr;
        double step = std::strtod(value, &end);
        if (*value && *end == 0 && step >= 0.0 && step <= 3600.0)
            automation.timeStep = step;
        else
            Ignore("VERNALIA_TIME_STEP", value);
    }

    if (const char* value = std::getenv("VERNALIA_SEED"))
    {
        long long seed = 0;
        if (ParseInteger(value, 0, UINT32_MAX, seed))
        {
            automation.seedFixed = true;
            automation.seed = static_cast<uint32_t>(seed);
        }
        else
            Ignore("VERNALIA_SEED", value);
    }

    if (const char* value = std::getenv("VERNALIA_CLOCK"))
    {
        int hour = -1, minute = -1, second = -1;
        char tail = 0;
        if (std::sscanf(value, "%2d:%2d:%2d%c", &hour, &minute, &second, &tail) == 3 && hour >= 0 &&
            hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60)
        {
            automation.clockFixed = true;
            automation.hour = hour;
            automation.minute = minute;
            automation.second = second;
        }
        else
            Ignore("VERNALIA_CLOCK", value);
    }
    return automation;
}

void GetLocalClock(const Automation& automation, int32_t& hour, int32_t& minute, int32_t& second)
{
    if (automation.clockFixed)
    {
        hour = automation.hour;
        minute = automation.minute;
        second = automation.second;
        return;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    hour = local.tm_hour;
    minute = local.tm_min;
    second = local.tm_sec;
}
