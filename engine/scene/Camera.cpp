#include "engine/scene/Camera.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/LookAt.h"

QRE_IMPLEMENT_CLASS(Camera, Node)

namespace
{

// The clip box corners and the corner triples of the six planes, in plane
// order; each triple winds so that the plane faces into the box.
constexpr float kCorners[8][3] = {
    {-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}, {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1},
};
constexpr int kPlaneCorners[Camera::kPlaneCount][3] = {
    {0, 1, 2}, {6, 4, 7}, {0, 3, 7}, {2, 1, 6}, {3, 2, 6}, {1, 0, 5},
};

} // namespace

Camera::Camera(const String& name) : Node(name)
{
}

void Camera::UpdateWorldData(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
    UpdateMatrices();
}

Vector3 Camera::Axis(int column) const
{
    const Transform& world = worldTransform;
    if (world.IsIdentity() || world.IsRotationFree())
        return Vector3(column == 0 ? 1.0f : 0.0f, column == 1 ? 1.0f : 0.0f, column == 2 ? 1.0f : 0.0f);
    const Matrix4 m = world.rotation.ToMatrix3();
    return Vector3(m.m[0][column], m.m[1][column], m.m[2][column]);
}

Vector3 Camera::GetRight() const
{
    return Axis(0);
}

Vector3 Camera::GetUp() const
{
    return Axis(1);
}

Vector3 Camera::GetForward() const
{
    return Axis(2);
}

Vector3 Camera::GetPosition() const
{
    return worldTransform.IsIdentity() ? Vector3() : worldTransform.translation;
}

void Camera::LookAt(const Vector3& direction)
{
    AimTransform(localTransform, direction);
}

void Camera::UpdateMatrices()
{
    if (Renderer* renderer = GetRenderer())
    {
        const int32_t width = renderer->GetWidth();
        const int32_t height = renderer->GetHeight();
        if (width > 0 && height > 0)
            aspect = static_cast<float>(width) / static_cast<float>(height);
    }
    const float yScale = 1.0f / std::tan(fieldOfView * 0.5f);
    const float xScale = yScale / aspect;
    const float q = farDistance / (farDistance - nearDistance);
    // Row 3 column 3 is 1, not 0: every scene was authored against this
    // matrix, and the planes come from it too, so drawing and culling agree.
    projection = Matrix4(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, q, 1, 0, 0, -q * nearDistance, 1);

    const Vector3 r = GetRight();
    const Vector3 u = GetUp();
    const Vector3 d = GetForward();
    const Vector3 p = GetPosition();
    view = Matrix4(r.x, u.x, d.x, 0, r.y, u.y, d.y, 0, r.z, u.z, d.z, 0, -p.Dot(r), -p.Dot(u), -p.Dot(d), 1);

    viewProjection = view * projection;
    UpdatePlanes();
}

void Camera::UpdatePlanes()
{
    // A degenerate lens (no field of view, near = far) has no inverse; the
    // planes stay as they were rather than turning into noise.
    Matrix4 inverse;
    if (!viewProjection.Inverse(inverse))
        return;
    Vector3 corners[8];
    for (int i = 0; i < 8; ++i)
    {
        const Vector4 c = inverse.Transform(Vector4(kCorners[i][0], kCorners[i][1], kCorners[i][2], 1.0f));
        if (c.w == 0.0f)
            return;
        const float scale = 1.0f / c.w;
        corners[i] = Vector3(c.x * scale, c.y * scale, c.z * scale);
    }
    for (int i = 0; i < kPlaneCount; ++i)
    {
        const Vector3& a = corners[kPlaneCorners[i][0]];
        const Vector3& b = corners[kPlaneCorners[i][1]];
        const Vector3& c = corners[kPlaneCorners[i][2]];
        const Vector3 normal = (b - a).Cross(c - a).Normalized();
        planes[i] = Plane(normal, normal.Dot(a));
    }
}

bool Camera::IsCulled(const BoundingVolume& bound)
{
    for (uint32_t i = 0; i < kPlaneCount; ++i)
    {
        const uint32_t bit = 32u >> i;
        if (!(activePlanes & bit))
            continue;
        const int32_t side = bound.WhichSide(planes[i]);
        if (side < 0)
            return true;
        if (side > 0)
            activePlanes &= ~bit;
    }
    return false;
}

int32_t Camera::Save(Stream& stream)
{
    if (Node::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteFloat(fieldOfView);
    stream.WriteFloat(nearDistance);
    if (stream.WriteFloat(farDistance) != 0)
    {
        LogError("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t Camera::Load(Stream& stream)
{
    if (Node::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    stream.ReadFloat(fieldOfView);
    stream.ReadFloat(nearDistance);
    if (stream.ReadFloat(farDistance) != 0)
    {
        LogError("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    return 0;
}
