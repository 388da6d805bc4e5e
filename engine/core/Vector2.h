#pragma once
#include <cmath>

#include "engine/core/MathUtil.h"

// Two floats: texture coordinates and screen positions.
struct Vector2
{
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vector2() = default;
    constexpr Vector2(float x, float y) : x(x), y(y) {}

    constexpr Vector2 operator+(const Vector2& v) const { return {x + v.x, y + v.y}; }
    constexpr Vector2 operator-(const Vector2& v) const { return {x - v.x, y - v.y}; }
    constexpr Vector2 operator-() const { return {-x, -y}; }
    constexpr Vector2 operator*(float s) const { return {x * s, y * s}; }
    Vector2& operator+=(const Vector2& v) { return *this = *this + v; }
    Vector2& operator-=(const Vector2& v) { return *this = *this - v; }
    Vector2& operator*=(float s) { return *this = *this * s; }
    // Exact comparison: meant for values that were copied, not computed.
    constexpr bool operator==(const Vector2&) const = default;

    constexpr float Dot(const Vector2& v) const { return x * v.x + y * v.y; }
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
    Vector2 Normalized() const
    {
        Vector2 v = *this;
        v.Normalize();
        return v;
    }
};

constexpr Vector2 operator*(float s, const Vector2& v) { return v * s; }
constexpr float Dot(const Vector2& a, const Vector2& b) { return a.Dot(b); }
