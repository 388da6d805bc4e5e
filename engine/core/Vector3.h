#pragma once
#include <cmath>

#include "engine/core/MathUtil.h"

// Three floats: positions, directions, scales.
struct Vector3
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float x, float y, float z) : x(x), y(y), z(z) {}

    constexpr Vector3 operator+(const Vector3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    constexpr Vector3 operator-(const Vector3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    constexpr Vector3 operator-() const { return {-x, -y, -z}; }
    constexpr Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3& operator+=(const Vector3& v) { return *this = *this + v; }
    Vector3& operator-=(const Vector3& v) { return *this = *this - v; }
    Vector3& operator*=(float s) { return *this = *this * s; }
    // Exact comparison: meant for values that were copied, not computed.
    constexpr bool operator==(const Vector3&) const = default;

    constexpr float Dot(const Vector3& v) const { return x * v.x + y * v.y + z * v.z; }
    // Perpendicular to both, with Cross(x axis, y axis) = z axis; which way
    // that looks on screen is up to the projection, not to this formula.
    constexpr Vector3 Cross(const Vector3& v) const
    {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
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
    Vector3 Normalized() const
    {
        Vector3 v = *this;
        v.Normalize();
        return v;
    }
};

constexpr Vector3 operator*(float s, const Vector3& v) { return v * s; }
constexpr float Dot(const Vector3& a, const Vector3& b) { return a.Dot(b); }
constexpr Vector3 Cross(const Vector3& a, const Vector3& b) { return a.Cross(b); }
// Component by component, as scales combine.
constexpr Vector3 MultiplyComponents(const Vector3& a, const Vector3& b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
