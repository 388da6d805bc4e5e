#include "engine/core/Transform.h"

Transform::Transform(const Vector3& translation, const Quaternion& rotation, const Vector3& scale)
    : scale(scale), rotation(rotation), translation(translation), isIdentity(0), isRotationFree(0)
{
}

void Transform::SetScale(const Vector3& value)
{
    scale = value;
    isIdentity = 0;
}

void Transform::SetRotation(const Quaternion& value)
{
    rotation = value;
    isIdentity = 0;
    isRotationFree = 0;
}

void Transform::SetTranslation(const Vector3& value)
{
    translation = value;
    isIdentity = 0;
}

Vector3 Transform::ApplyToVector(const Vector3& v) const
{
    if (isIdentity)
        return v;
    const Vector3 scaled = MultiplyComponents(scale, v);
    return isRotationFree ? scaled : rotation.Rotate(scaled);
}

Vector3 Transform::ApplyToPoint(const Vector3& p) const
{
    if (isIdentity)
        return p;
    return ApplyToVector(p) + translation;
}

Transform Transform::Product(const Transform& local, const Transform& parent)
{
    if (local.isIdentity)
        return parent;
    if (parent.isIdentity)
        return local;

    Transform result;
    result.scale = MultiplyComponents(local.scale, parent.scale);
    result.translation = parent.ApplyToPoint(local.translation);
    if (local.isRotationFree)
        result.rotation = parent.rotation;
    else if (parent.isRotationFree)
        result.rotation = local.rotation;
    else
        result.rotation = local.rotation * parent.rotation;
    result.isIdentity = 0;
    result.isRotationFree = 0;
    return result;
}

Matrix4 Transform::ToMatrix() const
{
    if (isIdentity)
        return Matrix4::Identity();
    Matrix4 result = isRotationFree ? Matrix4::Identity() : rotation.ToMatrix3();
    const float factors[3] = {scale.x, scale.y, scale.z};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            result.m[row][col] *= factors[row];
    result.m[3][0] = translation.x;
    result.m[3][1] = translation.y;
    result.m[3][2] = translation.z;
    result.m[3][3] = 1.0f;
    return result;
}
