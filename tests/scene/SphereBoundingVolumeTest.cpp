#include "engine/scene/SphereBoundingVolume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/scene/Plane.h"
#include "engine/scene/PointBounds.h"
#include "engine/scene/Ray.h"
#include "engine/core/Transform.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/LogCapture.h"

namespace
{

Ptr<SphereBoundingVolume> Sphere(const Vector3& center, float radius)
{
    return Ptr<SphereBoundingVolume>(new SphereBoundingVolume(center, radius));
}

bool Encloses(const SphereBoundingVolume& outer, const SphereBoundingVolume& inner)
{
    const float distance = (outer.GetCenter() - inner.GetCenter()).Length();
    return distance + inner.GetRadius() <= outer.GetRadius() * (1.0f + 1e-5f);
}

} // namespace

TEST(SphereBoundingVolume, MergeKeepsAContainingSphereWhole)
{
    // Into a larger sphere that holds it: the larger stays as it was.
    Ptr<SphereBoundingVolume> large = Sphere(Vector3(0, 0, 0), 10);
    ASSERT_EQ(large->Merge(Sphere(Vector3(2, 0, 0), 3).Get()), 0);
    EXPECT_EQ(large->GetCenter(), Vector3(0, 0, 0));
    EXPECT_EQ(large->GetRadius(), 10.0f);

    // A small one that is held takes the larger one over, exactly.
    Ptr<SphereBoundingVolume> small = Sphere(Vector3(2, 0, 0), 3);
    small->Merge(Sphere(Vector3(1, 1, 0), 10).Get());
    EXPECT_EQ(small->GetCenter(), Vector3(1, 1, 0));
    EXPECT_EQ(small->GetRadius(), 10.0f);

    // Equal and concentric: unchanged.
    Ptr<SphereBoundingVolume> same = Sphere(Vector3(5, 5, 5), 2);
    same->Merge(Sphere(Vector3(5, 5, 5), 2).Get());
    EXPECT_EQ(same->GetCenter(), Vector3(5, 5, 5));
    EXPECT_EQ(same->GetRadius(), 2.0f);
}

TEST(SphereBoundingVolume, MergeOfSeparateSpheresEnclosesBothTightly)
{
    Ptr<SphereBoundingVolume> a = Sphere(Vector3(0, 0, 0), 1);
    Ptr<SphereBoundingVolume> b = Sphere(Vector3(10, 0, 0), 2);
    Ptr<SphereBoundingVolume> merged = Sphere(a->GetCenter(), a->GetRadius());
    merged->Merge(b.Get());
    EXPECT_TRUE(Encloses(*merged, *a));
    EXPECT_TRUE(Encloses(*merged, *b));
    EXPECT_FLOAT_EQ(merged->GetRadius(), 6.5f); // (10 + 1 + 2) / 2: through both far sides
    EXPECT_FLOAT_EQ(merged->GetCenter().x, 5.5f);
}

TEST(SphereBoundingVolume, TransformedRadiusFollowsTheXScaleOnly)
{
    Ptr<SphereBoundingVolume> local = Sphere(Vector3(1, 0, 0), 1);
    Ptr<SphereBoundingVolume> world = Sphere(Vector3(), 0);
    Transform wide;
    wide.SetScale(Vector3(2, 1, 1));
    ASSERT_EQ(local->TransformTo(world.Get(), wide), 0);
    EXPECT_FLOAT_EQ(world->GetRadius(), 2.0f);
    EXPECT_EQ(world->GetCenter(), Vector3(2, 0, 0));

    Transform tall;
    tall.SetScale(Vector3(1, 2, 1));
    local->TransformTo(world.Get(), tall);
    EXPECT_FLOAT_EQ(world->GetRadius(), 1.0f);

    // A turn does not change the radius, and the center turns with it.
    const Transform turned(Vector3(0, 0, 5), Quaternion::FromAxisAngle(Vector3(0, 0, 1), 3.14159265f / 2),
                           Vector3(3, 3, 3));
    local->TransformTo(world.Get(), turned);
    EXPECT_NEAR(world->GetRadius(), 3.0f, 1e-5f);
    EXPECT_NEAR(world->GetCenter().y, -3.0f, 1e-5f);
    EXPECT_NEAR(world->GetCenter().z, 5.0f, 1e-5f);
}

TEST(SphereBoundingVolume, TouchingAPlaneCountsAsBeingOnThatSide)
{
    Ptr<SphereBoundingVolume> sphere = Sphere(Vector3(0, 0, -2), 2);
    const Plane floor(Vector3(0, 0, 1), 0); // inside is z > 0
    EXPECT_EQ(sphere->WhichSide(floor), -1); // distance -2 == -radius
    sphere->SetCenter(Vector3(0, 0, 2));
    EXPECT_EQ(sphere->WhichSide(floor), 1);
    sphere->SetCenter(Vector3(0, 0, 1.999f));
    EXPECT_EQ(sphere->WhichSide(floor), 0);
}

TEST(SphereBoundingVolume, PointsGiveTheBoxCenterAndTheFarthestPoint)
{
    Vector3* points = new Vector3[3]{{0, 0, 0}, {4, 0, 0}, {0, 2, 0}};
    Ptr<Vector3Buffer> buffer = new Vector3Buffer(3, points);
    Ptr<SphereBoundingVolume> sphere = Sphere(Vector3(), 0);
    ASSERT_EQ(sphere->ComputeFromPoints(buffer.Get()), 0);
    EXPECT_EQ(sphere->GetCenter(), Vector3(2, 1, 0));
    EXPECT_FLOAT_EQ(sphere->GetRadius(), std::sqrt(5.0f));
}

TEST(SphereBoundingVolume, PackedPointFitGivesThePlainResultExactly)
{
    std::srand(7);
    for (uint32_t count : {1u, 2u, 3u, 5u, 17u, 1000u})
    {
        std::vector<Vector3> points(count);
        for (Vector3& p : points)
            p = Vector3(std::rand() % 2001 / 7.0f - 140, std::rand() % 2001 / 3.0f, -(std::rand() % 977) / 11.0f);
        Vector3 plainCenter, packedCenter;
        float plainRadius = 0, packedRadius = 0;
        FitSpherePlain(points.data(), count, plainCenter, plainRadius);
        FitSphereVector(points.data(), count, packedCenter, packedRadius);
        EXPECT_EQ(plainCenter, packedCenter) << count;
        EXPECT_EQ(plainRadius, packedRadius) << count;
    }
}

TEST(SphereBoundingVolume, RayHitsGiveBothCrossingsAndMissesGiveFalse)
{
    Ptr<SphereBoundingVolume> sphere = Sphere(Vector3(0, 0, 10), 2);
    float t0 = 0, t1 = 0;
    ASSERT_TRUE(sphere->IntersectsRay(Ray{Vector3(), Vector3(0, 0, 1)}, t0, t1));
    EXPECT_FLOAT_EQ(t0, 12.0f);
    EXPECT_FLOAT_EQ(t1, 8.0f);
    EXPECT_FALSE(sphere->IntersectsRay(Ray{Vector3(3, 0, 0), Vector3(0, 0, 1)}, t0, t1));

    EXPECT_TRUE(sphere->IntersectsVolume(Sphere(Vector3(0, 0, 5), 3).Get())); // touching
    EXPECT_FALSE(sphere->IntersectsVolume(Sphere(Vector3(0, 0, 5), 2.9f).Get()));
    EXPECT_FALSE(sphere->IntersectsVolume(nullptr));
}

TEST(SphereBoundingVolume, MissingArgumentsAreRefusedAndLeaveTheSphereAlone)
{
    LogCapture capture;
    Ptr<SphereBoundingVolume> sphere = Sphere(Vector3(1, 2, 3), 4);
    EXPECT_EQ(sphere->CopyFrom(nullptr), 3);
    EXPECT_EQ(sphere->Merge(nullptr), 3);
    EXPECT_EQ(sphere->TransformTo(nullptr, Transform()), 3);
    EXPECT_EQ(sphere->ComputeFromPoints(nullptr), 3);
    Ptr<Vector3Buffer> empty = new Vector3Buffer();
    EXPECT_EQ(sphere->ComputeFromPoints(empty.Get()), 3);
    EXPECT_EQ(sphere->GetCenter(), Vector3(1, 2, 3));
    EXPECT_EQ(sphere->GetRadius(), 4.0f);
    EXPECT_TRUE(capture.Contains("Указатель на объём равен 0 при слиянии."));
    EXPECT_TRUE(capture.Contains("Нет вершин в буффере при генерации объёма."));
}
