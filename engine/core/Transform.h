#pragma once
#include <cstdint>

#include "engine/core/Matrix4.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

// Scale, then rotation, then translation: a node's placement relative to its
// parent. Stored as 40 bytes: scale, rotation (x, y, z, w), translation; the
// two flags are never stored.
//
// The flags let the update pass skip arithmetic: while isIdentity is set
// every operation treats the transform as the identity whatever the fields
// hold, and while isRotationFree is set the rotation is treated as none.
// The fields are public for reading (and for the stream); writers go through
// the setters, which clear the flags. A field written directly keeps stale
// flags, so a default transform given a scale that way still acts as the
// identity.
class Transform
{
public:
    // construction: the default is the identity with both flags set;
    // building from values clears both flags, whatever the values are
    Transform() = default;
    Transform(const Vector3& translation, const Quaternion& rotation, const Vector3& scale);

    static Transform Identity() { return {}; }

    // fields
    void SetScale(const Vector3& value);
    void SetRotation(const Quaternion& value);
    void SetTranslation(const Vector3& value);
    const Vector3& GetScale() const { return scale; }
    const Quaternion& GetRotation() const { return rotation; }
    const Vector3& GetTranslation() const { return translation; }
    bool IsIdentity() const { return isIdentity != 0; }
    bool IsRotationFree() const { return isRotationFree != 0; }

    // Back to the identity, both flags set.
    void MakeIdentity() { *this = Transform(); }

    // application
    // rotate(scale * v): directions and offsets, no translation.
    Vector3 ApplyToVector(const Vector3& v) const;
    // rotate(scale * p) + translation.
    Vector3 ApplyToPoint(const Vector3& p) const;

    // world = Product(local, parentWorld): the local transform applied
    // first, then the parent's. Scales combine component by component and
    // are never rotated, so non-uniform scales under rotations combine only
    // approximately. The result has both flags cleared unless one side was
    // the identity (then it is a copy of the other, flags included).
    static Transform Product(const Transform& local, const Transform& parent);

    // Rows 0..2: the rows of the rotation matrix times scale x, y, z; row 3:
    // (translation, 1); last column (0, 0, 0, 1). Row vectors: p * M.
    Matrix4 ToMatrix() const;

    Vector3 scale{1.0f, 1.0f, 1.0f};
    Quaternion rotation;
    Vector3 translation;
    uint8_t isIdentity = 1;
    uint8_t isRotationFree = 1;
};
