#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Array.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/core/Controller.h"
#include "engine/scene/NodeLink.h"
#include "engine/core/Transform.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

class GeometryNode;

// Deforms its target geometry every frame from a set of bone nodes: each
// vertex blends up to four bone matrices (bone offset carried by the bone's
// world transform). The bone matrices come from world transforms, so the
// deformed vertices are in world space: the target's world transform
// becomes the identity and its world bound a sphere around the bones,
// written here rather than by the update pass.
class SkinController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit SkinController(const String& name = String());

    // Computes the bone matrices and the target's bound every update; an
    // active controller that skins on the CPU also rewrites the target's
    // vertices and normals from the rest pose. With missing buffers or
    // counts that disagree (or bone indices that name no bone) nothing
    // happens that frame.
    int32_t Update(double time) override;

    // bones -----------------------------------------------------------------

    // Replaces the bones and their offsets (the mesh's bind-pose placement
    // relative to each bone); the arrays must have count entries. Bones
    // are not held: they live in the tree, often above the mesh itself.
    void SetBones(uint32_t count, Node* const* bones, const Transform* offsets);
    uint32_t GetBoneCount() const { return boneOffsets.Count(); }
    // The bone while it lives, else null.
    Node* GetBone(uint32_t index) const { return index < bones.Count() ? bones[index].Get() : nullptr; }
    const Transform& GetBoneOffset(uint32_t index) const { return boneOffsets[index]; }
    // From the last update.
    const Matrix4* GetBoneMatrices() const { return boneMatrices.data(); }
    Vector3Buffer* GetBonePositions() const { return bonePositions.Get(); }

    // rest pose and influences ----------------------------------------------

    // Four weights and four bone indices (whole numbers stored as floats)
    // per vertex.
    Vector4Buffer* GetWeights() const { return weights.Get(); }
    void SetWeights(Vector4Buffer* buffer)
    {
        weights = buffer;
        checked.built = false;
    }
    Vector4Buffer* GetBoneIndices() const { return boneIndices.Get(); }
    void SetBoneIndices(Vector4Buffer* buffer)
    {
        boneIndices = buffer;
        checked.built = false;
    }
    Vector3Buffer* GetRestVertices() const { return restVertices.Get(); }
    void SetRestVertices(Vector3Buffer* buffer) { restVertices = buffer; }
    Vector3Buffer* GetRestNormals() const { return restNormals.Get(); }
    void SetRestNormals(Vector3Buffer* buffer) { restNormals = buffer; }
    // Stored and loaded; the deformation does not use them.
    Vector3Buffer* GetRestTangents() const { return restTangents.Get(); }
    void SetRestTangents(Vector3Buffer* buffer) { restTangents = buffer; }

    // While cleared a vertex program does the blending and the vertices are
    // left alone; the matrices and the bound are still computed.
    bool GetCpuSkinning() const { return cpuSkinning; }
    void SetCpuSkinning(bool enabled) { cpuSkinning = enabled; }

    // objects ---------------------------------------------------------------

    bool Holds(const Object* other) const override;

    // streaming: bone count, bones, offsets, weights, indices, rest
    // vertices, normals, tangents
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // The bone indices as checked integers, rebuilt when the indices, the
    // weights, the bone count or the vertex count change. False when an
    // index that counts (the first of a vertex, or one with weight above 0)
    // names no bone.
    bool ValidateIndices(uint32_t vertexCount);
    void UpdateBones();
    void WriteBound(GeometryNode& mesh);

    Array<NodeLink> bones{1, 4};
    Array<Transform> boneOffsets{1, 4};
    std::vector<Matrix4> boneMatrices;
    Ptr<Vector3Buffer> bonePositions;
    Ptr<Vector4Buffer> weights;
    Ptr<Vector4Buffer> boneIndices;
    Ptr<Vector3Buffer> restVertices;
    Ptr<Vector3Buffer> restNormals;
    Ptr<Vector3Buffer> restTangents;
    bool cpuSkinning = true;

    // ValidateIndices' cache and what it was built from (the setters drop
    // it: a new buffer may reuse a freed one's address and revision)
    std::vector<uint32_t> checkedIndices;
    struct
    {
        const Buffer* indices = nullptr;
        uint32_t indicesRevision = 0;
        const Buffer* weights = nullptr;
        uint32_t weightsRevision = 0;
        uint32_t boneCount = 0;
        uint32_t vertexCount = 0;
        bool valid = false;
        bool built = false;
    } checked;
};
