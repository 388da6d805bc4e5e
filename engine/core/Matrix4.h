#pragma once
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

// 4x4 float matrix, row-major, for row vectors: a point p becomes p × M, the
// translation sits in row 3, and A × B applies A first, then B. Shader
// constants take the rows as they are, four registers per matrix.
struct Matrix4
{
    float m[4][4];

    // Identity, so a default-made matrix is a harmless transform.
    Matrix4();
    Matrix4(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
            float m21, float m22, float m23, float m30, float m31, float m32, float m33);

    // construction helpers
    static Matrix4 Identity() { return {}; }
    static Matrix4 Translation(const Vector3& offset);
    static Matrix4 Scale(const Vector3& factors);

    // algebra
    Matrix4 operator*(const Matrix4& other) const;
    Matrix4 Transpose() const;
    // General inverse (not only rigid transforms). Returns false and leaves
    // result untouched when the matrix is singular or its inverse does not
    // fit in floats; result may be this matrix.
    bool Inverse(Matrix4& result) const;

    // applying to vectors
    // p × M with w = 1 and no division by w: for affine matrices. Projections
    // go through Transform.
    Vector3 TransformPoint(const Vector3& point) const;
    // v × M with w = 0: directions and offsets, which translation must not move.
    Vector3 TransformVector(const Vector3& vector) const;
    Vector4 Transform(const Vector4& vector) const;

    // queries
    Vector3 GetTranslation() const { return {m[3][0], m[3][1], m[3][2]}; }
    // Exact comparison with the identity: true only for matrices built as or
    // copied from one, which is what skipping work on them needs.
    bool IsIdentity() const;
    bool operator==(const Matrix4& other) const;
};
