#include "engine/scene/SphereBoundingVolume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "engine/scene/Plane.h"
#include "engine/scene/PointBounds.h"
#include "engine/core/Transform.h"
#include "engine/scene/Vector3Buffer.h"
#include "support/LogCapture.h"

namespace
{

Ptr<SphereBoundingVolume> Sphere(const Vector3& center, float radius)
{
    return Ptr<SphereBoundingVolume>(new SphereBoundingVolume(center, radius));
}

} // namespace

// A sphere that holds the other stays as it was, exactly; one held by the
// other takes it over; separate ones give the sphere through both far sides.
TEST(SphereBoundingVolume, MergeKeepsAContainingSphereAndOtherwiseSpansBoth)
{
    struct Case
    {
        Vector3 center;
        float radius;
        Vector3 other;
        float otherRadius;
        Vector3 merged;
        float mergedRadius;
    };
    for (const Case& c : {Case{{0, 0, 0}, 10, {2, 0, 0}, 3, {0, 0, 0}, 10},
                          Case{{2, 0, 0}, 3, {1, 1, 0}, 10, {1, 1, 0}, 10},
                          Case{{5, 5, 5}, 2, {5, 5, 5}, 2, {5, 5, 5}, 2},
                          Case{{0, 0, 0}, 1, {10, 0, 0}, 2, {5.5f, 0, 0}, 6.5f}})
    {
        Ptr<SphereBoundingVolume> sphere = Sphere(c.center, c.radius);
        ASSERT_EQ(sphere->Merge(Sphere(c.other, c.otherRadius).Get()), 0);
        EXPECT_EQ(sphere->GetCenter(), c.merged) << c.radius;
        EXPECT_FLOAT_EQ(sphere->GetRadius(), c.mergedRadius) << c.radius;
    }
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
    EXPECT_EQ(sphere->WhichSide(floor), -1);
    sphere->SetCenter(Vector3(0, 0, 2));
    EXPECT_EQ(sphere->WhichSide(floor), 1);
    sphere->SetCenter(Vector3(0, 0, 1.999f));
    EXPECT_EQ(sphere->WhichSide(floor), 0);
}

// The center of the points' box and the farthest point from it; the
// packed fit gives the plain one's result exactly, whatever the count.
TEST(SphereBoundingVolume, PointsGiveTheBoxCenterAndTheFarthestPoint)
{
    Ptr<Vector3Buffer> buffer = new Vector3Buffer(3, new Vector3[3]{{0, 0, 0}, {4, 0, 0}, {0, 2, 0}});
    Ptr<SphereBoundingVolume> sphere = Sphere(Vector3(), 0);
    ASSERT_EQ(sphere->ComputeFromPoints(buffer.Get()), 0);
    EXPECT_EQ(sphere->GetCenter(), Vector3(2, 1, 0));
    EXPECT_FLOAT_EQ(sphere->GetRadius(), std::sqrt(5.0f));

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
