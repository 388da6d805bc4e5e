#pragma once
#include <cstdint>

#include "engine/core/Matrix4.h"
#include "engine/scene/Node.h"
#include "engine/scene/Plane.h"

// A viewpoint: its world transform places the eye, and each update derives
// the projection, view and view-projection matrices and the six world-space
// planes of the view volume, which the renderer draws with and the nodes
// cull themselves against. Every camera updates its matrices each frame,
// current or not.
class Camera : public Node
{
    QRE_DECLARE_CLASS

public:
    // planes, in this order; plane i has mask bit 32 >> i
    enum PlaneIndex
    {
        kNear,
        kFar,
        kLeft,
        kRight,
        kTop,
        kBottom,
        kPlaneCount,
    };
    static constexpr uint32_t kAllPlanes = 0xFFFFFFFFu;

    explicit Camera(const String& name = String());

    // Controllers, world transform, then UpdateMatrices.
    void UpdateWorldData(double time) override;

    // Projection (aspect from the current renderer's viewport, else the
    // last one known), view, view-projection = view * projection, then the
    // planes from the clip box corners carried back through its inverse.
    void UpdateMatrices();

    // culling ---------------------------------------------------------------

    // Tests bound against the planes whose bit is set: behind one (touching
    // it from behind counts) culls at once; wholly in front of one clears
    // its bit, so the subtree below is not tested against it again. The
    // caller saves and restores the mask around each subtree.
    bool IsCulled(const BoundingVolume& bound);
    uint32_t GetActivePlanes() const { return activePlanes; }
    void SetActivePlanes(uint32_t mask) { activePlanes = mask; }
    void ResetCulling() { activePlanes = kAllPlanes; }
    // Inward-facing: a point inside the view volume is at a positive
    // distance from every plane.
    const Plane& GetPlane(uint32_t index) const { return planes[index < kPlaneCount ? index : 0]; }

    // axes and place, from the world transform: right, up and forward are
    // columns 0, 1 and 2 of the world rotation's matrix
    Vector3 GetRight() const;
    Vector3 GetUp() const;
    Vector3 GetForward() const;
    Vector3 GetPosition() const;

    // Turns the local rotation to look along direction (see AimTransform):
    // right, up and forward become the columns of its matrix. A direction
    // without length keeps the rotation.
    void LookAt(const Vector3& direction);

    // lens ------------------------------------------------------------------

    // Vertical, in radians.
    float GetFieldOfView() const { return fieldOfView; }
    void SetFieldOfView(float radians) { fieldOfView = radians; }
    float GetNearDistance() const { return nearDistance; }
    void SetNearDistance(float distance) { nearDistance = distance; }
    float GetFarDistance() const { return farDistance; }
    void SetFarDistance(float distance) { farDistance = distance; }

    // matrices (row vectors); screen-space drawing swaps them for a while
    // and puts them back
    const Matrix4& GetProjection() const { return projection; }
    const Matrix4& GetView() const { return view; }
    const Matrix4& GetViewProjection() const { return viewProjection; }
    void SetProjection(const Matrix4& matrix) { projection = matrix; }
    void SetView(const Matrix4& matrix) { view = matrix; }
    void SetViewProjection(const Matrix4& matrix) { viewProjection = matrix; }

    // streaming: field of view, near, far
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Vector3 Axis(int column) const;
    void UpdatePlanes();

    float fieldOfView = 0.7853982f;
    float nearDistance = 0.1f;
    float farDistance = 10000.0f;
    Plane planes[kPlaneCount];
    Matrix4 projection;
    Matrix4 view;
    Matrix4 viewProjection;
    uint32_t activePlanes = kAllPlanes;
    float aspect = 1.0f; // the last viewport's width / height
};
