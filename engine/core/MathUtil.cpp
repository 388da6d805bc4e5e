#include "engine/core/MathUtil.h"

#include <cmath>
#include <cstdlib>

#include "engine/core/Log.h"

float IntNoise(int32_t x, int32_t y, int32_t z)
{
    // Unsigned arithmetic wraps by definition; the bits are the same as the
    // classic signed formula without its undefined overflow.
    uint32_t n = static_cast<uint32_t>(x) + 57u * static_cast<uint32_t>(y) + 131u * static_cast<uint32_t>(z);
    n ^= n << 13;
    const uint32_t mixed = n * (n * n * 15731u + 789221u) - 771171059u;
    // Double keeps the division exact so only the final conversion rounds.
    return static_cast<float>(1.0 - static_cast<double>(mixed & 0x7FFFFFFFu) / 1073741824.0);
}

float CosineInterpolate(float a, float b, float t)
{
    const float f = (1.0f - std::cos(t * kPi)) * 0.5f;
    return a * (1.0f - f) + b * f;
}

float RandomUnit()
{
    // glibc's rand() runs to 2^31 - 1; keep its high bits, which are the
    // better-mixed ones, and reduce them to 0..32767.
    constexpr unsigned long kRange = static_cast<unsigned long>(RAND_MAX) + 1ul;
    constexpr unsigned long kDivisor = kRange > 32768ul ? kRange / 32768ul : 1ul;
    const unsigned long value = static_cast<unsigned long>(std::rand()) / kDivisor;
    return static_cast<float>(value) / 32767.0f;
}

int32_t HeightToNormalMap(const uint8_t* heights, int width, int height, float scale, bool withAlpha,
                          uint8_t* out)
{
    if (!heights || !out || width <= 0 || height <= 0 || !std::isfinite(scale))
    {
        LogError("Неверные параметры построения карты нормалей: ширина[%d] высота[%d].", width,
                 height);
        return 3;
    }
    const int stride = withAlpha ? 4 : 3;
    for (int y = 0; y < height; ++y)
    {
        const uint8_t* row = heights + static_cast<size_t>(y) * width;
        const uint8_t* below = heights + static_cast<size_t>((y + 1) % height) * width;
        for (int x = 0; x < width; ++x)
        {
            const float v = row[x] / 255.0f;
            const float r = row[(x + 1) % width] / 255.0f;
            const float d = below[x] / 255.0f;
            const float dx = (v - r) * scale;
            const float dy = (v - d) * scale;
            const float k = 1.0f / std::sqrt(dx * dx + dy * dy + 1.0f);
            uint8_t* pixel = out + (static_cast<size_t>(y) * width + x) * stride;
            // |dx·k| < 1, so every biased value stays within 1..255.
            pixel[0] = static_cast<uint8_t>(dx * k * 127.0f + 128.0f);
            pixel[1] = static_cast<uint8_t>(dy * k * 127.0f + 128.0f);
            pixel[2] = static_cast<uint8_t>(k * 127.0f + 128.0f);
            // v·255 is the height byte; copying it avoids truncating 254.99998.
            if (withAlpha)
                pixel[3] = row[x];
        }
    }
    return 0;
}
