#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/PointEmitter.h"
#include "engine/scene/Triangles.h"

// Emits from a random point on a random triangle of a mesh (in the mesh's
// world space), in the cone of PointEmitter turned by the mesh. Without a
// usable triangle: from the origin, straight down.
class TrianglesEmitter : public PointEmitter
{
    QRE_DECLARE_CLASS

public:
    explicit TrianglesEmitter(const String& name = String()) : PointEmitter(name) {}

    Triangles* GetMesh() const { return mesh.Get(); }
    void SetMesh(Triangles* value) { mesh = value; }

    // The corners are read through the index list; a triangle naming a
    // vertex that is not there is passed over.
    void Emit(Vector3& position, Vector3& direction) override;

    // streaming: the PointEmitter record, mesh link
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Ptr<Triangles> mesh;
};
