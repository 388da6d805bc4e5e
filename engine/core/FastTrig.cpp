#include "engine/core/FastTrig.h"

#include <cmath>
#include <cstdint>

namespace
{
struct TrigTables
{
    float sine[360];
    float cosine[360];

    TrigTables()
    {
        for (int degree = 0; degree < 360; ++degree)
        {
            const double radians = degree * 3.14159265358979323846 / 180.0;
            sine[degree] = static_cast<float>(std::sin(radians));
            cosine[degree] = static_cast<float>(std::cos(radians));
        }
    }
};

// A function-local static is built once, even if the first lookups race.
const TrigTables& Tables()
{
    static const TrigTables tables;
    return tables;
}

int TableIndex(float radians)
{
    const float degrees = radians * 57.29578f;
    // Converting a float outside int range is undefined; such angles have no
    // meaningful whole degree anyway.
    if (!(std::fabs(degrees) < 2.0e9f))
        return 0;
    int index = static_cast<int32_t>(degrees) % 360;
    if (index < 0)
        index += 360;
    return index;
}
}  // namespace

void InitializeFastTrig()
{
    Tables();
}

float FastSin(float radians)
{
    return Tables().sine[TableIndex(radians)];
}

float FastCos(float radians)
{
    return Tables().cosine[TableIndex(radians)];
}
