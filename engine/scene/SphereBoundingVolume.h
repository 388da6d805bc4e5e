#pragma once
#include "engine/scene/BoundingVolume.h"

// A sphere: the engine's only bounding volume. Its operations follow the
// fixed formulas every saved scene was authored against, so merges and
// transforms are not the tightest possible (a transformed radius is scaled
// by the x scale alone).
class SphereBoundingVolume : public BoundingVolume
{
    QRE_DECLARE_CLASS

public:
    explicit SphereBoundingVolume(const String& name = String()) : BoundingVolume(name) {}
    SphereBoundingVolume(const Vector3& center, float radius) : center(center), radius(radius) {}

    // bound operations
    int32_t GetBoundType() const override { return kSphere; }
    // Center of the points' axis-aligned box; radius to the farthest point.
    int32_t ComputeFromPoints(const Vector3Buffer* vertices) override;
    int32_t CopyFrom(const BoundingVolume* other) override;
    bool IntersectsRay(const Ray& ray, float& t0, float& t1) const override;
    bool IntersectsVolume(const BoundingVolume* other) const override;
    // When one sphere holds the other the larger is kept as it is;
    // otherwise the smallest sphere through both far sides.
    int32_t Merge(const BoundingVolume* other) override;
    int32_t TransformTo(BoundingVolume* out, const Transform& transform) const override;
    int32_t WhichSide(const Plane& plane) const override;
    void GetCenter(Vector3& out) const override { out = center; }

    // fields
    const Vector3& GetCenter() const { return center; }
    float GetRadius() const { return radius; }
    void SetCenter(const Vector3& value) { center = value; }
    void SetRadius(float value) { radius = value; }

    // streaming: center, radius
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // The other volume as a sphere, or null (the only kind there is, but a
    // volume of another class must not be read as one).
    static const SphereBoundingVolume* AsSphere(const BoundingVolume* volume);

    Vector3 center;
    float radius = 0.0f;
};
