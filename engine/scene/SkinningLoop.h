#pragma once
#include <cstdint>

#include "engine/core/Matrix4.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

// The per-vertex loop of CPU skinning. Each vertex blends the matrices of up
// to four bones: M = w0 B[b0], then + wk B[bk] for each later influence with
// wk > 0 (the first always counts, even at weight 0); the position is
// (rest, 1) M and the normal (rest normal, 0) M, first three components,
// not renormalised. The packed version gives exactly the plain one's
// result: the same operations in the same order.
struct SkinBatch
{
    const Vector3* restVertices;
    const Vector3* restNormals;
    const Vector4* weights;
    const uint32_t* boneIndices; // four per vertex, each below the bone count
    const Matrix4* bones;
    Vector3* vertices;
    Vector3* normals;
    uint32_t count;
};

using SkinFunction = void (*)(const SkinBatch& batch);

void SkinPlain(const SkinBatch& batch);
// The packed version; the plain one where the processor has none.
void SkinVector(const SkinBatch& batch);

// The version for this processor, chosen on first use.
SkinFunction GetSkinLoop();
