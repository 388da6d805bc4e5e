#include "engine/scene/SkinningLoop.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void SkinPlain(const SkinBatch& batch)
{
    for (uint32_t v = 0; v < batch.count; ++v)
    {
        const uint32_t* index = batch.boneIndices + v * 4;
        const float weight[4] = {batch.weights[v].x, batch.weights[v].y, batch.weights[v].z, batch.weights[v].w};

        float m[4][4];
        const Matrix4& first = batch.bones[index[0]];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                m[r][c] = weight[0] * first.m[r][c];
        for (int k = 1; k < 4; ++k)
        {
            if (!(weight[k] > 0.0f))
                continue;
            const Matrix4& bone = batch.bones[index[k]];
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    m[r][c] = m[r][c] + weight[k] * bone.m[r][c];
        }

        const Vector3& p = batch.restVertices[v];
        const Vector3& n = batch.restNormals[v];
        batch.vertices[v] = Vector3(p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
                                    p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
                                    p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]);
        batch.normals[v] = Vector3(n.x * m[0][0] + n.y * m[1][0] + n.z * m[2][0],
                                   n.x * m[0][1] + n.y * m[1][1] + n.z * m[2][1],
                                   n.x * m[0][2] + n.y * m[1][2] + n.z * m[2][2]);
    }
}

#if defined(__SSE2__)

namespace
{

inline void StoreXYZ(Vector3& out, __m128 value)
{
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, value);
    std::memcpy(&out, lanes, sizeof(Vector3));
}

} // namespace

void SkinVector(const SkinBatch& batch)
{
    for (uint32_t v = 0; v < batch.count; ++v)
    {
        const uint32_t* index = batch.boneIndices + v * 4;
        const float weight[4] = {batch.weights[v].x, batch.weights[v].y, batch.weights[v].z, batch.weights[v].w};

        // One register per matrix row: the blend is four multiplies (and
        // adds) per influence instead of sixteen.
        const float (*first)[4] = batch.bones[index[0]].m;
        const __m128 w0 = _mm_set1_ps(weight[0]);
        __m128 row0 = _mm_mul_ps(w0, _mm_loadu_ps(first[0]));
        __m128 row1 = _mm_mul_ps(w0, _mm_loadu_ps(first[1]));
        __m128 row2 = _mm_mul_ps(w0, _mm_loadu_ps(first[2]));
        __m128 row3 = _mm_mul_ps(w0, _mm_loadu_ps(first[3]));
        for (int k = 1; k < 4; ++k)
        {
            if (!(weight[k] > 0.0f))
                continue;
            const float (*bone)[4] = batch.bones[index[k]].m;
            const __m128 w = _mm_set1_ps(weight[k]);
            row0 = _mm_add_ps(row0, _mm_mul_ps(w, _mm_loadu_ps(bone[0])));
            row1 = _mm_add_ps(row1, _mm_mul_ps(w, _mm_loadu_ps(bone[1])));
            row2 = _mm_add_ps(row2, _mm_mul_ps(w, _mm_loadu_ps(bone[2])));
            row3 = _mm_add_ps(row3, _mm_mul_ps(w, _mm_loadu_ps(bone[3])));
        }

        // ((x row0 + y row1) + z row2) + row3, the plain sum's order.
        const Vector3& p = batch.restVertices[v];
        __m128 position = _mm_mul_ps(_mm_set1_ps(p.x), row0);
        position = _mm_add_ps(position, _mm_mul_ps(_mm_set1_ps(p.y), row1));
        position = _mm_add_ps(position, _mm_mul_ps(_mm_set1_ps(p.z), row2));
        position = _mm_add_ps(position, row3);
        StoreXYZ(batch.vertices[v], position);

        const Vector3& n = batch.restNormals[v];
        __m128 normal = _mm_mul_ps(_mm_set1_ps(n.x), row0);
        normal = _mm_add_ps(normal, _mm_mul_ps(_mm_set1_ps(n.y), row1));
        normal = _mm_add_ps(normal, _mm_mul_ps(_mm_set1_ps(n.z), row2));
        StoreXYZ(batch.normals[v], normal);
    }
}

#else

void SkinVector(const SkinBatch& batch)
{
    SkinPlain(batch);
}

#endif

SkinFunction GetSkinLoop()
{
    static SkinFunction chosen = nullptr;
    if (!chosen)
    {
#if defined(__SSE2__)
        chosen = __builtin_cpu_supports("sse2") ? &SkinVector : &SkinPlain;
#else
        chosen = &SkinPlain;
#endif
    }
    return chosen;
}
