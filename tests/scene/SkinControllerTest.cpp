#include "engine/scene/SkinController.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <vector>

#include "engine/scene/SceneNode.h"
#include "engine/scene/SkinningLoop.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

// Two bones under a root and a three-vertex mesh skinned to them.
struct Rig
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<SceneNode> bone0 = new SceneNode(String("bone0"));
    Ptr<SceneNode> bone1 = new SceneNode(String("bone1"));
    Ptr<Triangles> mesh = new Triangles(String("mesh"));
    Ptr<SkinController> skin = new SkinController(String("skin"));

    Rig()
    {
        root->AttachChild(bone0.Get());
        root->AttachChild(bone1.Get());
        root->AttachChild(mesh.Get()); // after the bones, so they move first
        bone0->GetLocalTransform().SetTranslation(Vector3(0, 0, 0));
        bone1->GetLocalTransform().SetTranslation(Vector3(0, 4, 0));

        mesh->SetVertices(MakeBuffer<Vector3Buffer>({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
        mesh->SetNormals(MakeBuffer<Vector3Buffer>({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
        skin->SetRestVertices(MakeBuffer<Vector3Buffer>({{1, 0, 0}, {1, 4, 0}, {1, 2, 0}}));
        skin->SetRestNormals(MakeBuffer<Vector3Buffer>({{1, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
        // Bind pose: the mesh placed relative to each bone at rest.
        Node* bones[2] = {bone0.Get(), bone1.Get()};
        Transform offsets[2] = {Transform(Vector3(0, 0, 0), Quaternion(), Vector3(1, 1, 1)),
                                Transform(Vector3(0, -4, 0), Quaternion(), Vector3(1, 1, 1))};
        skin->SetBones(2, bones, offsets);
        skin->SetWeights(MakeBuffer<Vector4Buffer>({{1, 0, 0, 0}, {0, 1, 0, 0}, {0.5f, 0.5f, 0, 0}}));
        skin->SetBoneIndices(MakeBuffer<Vector4Buffer>({{0, 1, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}}));
        mesh->SetController(skin.Get());
    }

    const Vector3& Vertex(uint32_t i) const { return (*mesh->GetVertices())[i]; }
    const SphereBoundingVolume& Bound() const
    {
        return *static_cast<const SphereBoundingVolume*>(mesh->GetWorldBound());
    }
};

} // namespace

TEST(SkinController, VerticesFollowTheirBonesIntoWorldSpace)
{
    Rig rig;
    rig.root->GetLocalTransform().SetTranslation(Vector3(10, 0, 0));
    rig.bone1->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 0, 1), 3.14159265f / 2));
    rig.root->UpdateTree(0.0);

    EXPECT_EQ(rig.Vertex(0), Vector3(11, 0, 0));
    // Around bone1 (at y = 4): (1, 0, 0) turned a positive quarter about z.
    EXPECT_NEAR(rig.Vertex(1).x, 10.0f, 1e-5f);
    EXPECT_NEAR(rig.Vertex(1).y, 3.0f, 1e-5f);
    // Blended half and half: halfway between where each bone alone would
    // put it, (11, 2, 0) and (8, 3, 0).
    EXPECT_NEAR(rig.Vertex(2).x, 9.5f, 1e-5f);
    EXPECT_NEAR(rig.Vertex(2).y, 2.5f, 1e-5f);
    EXPECT_TRUE(rig.mesh->GetVertices()->IsChanged());
    EXPECT_TRUE(rig.mesh->GetNormals()->IsChanged());

    // The vertices are in world space: the mesh's own transform is gone
    // and stays gone however its parent moves.
    EXPECT_TRUE(rig.mesh->GetWorldTransform().IsIdentity());
    EXPECT_FALSE(rig.mesh->GetUpdateWorldTransform());
    rig.root->GetLocalTransform().SetTranslation(Vector3(20, 0, 0));
    rig.root->UpdateTree(0.0);
    EXPECT_TRUE(rig.mesh->GetWorldTransform().IsIdentity());
    EXPECT_EQ(rig.Vertex(0), Vector3(21, 0, 0));
}

// Bones at y = 0 and y = 4: the bound is centred between them with half
// their distance grown by half (2 x 1.5), placed even while the skin is
// inactive and its vertices stay; with one bone it has no limit.
TEST(SkinController, BoundIsTheBonesSphereGrownByHalfAndKeptFromTheUpdatePass)
{
    Rig rig;
    rig.skin->SetActive(false);
    rig.root->UpdateTree(0.0);
    EXPECT_EQ(rig.Vertex(0), Vector3(0, 0, 0));
    EXPECT_EQ(rig.Bound().GetCenter(), Vector3(0, 2, 0));
    EXPECT_FLOAT_EQ(rig.Bound().GetRadius(), 3.0f);
    EXPECT_FALSE(rig.mesh->GetUpdateWorldBound());
    EXPECT_TRUE(rig.mesh->GetWorldTransform().IsIdentity());

    Node* bones[1] = {rig.bone0.Get()};
    rig.skin->SetBones(1, bones, nullptr);
    rig.skin->SetBoneIndices(MakeBuffer<Vector4Buffer>({{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}));
    rig.root->UpdateTree(0.0);
    EXPECT_EQ(rig.Bound().GetRadius(), FLT_MAX);
}

TEST(SkinController, MismatchedOrInvalidDataSkipsTheFrame)
{
    LogCapture capture;
    Rig rig;
    rig.skin->SetRestNormals(MakeBuffer<Vector3Buffer>({{1, 0, 0}})); // fewer normals than vertices
    rig.root->UpdateTree(0.0);
    EXPECT_EQ(rig.Vertex(0), Vector3(0, 0, 0));
    EXPECT_TRUE(rig.mesh->GetUpdateWorldBound()) << "nothing at all happens that frame";

    // An index past the bone list where it counts: refused, with a warning.
    rig.skin->SetRestNormals(MakeBuffer<Vector3Buffer>({{1, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
    rig.skin->SetBoneIndices(MakeBuffer<Vector4Buffer>({{0, 1, 0, 0}, {2, 1, 0, 0}, {0, 1, 0, 0}}));
    rig.root->UpdateTree(0.0);
    EXPECT_EQ(rig.Vertex(0), Vector3(0, 0, 0));
    EXPECT_TRUE(capture.Contains("Индексы костей указывают за пределы списка костей."));

    // Where its weight is 0 an index may be anything: it is never read. The
    // first influence counts even at weight 0 (scaled to nothing), the
    // others only above 0.
    rig.skin->SetBoneIndices(MakeBuffer<Vector4Buffer>({{0, 1, 99, -5}, {0, 1, 1e9f, 0}, {0, 1, 0, 0}}));
    rig.skin->SetWeights(MakeBuffer<Vector4Buffer>({{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0.25f, 0, 0}}));
    rig.root->UpdateTree(0.0);
    EXPECT_EQ(rig.Vertex(0), Vector3(1, 0, 0));
    EXPECT_EQ(rig.Vertex(1), Vector3(0, 0, 0));
    EXPECT_EQ(rig.Vertex(2), Vector3(0.25f, 0.5f, 0)); // only bone1's quarter

    // A bone that has gone leaves its offset alone in place of the bone.
    Ptr<SceneNode> loose = new SceneNode();
    Node* bones[2] = {rig.bone0.Get(), loose.Get()};
    Transform offsets[2];
    rig.skin->SetBones(2, bones, offsets);
    loose = nullptr;
    EXPECT_EQ(rig.skin->GetBone(1), nullptr);
    rig.skin->SetWeights(MakeBuffer<Vector4Buffer>({{1, 0, 0, 0}, {0, 1, 0, 0}, {0.5f, 0.5f, 0, 0}}));
    rig.root->UpdateTree(0.0);
    EXPECT_EQ(rig.Vertex(1), Vector3(1, 4, 0));
}

TEST(SkinController, PackedLoopGivesThePlainResultExactly)
{
    std::srand(11);
    auto random = [] { return static_cast<float>(std::rand() % 20001 - 10000) / 997.0f; };
    const uint32_t boneCount = 7, count = 301;
    std::vector<Matrix4> bones(boneCount);
    for (Matrix4& bone : bones)
        for (auto& row : bone.m)
            for (float& value : row)
                value = random();
    std::vector<Vector3> rest(count), restNormals(count), plainV(count), plainN(count), packedV(count), packedN(count);
    std::vector<Vector4> weights(count);
    std::vector<uint32_t> indices(count * 4);
    for (uint32_t v = 0; v < count; ++v)
    {
        rest[v] = Vector3(random(), random(), random());
        restNormals[v] = Vector3(random(), random(), random());
        // Some influences off, some at zero, some negative.
        weights[v] = Vector4(std::rand() % 3 ? random() : 0.0f, random(), std::rand() % 2 ? 0.0f : random(), random());
        for (int k = 0; k < 4; ++k)
            indices[v * 4 + k] = static_cast<uint32_t>(std::rand()) % boneCount;
    }
    SkinBatch batch{rest.data(), restNormals.data(), weights.data(), indices.data(), bones.data(),
                    plainV.data(), plainN.data(), count};
    SkinPlain(batch);
    batch.vertices = packedV.data();
    batch.normals = packedN.data();
    SkinVector(batch);
    for (uint32_t v = 0; v < count; ++v)
    {
        ASSERT_EQ(plainV[v], packedV[v]) << v;
        ASSERT_EQ(plainN[v], packedN[v]) << v;
    }
}
