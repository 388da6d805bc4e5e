#include "engine/scene/TrianglesEmitter.h"

#include <cstdlib>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/MathUtil.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(TrianglesEmitter, PointEmitter)

namespace
{
// True when triangle t of the list names three vertices that exist.
bool Usable(const int32_t* list, uint32_t t, uint32_t vertexCount)
{
    for (uint32_t corner = 0; corner < 3; ++corner)
    {
        const int32_t index = list[3 * t + corner];
        if (index < 0 || static_cast<uint32_t>(index) >= vertexCount)
            return false;
    }
    return true;
}
} // namespace

void TrianglesEmitter::Emit(Vector3& position, Vector3& direction)
{
    Vector3Buffer* vertices = mesh ? mesh->GetVertices() : nullptr;
    IntBuffer* indices = mesh ? mesh->GetIndices() : nullptr;
    const uint32_t n = indices && indices->GetElements() ? indices->GetCount() / 3 : 0;
    const uint32_t vertexCount = vertices && vertices->GetElements() ? vertices->GetCount() : 0;
    if (n > 0 && vertexCount > 0)
    {
        const int32_t* list = indices->GetElements();
        const uint32_t chosen = n > 1 ? static_cast<uint32_t>(std::rand()) % n : 0;
        // A damaged triangle hands over to the next usable one.
        for (uint32_t step = 0; step < n; ++step)
        {
            const uint32_t t = (chosen + step) % n;
            if (!Usable(list, t, vertexCount))
                continue;
            const Vector3* v = vertices->GetElements();
            const Vector3& a = v[list[3 * t]];
            const Vector3& b = v[list[3 * t + 1]];
            const Vector3& c = v[list[3 * t + 2]];
            const Vector3 p1 = a + (b - a) * RandomUnit();
            const Vector3 p2 = a + (c - a) * RandomUnit();
            const Vector3 p = p1 + (p2 - p1) * RandomUnit();
            position = mesh->GetWorldTransform().ApplyToPoint(p);
            direction = TurnedDirection(mesh.Get());
            return;
        }
    }
    position = Vector3();
    direction = Vector3(0.0f, -1.0f, 0.0f);
}

int32_t TrianglesEmitter::Save(Stream& stream)
{
    if (PointEmitter::Save(stream) != 0)
        return 1;
    if (stream.WriteLink(mesh.Get()) != 0)
    {
        LogError("Невозможно сохранить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t TrianglesEmitter::Load(Stream& stream)
{
    if (PointEmitter::Load(stream) != 0)
        return 1;
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    // Another class in the mesh's place counts as no mesh.
    mesh = link && link->IsDerived(Triangles::TYPE) ? static_cast<Triangles*>(link) : nullptr;
    return 0;
}
