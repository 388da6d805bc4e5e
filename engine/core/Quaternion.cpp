#include "engine/core/Quaternion.h"

#include <cmath>

#include "engine/core/MathUtil.h"

Quaternion Quaternion::FromAxisAngle(const Vector3& axis, float radians)
{
    const float half = radians * 0.5f;
    const float s = std::sin(half);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(half)};
}

Quaternion Quaternion::FromMatrix3(const Matrix4& r)
{
    // Solve for the largest component first so the division below never
    // goes through a near-zero value.
    const float (*m)[4] = r.m;
    const float trace = m[0][0] + m[1][1] + m[2][2];
    Quaternion q;
    if (trace > 0.0f)
    {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
        q.w = 0.25f * s;
        q.x = (m[2][1] - m[1][2]) / s;
        q.y = (m[0][2] - m[2][0]) / s;
        q.z = (m[1][0] - m[0][1]) / s;
    }
    else if (m[0][0] > m[1][1] && m[0][0] > m[2][2])
    {
        const float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2.0f;  // 4x
        q.w = (m[2][1] - m[1][2]) / s;
        q.x = 0.25f * s;
        q.y = (m[0][1] + m[1][0]) / s;
        q.z = (m[0][2] + m[2][0]) / s;
    }
    else if (m[1][1] > m[2][2])
    {
        const float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2.0f;  // 4y
        q.w = (m[0][2] - m[2][0]) / s;
        q.x = (m[0][1] + m[1][0]) / s;
        q.y = 0.25f * s;
        q.z = (m[1][2] + m[2][1]) / s;
    }
    else
    {
        const float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2.0f;  // 4z
        q.w = (m[1][0] - m[0][1]) / s;
        q.x = (m[0][2] + m[2][0]) / s;
        q.y = (m[1][2] + m[2][1]) / s;
        q.z = 0.25f * s;
    }
    q.Normalize();
    return q;
}

Quaternion Quaternion::operator*(const Quaternion& q) const
{
    return {w * q.x + x * q.w + y * q.z - z * q.y, w * q.y - x * q.z + y * q.w + z * q.x,
            w * q.z + x * q.y - y * q.x + z * q.w, w * q.w - x * q.x - y * q.y - z * q.z};
}

float Quaternion::Length() const
{
    return std::sqrt(Dot(*this));
}

void Quaternion::Normalize()
{
    const float squared = Dot(*this);
    if (squared < kZeroTolerance)
    {
        *this = Identity();
        return;
    }
    *this = *this * (1.0f / std::sqrt(squared));
}

Quaternion Quaternion::Slerp(const Quaternion& a, const Quaternion& b, float t)
{
    float d = a.Dot(b);
    // q and −q are the same rotation; flipping b keeps the path under 180°.
    const float sign = d < 0.0f ? -1.0f : 1.0f;
    d *= sign;
    if (1.0f - d <= kZeroTolerance)
        return a;
    const float theta = std::acos(d);
    const float inverseSine = 1.0f / std::sin(theta);
    return a * (std::sin((1.0f - t) * theta) * inverseSine) + b * (sign * std::sin(t * theta) * inverseSine);
}

Matrix4 Quaternion::ToMatrix3() const
{
    const float xx = x * x, yy = y * y, zz = z * z;
    const float xy = x * y, xz = x * z, yz = y * z;
    const float wx = w * x, wy = w * y, wz = w * z;
    return {1.0f - 2.0f * (yy + zz), 2.0f * (xy - wz),        2.0f * (xz + wy),        0.0f,
            2.0f * (xy + wz),        1.0f - 2.0f * (xx + zz), 2.0f * (yz - wx),        0.0f,
            2.0f * (xz - wy),        2.0f * (yz + wx),        1.0f - 2.0f * (xx + yy), 0.0f,
            0.0f,                    0.0f,                    0.0f,                    1.0f};
}

Vector3 Quaternion::Rotate(const Vector3& v) const
{
    return ToMatrix3().TransformVector(v);
}
