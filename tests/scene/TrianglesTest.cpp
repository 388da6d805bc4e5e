#include "engine/scene/Triangles.h"

#include <gtest/gtest.h>

#include "engine/scene/FloatBuffer.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "scene/SceneTestSupport.h"

namespace
{

// Two triangles in the z = 0 plane sharing an edge, one twice the other's
// size, plus a vertex nothing uses.
Ptr<Triangles> Quad()
{
    Ptr<Triangles> mesh = new Triangles(String("quad"));
    mesh->SetVertices(MakeBuffer<Vector3Buffer>({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 2, 0}, {9, 9, 9}}));
    mesh->SetIndices(MakeBuffer<IntBuffer>({0, 1, 2, 1, 3, 2}));
    return mesh;
}

} // namespace

TEST(Triangles, NormalsSumTheFacesAroundEachVertexAndLeaveUnusedOnesZero)
{
    Ptr<Triangles> mesh = Quad();
    // Tilt one triangle so the shared vertices see two different faces.
    (*mesh->GetVertices())[3] = Vector3(2, 2, 2);
    mesh->GenerateNormals();
    Vector3Buffer* normals = mesh->GetNormals();
    ASSERT_TRUE(normals);
    ASSERT_EQ(normals->GetCount(), 5u);
    EXPECT_TRUE(normals->IsChanged());

    const Vector3* v = mesh->GetVertices()->GetElements();
    const Vector3 small = (v[1] - v[0]).Cross(v[2] - v[0]);
    const Vector3 large = (v[3] - v[1]).Cross(v[2] - v[1]);
    // Unnormalised faces, so the larger one weighs more at a shared vertex.
    const Vector3 shared = (small + large).Normalized();
    EXPECT_NEAR((*normals)[1].x, shared.x, 1e-6f);
    EXPECT_NEAR((*normals)[1].z, shared.z, 1e-6f);
    EXPECT_EQ((*normals)[0], small.Normalized());
    EXPECT_EQ((*normals)[4], Vector3(0, 0, 0));
}

TEST(Triangles, PartialTriplesDegenerateFacesAndStrayIndicesAddNothing)
{
    Ptr<Triangles> mesh = Quad();
    // A whole triangle, a degenerate one (all at vertex 3), a triangle that
    // names a vertex past the end, then two indices of a partial triple.
    mesh->SetIndices(MakeBuffer<IntBuffer>({0, 1, 2, 3, 3, 3, 4, 0, 77, 4, 3}));
    mesh->GenerateNormals();
    Vector3Buffer& normals = *mesh->GetNormals();
    EXPECT_EQ(normals[0], Vector3(0, 0, 1));
    EXPECT_EQ(normals[3], Vector3(0, 0, 0));
    EXPECT_EQ(normals[4], Vector3(0, 0, 0));

    // A negative index names no vertex either.
    mesh->SetIndices(MakeBuffer<IntBuffer>({0, 1, -2}));
    mesh->GenerateNormals();
    EXPECT_EQ((*mesh->GetNormals())[0], Vector3(0, 0, 0));

    // Without indices nothing is generated and the old normals stay.
    Vector3Buffer* before = mesh->GetNormals();
    mesh->SetIndices(nullptr);
    mesh->GenerateNormals();
    EXPECT_EQ(mesh->GetNormals(), before);
}

TEST(Triangles, TangentsFollowGrowingSAndSkipFlatCoordinates)
{
    Ptr<Triangles> mesh = Quad();
    // s grows along -y: the tangent points there, whatever the stride.
    mesh->SetTextureCoordinates(0, MakeBuffer<Vector2Buffer>({{0, 0}, {0, 1}, {-1, 0}, {-2, 2}, {0, 0}}));
    mesh->SetTextureCoordinates(
        1, MakeBuffer<Vector4Buffer>({{0, 0, 5, 5}, {0, 1, 5, 5}, {-1, 0, 5, 5}, {-2, 2, 5, 5}, {0, 0, 5, 5}}));
    mesh->GenerateTangents(0);
    ASSERT_TRUE(mesh->GetTangents());
    EXPECT_EQ((*mesh->GetTangents())[0], Vector3(0, -1, 0));
    EXPECT_EQ((*mesh->GetTangents())[4], Vector3(0, 0, 0));
    mesh->GenerateTangents(1);
    EXPECT_EQ((*mesh->GetTangents())[2], Vector3(0, -1, 0));

    // Coordinates that span no area contribute nothing (no division by 0).
    mesh->SetTextureCoordinates(2, MakeBuffer<Vector2Buffer>({{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}}));
    mesh->GenerateTangents(2);
    EXPECT_EQ((*mesh->GetTangents())[0], Vector3(0, 0, 0));

    // Too few coordinates for the vertices: triangles reaching past them
    // are skipped, never read out of bounds.
    mesh->SetTextureCoordinates(3, MakeBuffer<Vector2Buffer>({{0, 0}, {0, 1}, {-1, 0}}));
    mesh->GenerateTangents(3);
    EXPECT_EQ((*mesh->GetTangents())[0], Vector3(0, -1, 0));
    EXPECT_EQ((*mesh->GetTangents())[3], Vector3(0, 0, 0));

    // One-dimensional coordinates have no direction: nothing is made.
    Vector3Buffer* before = mesh->GetTangents();
    mesh->SetTextureCoordinates(4, MakeBuffer<FloatBuffer>({0, 1, 2, 3, 4}));
    mesh->GenerateTangents(4);
    EXPECT_EQ(mesh->GetTangents(), before);
}

TEST(Triangles, LocalBoundComesFromTheVerticesAndSurvivesTheirAbsence)
{
    Ptr<Triangles> mesh = Quad();
    mesh->UpdateModelData(true, false);
    auto* bound = static_cast<SphereBoundingVolume*>(mesh->GetLocalBound());
    EXPECT_EQ(bound->GetCenter(), Vector3(4.5f, 4.5f, 4.5f));
    EXPECT_TRUE(mesh->GetNormals());

    mesh->SetVertices(nullptr);
    mesh->UpdateModelBound();
    EXPECT_EQ(bound->GetCenter(), Vector3(4.5f, 4.5f, 4.5f));
}

// Other buffers are checked by the device against what a pass binds.
TEST(Triangles, OnlyGeometryWhoseIndicesFitIsDrawable)
{
    Ptr<Triangles> mesh = Quad();
    mesh->SetNormals(MakeBuffer<Vector3Buffer>({{0, 0, 1}})); // shorter than the vertices
    EXPECT_TRUE(mesh->IsDrawable());

    IntBuffer* indices = mesh->GetIndices();
    EXPECT_EQ(indices->GetIndexBound(), 4u);
    (*indices)[0] = 5; // one past the last vertex
    EXPECT_EQ(indices->GetIndexBound(), 4u) << "cached until the writer says it changed";
    indices->MarkChanged();
    EXPECT_EQ(indices->GetIndexBound(), 6u);
    EXPECT_FALSE(mesh->IsDrawable());
    (*indices)[0] = -1;
    indices->MarkChanged();
    EXPECT_EQ(indices->GetIndexBound(), UINT32_MAX);
    EXPECT_FALSE(mesh->IsDrawable());
}
