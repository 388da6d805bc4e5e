#include "engine/scene/Triangles.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"

QRE_IMPLEMENT_CLASS(Triangles, GeometryNode)

namespace
{

// The three indices of triangle at position first, or false when one of
// them names no vertex (negative values become huge and fail the same test).
bool TriangleAt(const int32_t* indices, uint32_t first, uint32_t limit, uint32_t (&corner)[3])
{
    for (int k = 0; k < 3; ++k)
    {
        corner[k] = static_cast<uint32_t>(indices[first + k]);
        if (corner[k] >= limit)
            return false;
    }
    return true;
}

void NormalizeAll(Vector3Buffer& buffer)
{
    Vector3* values = buffer.GetElements();
    for (uint32_t i = 0; i < buffer.GetCount(); ++i)
        values[i].Normalize();
}

} // namespace

void Triangles::GenerateNormals()
{
    if (!indices || !vertices)
        return;
    const uint32_t vertexCount = vertices->GetCount();
    Vector3Buffer* created = CreateBuffer<Vector3Buffer>(vertexCount);
    if (!created)
    {
        LogError("Недостаточно памяти для создания буффера нормалей. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return;
    }
    SetNormals(created);

    const Vector3* v = vertices->GetElements();
    Vector3* n = created->GetElements();
    const int32_t* list = indices->GetElements();
    const uint32_t indexCount = indices->GetCount();
    for (uint32_t i = 0; i + 2 < indexCount; i += 3)
    {
        uint32_t c[3];
        if (!TriangleAt(list, i, vertexCount, c))
            continue;
        const Vector3 face = (v[c[1]] - v[c[0]]).Cross(v[c[2]] - v[c[0]]);
        n[c[0]] += face;
        n[c[1]] += face;
        n[c[2]] += face;
    }
    NormalizeAll(*created);
}

void Triangles::GenerateTangents(uint32_t stage)
{
    if (!indices || !vertices || stage >= kTextureStages || !textureCoordinates[stage])
        return;
    const Buffer* coordinates = textureCoordinates[stage].Get();
    uint32_t stride = 0;
    if (coordinates->IsDerived(Vector2Buffer::TYPE))
        stride = 2;
    else if (coordinates->IsDerived(Vector3Buffer::TYPE))
        stride = 3;
    else if (coordinates->IsDerived(Vector4Buffer::TYPE))
        stride = 4;
    else
        return; // one-dimensional (or not coordinates at all): no direction to follow

    const uint32_t vertexCount = vertices->GetCount();
    Vector3Buffer* created = CreateBuffer<Vector3Buffer>(vertexCount);
    if (!created)
    {
        LogError("Недостаточно памяти для создания буффера тангенсов. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return;
    }
    SetTangents(created);

    // Corners must name a vertex and a coordinate: a short coordinate set
    // from a file must not be read past its end.
    const uint32_t coordinateCount = coordinates->GetCount();
    const uint32_t limit = vertexCount < coordinateCount ? vertexCount : coordinateCount;
    const float* st = static_cast<const float*>(coordinates->GetData());
    const Vector3* p = vertices->GetElements();
    Vector3* t = created->GetElements();
    const int32_t* list = indices->GetElements();
    const uint32_t triangleCount = indices->GetCount() / 3;
    for (uint32_t triangle = 0; triangle < triangleCount; ++triangle)
    {
        uint32_t c[3];
        if (!TriangleAt(list, triangle * 3, limit, c))
            continue;
        const float* st0 = st + c[0] * stride;
        const float* st1 = st + c[1] * stride;
        const float* st2 = st + c[2] * stride;
        const float ds1 = st1[0] - st0[0], dt1 = st1[1] - st0[1];
        const float ds2 = st2[0] - st0[0], dt2 = st2[1] - st0[1];
        const float area = ds1 * dt2 - dt1 * ds2;
        if (area == 0.0f)
            continue;
        const Vector3 e1 = p[c[1]] - p[c[0]];
        const Vector3 e2 = p[c[2]] - p[c[0]];
        const Vector3 tangent((e1.x * dt2 - dt1 * e2.x) / area, (e1.y * dt2 - dt1 * e2.y) / area,
                              (e1.z * dt2 - dt1 * e2.z) / area);
        t[c[0]] += tangent;
        t[c[1]] += tangent;
        t[c[2]] += tangent;
    }
    NormalizeAll(*created);
}
