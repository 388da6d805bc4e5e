#pragma once
#include "engine/core/Matrix4.h"
#include "engine/core/Vector3.h"

// Rotation as x, y, z, w (w last). Products are Hamilton products, and a
// vector turns as the row vector v × M(q) (ToMatrix3), so a × b rotates by
// a first, then by b, exactly as ToMatrix3(a) × ToMatrix3(b) does.
// Note the direction that gives: FromAxisAngle((0, 0, 1), +90°) takes
// (1, 0, 0) to (0, −1, 0).
struct Quaternion
{
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    constexpr Quaternion() = default;
    constexpr Quaternion(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    // construction
    static constexpr Quaternion Identity() { return {}; }
    // (axis · sin(angle / 2), cos(angle / 2)); axis must be unit length.
    static Quaternion FromAxisAngle(const Vector3& axis, float radians);
    // The quaternion whose ToMatrix3 has the given upper-left 3x3 (rows 0..2,
    // columns 0..2); the 3x3 must be a rotation. Used to aim by basis
    // vectors (a look-at fills the columns).
    static Quaternion FromMatrix3(const Matrix4& rotation);

    // algebra (4-component; Slerp and blending need the plain forms)
    Quaternion operator*(const Quaternion& q) const;  // Hamilton product
    constexpr Quaternion operator+(const Quaternion& q) const { return {x + q.x, y + q.y, z + q.z, w + q.w}; }
    constexpr Quaternion operator-(const Quaternion& q) const { return {x - q.x, y - q.y, z - q.z, w - q.w}; }
    constexpr Quaternion operator-() const { return {-x, -y, -z, -w}; }
    constexpr Quaternion operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
    constexpr bool operator==(const Quaternion&) const = default;
    constexpr float Dot(const Quaternion& q) const { return x * q.x + y * q.y + z * q.z + w * q.w; }
    // The inverse rotation, for unit quaternions.
    constexpr Quaternion Conjugate() const { return {-x, -y, -z, w}; }
    float Length() const;
    // Unit length; one too short to carry a rotation becomes the identity,
    // because a zero quaternion would collapse every vector it touches.
    void Normalize();

    // Spherical interpolation along the shorter arc. Endpoints closer than
    // float epsilon give a unchanged (even at t = 1) instead of dividing by
    // a vanishing sine.
    static Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);

    // use
    // M(q) in rows 0..2 of a 4x4 whose row 3 and last column are
    // (0, 0, 0, 1), so it composes directly with the other transforms.
    Matrix4 ToMatrix3() const;
    // v × M(q).
    Vector3 Rotate(const Vector3& v) const;
};
