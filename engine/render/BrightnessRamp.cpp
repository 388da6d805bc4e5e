#include "engine/render/BrightnessRamp.h"

#include "engine/core/Log.h"

int32_t BuildBrightnessRamp(int32_t level, uint16_t out[256])
{
    if (!out)
    {
        LogError("Не задан буфер для таблицы яркости.");
        return 3;
    }
    // level * 200 alone overflows 32 bits for |level| above about 10.7 million.
    const int64_t offset = static_cast<int64_t>(level) * 200;
    for (int64_t i = 0; i < 256; ++i)
    {
        int64_t value = offset + i * 256;
        if (value < 0)
            value = 0;
        else if (value > 65535)
            value = 65535;
        out[i] = static_cast<uint16_t>(value);
    }
    return 0;
}
