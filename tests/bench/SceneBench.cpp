// The per-frame costs of the scene graph: the update pass over a large tree,
// and CPU skinning, with the packed per-vertex loop against the plain one.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkinController.h"
#include "engine/scene/SkinningLoop.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace
{

// 1 root, 100 groups, 99 meshes under each: 10 001 nodes, every one moved
// and turned, so no identity flag spares any arithmetic.
Ptr<SceneNode> MakeTree()
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    root->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.1f));
    for (int g = 0; g < 100; ++g)
    {
        SceneNode* group = new SceneNode(String("group"), 99, 2);
        group->GetLocalTransform().SetTranslation(Vector3(static_cast<float>(g), 0, 0));
        group->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 0, 1), 0.01f * g));
        root->AttachChild(group);
        for (int m = 0; m < 99; ++m)
        {
            Triangles* mesh = new Triangles(String("mesh"));
            mesh->SetVertices(new Vector3Buffer(3, new Vector3[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
            mesh->UpdateModelBound();
            mesh->GetLocalTransform().SetTranslation(Vector3(0, static_cast<float>(m), 0));
            mesh->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(1, 0, 0), 0.02f * m));
            group->AttachChild(mesh);
        }
    }
    return root;
}

void UpdateTree10000Nodes(benchmark::State& state)
{
    Ptr<SceneNode> root = MakeTree();
    for (auto _ : state)
    {
        root->UpdateTree(1.0 / 60.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 10001);
}
BENCHMARK(UpdateTree10000Nodes)->Unit(benchmark::kMicrosecond);

constexpr uint32_t kVertices = 20000;
constexpr uint32_t kBones = 30;

// A 20 000-vertex mesh on a chain of 30 bones, each vertex on two
// neighbouring bones (and a third on every fourth vertex).
struct SkinnedMesh
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Triangles> mesh = new Triangles(String("mesh"));
    Ptr<SkinController> skin = new SkinController(String("skin"));

    SkinnedMesh()
    {
        std::vector<Node*> bones;
        std::vector<Transform> offsets;
        SceneNode* parent = root.Get();
        for (uint32_t b = 0; b < kBones; ++b)
        {
            SceneNode* bone = new SceneNode(String("bone"));
            bone->GetLocalTransform().SetTranslation(Vector3(0, 1, 0));
            bone->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 0, 1), 0.05f));
            parent->AttachChild(bone);
            parent = bone;
            bones.push_back(bone);
            offsets.emplace_back(Vector3(0, -static_cast<float>(b + 1), 0), Quaternion(), Vector3(1, 1, 1));
        }
        root->AttachChild(mesh.Get());

        auto* rest = new Vector3Buffer(kVertices, new Vector3[kVertices]);
        auto* normals = new Vector3Buffer(kVertices, new Vector3[kVertices]);
        auto* weights = new Vector4Buffer(kVertices, new Vector4[kVertices]);
        auto* indices = new Vector4Buffer(kVertices, new Vector4[kVertices]);
        for (uint32_t v = 0; v < kVertices; ++v)
        {
            const float height = static_cast<float>(kBones) * v / kVertices;
            const float angle = 0.37f * v;
            (*rest)[v] = Vector3(std::cos(angle), height, std::sin(angle));
            (*normals)[v] = Vector3(std::cos(angle), 0, std::sin(angle));
            const uint32_t bone = static_cast<uint32_t>(height) % kBones;
            const float blend = height - std::floor(height);
            const bool third = v % 4 == 0;
            (*weights)[v] = Vector4(1 - blend, third ? blend * 0.5f : blend, third ? blend * 0.5f : 0, 0);
            (*indices)[v] = Vector4(static_cast<float>(bone), static_cast<float>((bone + 1) % kBones),
                                    static_cast<float>((bone + 2) % kBones), 0);
        }
        skin->SetRestVertices(rest);
        skin->SetRestNormals(normals);
        skin->SetWeights(weights);
        skin->SetBoneIndices(indices);
        skin->SetBones(kBones, bones.data(), offsets.data());
        mesh->SetVertices(new Vector3Buffer(kVertices, new Vector3[kVertices]));
        mesh->SetNormals(new Vector3Buffer(kVertices, new Vector3[kVertices]));
        mesh->SetController(skin.Get());
    }
};

// The whole per-frame skin: bones, bone matrices, every vertex, the bound.
void SkinController20000Vertices30Bones(benchmark::State& state)
{
    SkinnedMesh rig;
    rig.root->UpdateTree(0.0);
    for (auto _ : state)
    {
        rig.skin->Update(1.0 / 60.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK(SkinController20000Vertices30Bones)->Unit(benchmark::kMicrosecond);

// The per-vertex loop alone, each version on the same batch.
void SkinLoop(benchmark::State& state, SkinFunction loop)
{
    SkinnedMesh rig;
    rig.root->UpdateTree(0.0);
    std::vector<uint32_t> indices(kVertices * 4);
    for (uint32_t v = 0; v < kVertices; ++v)
    {
        const Vector4& stored = (*rig.skin->GetBoneIndices())[v];
        indices[v * 4 + 0] = static_cast<uint32_t>(stored.x);
        indices[v * 4 + 1] = static_cast<uint32_t>(stored.y);
        indices[v * 4 + 2] = static_cast<uint32_t>(stored.z);
        indices[v * 4 + 3] = static_cast<uint32_t>(stored.w);
    }
    const SkinBatch batch{rig.skin->GetRestVertices()->GetElements(), rig.skin->GetRestNormals()->GetElements(),
                          rig.skin->GetWeights()->GetElements(),      indices.data(),
                          rig.skin->GetBoneMatrices(),                rig.mesh->GetVertices()->GetElements(),
                          rig.mesh->GetNormals()->GetElements(),      kVertices};
    for (auto _ : state)
    {
        loop(batch);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kVertices);
}
BENCHMARK_CAPTURE(SkinLoop, Plain, &SkinPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SkinLoop, Packed, &SkinVector)->Unit(benchmark::kMicrosecond);

} // namespace
