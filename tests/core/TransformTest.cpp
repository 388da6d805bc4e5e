#include "engine/core/Transform.h"

#include <gtest/gtest.h>

#include "scene/SceneTestSupport.h"

constexpr float kHalfTurn = 3.14159265f;

TEST(Transform, ProductAppliesTheLocalTransformFirstThenTheParent)
{
    const Transform local(Vector3(1, 2, 3), Quaternion::FromAxisAngle(Vector3(0, 0, 1), kHalfTurn / 2),
                          Vector3(2, 2, 2));
    const Transform parent(Vector3(-4, 0, 5), Quaternion::FromAxisAngle(Vector3(1, 0, 0), kHalfTurn / 3),
                           Vector3(3, 3, 3));
    const Transform world = Transform::Product(local, parent);
    for (const Vector3& p : {Vector3(1, 0, 0), Vector3(0.5f, -2, 7)})
        ExpectNear(world.ApplyToPoint(p), parent.ApplyToPoint(local.ApplyToPoint(p)));
    EXPECT_FALSE(world.IsIdentity());
    EXPECT_FALSE(world.IsRotationFree());

    // The matrix says the same as the transform, row vectors and all, and
    // keeps its last column (0, 0, 0, 1).
    for (const Vector3& p : {Vector3(1, 0, 0), Vector3(0.5f, -2, 7)})
        ExpectNear(world.ToMatrix().TransformPoint(p), world.ApplyToPoint(p));
    EXPECT_EQ(world.ToMatrix().m[0][3], 0.0f);
    EXPECT_EQ(world.ToMatrix().m[3][3], 1.0f);
    // The pinned direction of positive turns about +z.
    ExpectNear(local.ApplyToVector(Vector3(1, 0, 0)), Vector3(0, -2, 0));
}

TEST(Transform, FlagsShortCutTheProductAndTheMatrix)
{
    const Transform parent(Vector3(1, 2, 3), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.5f), Vector3(2, 1, 1));

    // An identity local gives the parent itself; an identity parent the local.
    Transform copy = Transform::Product(Transform(), parent);
    EXPECT_EQ(copy.translation, parent.translation);
    EXPECT_EQ(copy.rotation, parent.rotation);
    EXPECT_FALSE(copy.IsIdentity());
    EXPECT_TRUE(Transform::Product(Transform(), Transform()).IsIdentity());

    // While a flag is set the fields are ignored: a rotation-free transform
    // does not turn, an identity one does nothing at all.
    Transform moved;
    moved.SetTranslation(Vector3(0, 0, 9));
    EXPECT_TRUE(moved.IsRotationFree());
    moved.rotation = Quaternion::FromAxisAngle(Vector3(0, 0, 1), 1.0f); // written past the setters
    ExpectNear(moved.ApplyToPoint(Vector3(1, 0, 0)), Vector3(1, 0, 9));
    EXPECT_EQ(moved.ToMatrix().m[0][0], 1.0f);

    // A rotation-free local takes the parent's rotation as it is.
    EXPECT_EQ(Transform::Product(moved, parent).rotation, parent.rotation);
    moved.SetRotation(Quaternion::FromAxisAngle(Vector3(0, 0, 1), 1.0f));
    EXPECT_FALSE(moved.IsRotationFree());
    EXPECT_EQ(Transform::Product(moved, parent).rotation, moved.rotation * parent.rotation);
}

TEST(Transform, ReadFromAStreamItIsNeverTheIdentityEvenWithIdentityValues)
{
    Stream out(0, 64);
    out.WriteTransform(Transform());
    Transform scaled;
    scaled.SetScale(Vector3(2, 2, 2));
    out.WriteTransform(scaled);

    ByteStream in(WrittenBytes(out));
    Transform read;
    ASSERT_EQ(in.ReadTransform(read), 0);
    EXPECT_FALSE(read.IsIdentity());
    EXPECT_FALSE(read.IsRotationFree());
    // Still the identity in effect, through the full arithmetic.
    ExpectNear(read.ApplyToPoint(Vector3(1, 2, 3)), Vector3(1, 2, 3));
    EXPECT_TRUE(read.ToMatrix().IsIdentity());
    const Transform parent(Vector3(1, 0, 0), Quaternion(), Vector3(1, 1, 1));
    ExpectNear(Transform::Product(read, parent).ApplyToPoint(Vector3()), Vector3(1, 0, 0));

    ASSERT_EQ(in.ReadTransform(read), 0);
    EXPECT_EQ(read.scale, Vector3(2, 2, 2));
}
