#include "engine/scene/SphereBoundingVolume.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/scene/Plane.h"
#include "engine/scene/PointBounds.h"
#include "engine/scene/Ray.h"
#include "engine/core/Transform.h"
#include "engine/scene/Vector3Buffer.h"

QRE_IMPLEMENT_CLASS(SphereBoundingVolume, BoundingVolume)

const SphereBoundingVolume* SphereBoundingVolume::AsSphere(const BoundingVolume* volume)
{
    return volume && volume->IsDerived(TYPE) ? static_cast<const SphereBoundingVolume*>(volume) : nullptr;
}

int32_t SphereBoundingVolume::ComputeFromPoints(const Vector3Buffer* vertices)
{
    if (!vertices)
    {
        LogWarning("Указатель на вершины равен 0 при генерации. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 3;
    }
    if (vertices->GetCount() == 0 || !vertices->GetElements())
    {
        LogWarning("Нет вершин в буффере при генерации объёма. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 3;
    }
    GetSphereFit()(vertices->GetElements(), vertices->GetCount(), center, radius);
    return 0;
}

int32_t SphereBoundingVolume::CopyFrom(const BoundingVolume* other)
{
    const SphereBoundingVolume* sphere = AsSphere(other);
    if (!sphere)
    {
        LogWarning("Указатель на объём равен 0 при генерации. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 3;
    }
    center = sphere->center;
    radius = sphere->radius;
    return 0;
}

bool SphereBoundingVolume::IntersectsRay(const Ray& ray, float& t0, float& t1) const
{
    const Vector3 d = ray.origin - center;
    const float b = d.Dot(ray.direction);
    const float q = b * b - (d.SquaredLength() - radius * radius);
    if (q < 0.0f)
        return false;
    const float root = std::sqrt(q);
    t0 = root - b;
    t1 = -b - root;
    return true;
}

bool SphereBoundingVolume::IntersectsVolume(const BoundingVolume* other) const
{
    const SphereBoundingVolume* sphere = AsSphere(other);
    if (!sphere)
        return false;
    const float reach = radius + sphere->radius;
    return (center - sphere->center).SquaredLength() <= reach * reach;
}

int32_t SphereBoundingVolume::Merge(const BoundingVolume* other)
{
    const SphereBoundingVolume* sphere = AsSphere(other);
    if (!sphere)
    {
        LogWarning("Указатель на объём равен 0 при слиянии. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 3;
    }
    const Vector3 d = sphere->center - center;
    const float squaredDistance = d.SquaredLength();
    const float difference = sphere->radius - radius;
    if (difference * difference >= squaredDistance)
    {
        // One holds the other: keep the larger one whole.
        if (difference > 0.0f)
        {
            center = sphere->center;
            radius = sphere->radius;
        }
        return 0;
    }
    const float distance = std::sqrt(squaredDistance);
    center = center + d * ((distance + difference) / (2.0f * distance));
    radius = (distance + sphere->radius + radius) * 0.5f;
    return 0;
}

int32_t SphereBoundingVolume::TransformTo(BoundingVolume* out, const Transform& transform) const
{
    SphereBoundingVolume* sphere = out && out->IsDerived(TYPE) ? static_cast<SphereBoundingVolume*>(out) : nullptr;
    if (!sphere)
    {
        LogWarning("Указатель на объём равен 0 при трансформации. Имя[%s] ID[%d].", GetName().CStr(), GetID());
        return 3;
    }
    sphere->center = transform.ApplyToPoint(center);
    sphere->radius = transform.ApplyToVector(Vector3(radius, 0.0f, 0.0f)).Length();
    return 0;
}

int32_t SphereBoundingVolume::WhichSide(const Plane& plane) const
{
    const float distance = plane.Distance(center);
    if (distance <= -radius)
        return -1;
    if (distance >= radius)
        return 1;
    return 0;
}

int32_t SphereBoundingVolume::Save(Stream& stream)
{
    if (Object::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteVector3(center);
    if (stream.WriteFloat(radius) != 0)
    {
        LogError("Невозможно сохранить данные окружающего объёма. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t SphereBoundingVolume::Load(Stream& stream)
{
    if (Object::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    stream.ReadVector3(center);
    if (stream.ReadFloat(radius) != 0)
    {
        LogError("Невозможно загрузить данные окружающего объёма. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    return 0;
}
