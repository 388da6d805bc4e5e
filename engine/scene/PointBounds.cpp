#include "engine/scene/PointBounds.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void FitSpherePlain(const Vector3* points, uint32_t count, Vector3& center, float& radius)
{
    Vector3 low = points[0];
    Vector3 high = points[0];
    for (uint32_t i = 1; i < count; ++i)
    {
        const Vector3& p = points[i];
        low.x = p.x < low.x ? p.x : low.x;
        low.y = p.y < low.y ? p.y : low.y;
        low.z = p.z < low.z ? p.z : low.z;
        high.x = p.x > high.x ? p.x : high.x;
        high.y = p.y > high.y ? p.y : high.y;
        high.z = p.z > high.z ? p.z : high.z;
    }
    center = (low + high) * 0.5f;

    float largest = 0.0f;
    for (uint32_t i = 0; i < count; ++i)
    {
        const Vector3 d = points[i] - center;
        const float squared = d.x * d.x + d.y * d.y + d.z * d.z;
        largest = squared > largest ? squared : largest;
    }
    radius = std::sqrt(largest);
}

#if defined(__SSE2__)

namespace
{

// x, y, z of points[i] in lanes 0..2. Every point but the last is read with
// one unaligned load, which takes the next point's x into lane 3; the last
// is assembled so nothing past the array is touched.
inline __m128 LoadPoint(const Vector3* points, uint32_t i, uint32_t count)
{
    if (i + 1 < count)
        return _mm_loadu_ps(&points[i].x);
    return _mm_set_ps(0.0f, points[i].z, points[i].y, points[i].x);
}

} // namespace

void FitSphereVector(const Vector3* points, uint32_t count, Vector3& center, float& radius)
{
    // Lane by lane this is the plain loop: min(p, low) keeps low unless
    // p < low, exactly as the comparison there does.
    __m128 low = LoadPoint(points, 0, count);
    __m128 high = low;
    for (uint32_t i = 1; i < count; ++i)
    {
        const __m128 p = LoadPoint(points, i, count);
        low = _mm_min_ps(p, low);
        high = _mm_max_ps(p, high);
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, _mm_mul_ps(_mm_add_ps(low, high), _mm_set1_ps(0.5f)));
    center = Vector3(lanes[0], lanes[1], lanes[2]);

    const __m128 middle = _mm_load_ps(lanes);
    __m128 largest = _mm_setzero_ps();
    for (uint32_t i = 0; i < count; ++i)
    {
        const __m128 d = _mm_sub_ps(LoadPoint(points, i, count), middle);
        const __m128 squares = _mm_mul_ps(d, d);
        // (x + y) + z, the plain sum's order.
        __m128 sum = _mm_add_ss(squares, _mm_shuffle_ps(squares, squares, _MM_SHUFFLE(1, 1, 1, 1)));
        sum = _mm_add_ss(sum, _mm_shuffle_ps(squares, squares, _MM_SHUFFLE(2, 2, 2, 2)));
        largest = _mm_max_ss(sum, largest);
    }
    radius = std::sqrt(_mm_cvtss_f32(largest));
}

#else

void FitSphereVector(const Vector3* points, uint32_t count, Vector3& center, float& radius)
{
    FitSpherePlain(points, count, center, radius);
}

#endif

SphereFitFunction GetSphereFit()
{
    static SphereFitFunction chosen = nullptr;
    if (!chosen)
    {
#if defined(__SSE2__)
        chosen = __builtin_cpu_supports("sse2") ? &FitSphereVector : &FitSpherePlain;
#else
        chosen = &FitSpherePlain;
#endif
    }
    return chosen;
}
