#pragma once
#include "engine/core/Vector3.h"

// A plane as a normal and a constant: the signed distance of p is
// dot(normal, p) - constant. Camera planes face inwards, so a point inside
// the view volume has a positive distance.
struct Plane
{
    Vector3 normal;
    float constant = 0.0f;

    constexpr Plane() = default;
    constexpr Plane(const Vector3& normal, float constant) : normal(normal), constant(constant) {}

    constexpr float Distance(const Vector3& point) const { return normal.Dot(point) - constant; }
};
