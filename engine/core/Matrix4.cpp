#include "engine/core/Matrix4.h"

#include <cmath>
#include <utility>

Matrix4::Matrix4()
    : Matrix4(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f)
{
}

Matrix4::Matrix4(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
                 float m21, float m22, float m23, float m30, float m31, float m32, float m33)
    : m{{m00, m01, m02, m03}, {m10, m11, m12, m13}, {m20, m21, m22, m23}, {m30, m31, m32, m33}}
{
}

Matrix4 Matrix4::Translation(const Vector3& offset)
{
    Matrix4 result;
    result.m[3][0] = offset.x;
    result.m[3][1] = offset.y;
    result.m[3][2] = offset.z;
    return result;
}

Matrix4 Matrix4::Scale(const Vector3& factors)
{
    Matrix4 result;
    result.m[0][0] = factors.x;
    result.m[1][1] = factors.y;
    result.m[2][2] = factors.z;
    return result;
}

Matrix4 Matrix4::operator*(const Matrix4& other) const
{
    Matrix4 result;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            result.m[row][col] = m[row][0] * other.m[0][col] + m[row][1] * other.m[1][col] +
                                 m[row][2] * other.m[2][col] + m[row][3] * other.m[3][col];
    return result;
}

Matrix4 Matrix4::Transpose() const
{
    Matrix4 result;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            result.m[row][col] = m[col][row];
    return result;
}

bool Matrix4::Inverse(Matrix4& result) const
{
    // Gauss-Jordan with partial pivoting in double: camera and shadow
    // matrices mix large translations with small scales, and float
    // elimination loses the small ones.
    double a[4][8];
    double largest = 0.0;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
        {
            a[row][col] = m[row][col];
            a[row][col + 4] = row == col ? 1.0 : 0.0;
            largest = std::fmax(largest, std::fabs(a[row][col]));
        }
    if (!(largest > 0.0) || !std::isfinite(largest))
        return false;
    // Dependent float rows leave only double rounding residue behind, far
    // below this; a real transform (even a tiny scale under a far
    // translation) stays far above it.
    const double tolerance = largest * 1e-12;

    for (int col = 0; col < 4; ++col)
    {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col]))
                pivot = row;
        if (!(std::fabs(a[pivot][col]) > tolerance))
            return false;
        if (pivot != col)
            std::swap(a[pivot], a[col]);
        const double scale = 1.0 / a[col][col];
        for (int k = 0; k < 8; ++k)
            a[col][k] *= scale;
        for (int row = 0; row < 4; ++row)
        {
            if (row == col || a[row][col] == 0.0)
                continue;
            const double factor = a[row][col];
            for (int k = 0; k < 8; ++k)
                a[row][k] -= factor * a[col][k];
        }
    }
    Matrix4 inverse;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
        {
            inverse.m[row][col] = static_cast<float>(a[row][col + 4]);
            if (!std::isfinite(inverse.m[row][col]))
                return false;
        }
    result = inverse;
    return true;
}

Vector3 Matrix4::TransformPoint(const Vector3& p) const
{
    return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
            p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
            p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
}

Vector3 Matrix4::TransformVector(const Vector3& v) const
{
    return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0], v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
            v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]};
}

Vector4 Matrix4::Transform(const Vector4& v) const
{
    float out[4];
    for (int col = 0; col < 4; ++col)
        out[col] = v.x * m[0][col] + v.y * m[1][col] + v.z * m[2][col] + v.w * m[3][col];
    return {out[0], out[1], out[2], out[3]};
}

bool Matrix4::IsIdentity() const
{
    return *this == Matrix4();
}

bool Matrix4::operator==(const Matrix4& other) const
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            if (m[row][col] != other.m[row][col])
                return false;
    return true;
}
