#pragma once
#include <cmath>
#include <cstdint>

#include "engine/core/MathUtil.h"

// Four floats: homogeneous points, plane equations and colours. A colour is
// red, green, blue, alpha in x, y, z, w, each 0..1.
struct Vector4
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    constexpr Vector4() = default;
    constexpr Vector4(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    constexpr Vector4 operator+(const Vector4& v) const { return {x + v.x, y + v.y, z + v.z, w + v.w}; }
    constexpr Vector4 operator-(const Vector4& v) const { return {x - v.x, y - v.y, z - v.z, w - v.w}; }
    constexpr Vector4 operator-() const { return {-x, -y, -z, -w}; }
    constexpr Vector4 operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    Vector4& operator+=(const Vector4& v) { return *this = *this + v; }
    Vector4& operator-=(const Vector4& v) { return *this = *this - v; }
    Vector4& operator*=(float s) { return *this = *this * s; }
    // Exact comparison: meant for values that were copied, not computed.
    constexpr bool operator==(const Vector4&) const = default;

    constexpr float Dot(const Vector4& v) const { return x * v.x + y * v.y + z * v.z + w * v.w; }
    constexpr float SquaredLength() const { return Dot(*this); }
    float Length() const { return std::sqrt(SquaredLength()); }

    // Makes the vector unit length and returns the length it had; a vector
    // too short to have a direction becomes zero and 0 is returned.
    float Normalize()
    {
        const float squared = SquaredLength();
        if (squared < kZeroTolerance)
        {
            *this = {};
            return 0.0f;
        }
        const float length = std::sqrt(squared);
        *this = *this * (1.0f / length);
        return length;
    }
    Vector4 Normalized() const
    {
        Vector4 v = *this;
        v.Normalize();
        return v;
    }
};

constexpr Vector4 operator*(float s, const Vector4& v) { return v * s; }
constexpr float Dot(const Vector4& a, const Vector4& b) { return a.Dot(b); }

// The device's 32-bit ARGB colour: alpha in the top byte, each component
// times 255 truncated. Components are clamped to 0..1 first (NaN counts as
// 0) so an over-bright or negative colour saturates instead of wrapping
// into a neighbouring byte.
inline uint32_t PackColour(const Vector4& colour)
{
    auto byte = [](float c) -> uint32_t {
        if (!(c > 0.0f))
            return 0;
        if (c >= 1.0f)
            return 255;
        return static_cast<uint32_t>(c * 255.0f);
    };
    return (byte(colour.w) << 24) | (byte(colour.x) << 16) | (byte(colour.y) << 8) | byte(colour.z);
}
