#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Vector3.h"

class Transform;
class Vector3Buffer;
struct Plane;
struct Ray;

// A volume that encloses part of the scene, for culling and picking. Spheres
// are the only kind; the type number leaves room for others.
class BoundingVolume : public Object
{
    QRE_DECLARE_CLASS

public:
    // bound types
    static constexpr int32_t kSphere = 0;

    explicit BoundingVolume(const String& name = String()) : Object(name) {}

    // The bound factory: a new sphere (empty name, no reference taken) for
    // every type value, null only when memory runs out.
    static BoundingVolume* Create(int32_t type);

    // 0 for a sphere.
    virtual int32_t GetBoundType() const = 0;

    // Encloses every point of vertices. 0; 3 for a null or empty buffer
    // (logged; the volume is unchanged).
    virtual int32_t ComputeFromPoints(const Vector3Buffer* vertices) = 0;

    // Becomes a copy of other. 0; 3 for a null volume (logged).
    virtual int32_t CopyFrom(const BoundingVolume* other) = 0;

    // The entry and exit distances along a unit-length ray; false when the
    // ray's line misses the volume.
    virtual bool IntersectsRay(const Ray& ray, float& t0, float& t1) const = 0;

    // True when the two volumes overlap or touch; false for null.
    virtual bool IntersectsVolume(const BoundingVolume* other) const = 0;

    // Grows to enclose other as well. 0; 3 for a null volume (logged).
    virtual int32_t Merge(const BoundingVolume* other) = 0;

    // Writes this volume, carried by transform, into out. 0; 3 for a null
    // out (logged).
    virtual int32_t TransformTo(BoundingVolume* out, const Transform& transform) const = 0;

    // -1 entirely behind the plane (touching it from behind counts), +1
    // entirely in front (touching counts), 0 straddling.
    virtual int32_t WhichSide(const Plane& plane) const = 0;

    virtual void GetCenter(Vector3& out) const = 0;
};
