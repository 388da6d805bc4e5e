#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

namespace
{
constexpr float kTolerance = 1e-5f;

void ExpectNear(const Vector3& expected, const Vector3& actual, float tolerance = kTolerance)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

void ExpectNear(const Matrix4& expected, const Matrix4& actual, float tolerance = kTolerance)
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_NEAR(expected.m[row][col], actual.m[row][col], tolerance) << "row " << row << " col " << col;
}

// q and -q are the same rotation.
void ExpectSameRotation(const Quaternion& expected, const Quaternion& actual)
{
    EXPECT_NEAR(1.0f, std::fabs(expected.Dot(actual)), kTolerance);
}

Quaternion Unit(float x, float y, float z, float w)
{
    Quaternion q(x, y, z, w);
    q.Normalize();
    return q;
}
}  // namespace

TEST(Vector, NormalizingTinyVectorsGivesZero)
{
    // Squared length 9e-8 is under the threshold; 1.6e-7 is over it.
    Vector3 tiny(3e-4f, 0.0f, 0.0f);
    EXPECT_EQ(0.0f, tiny.Normalize());
    EXPECT_EQ(Vector3(), tiny);
    ExpectNear({1.0f, 0.0f, 0.0f}, Vector3(4e-4f, 0.0f, 0.0f).Normalized());

    EXPECT_EQ(Vector2(), Vector2(1e-4f, -1e-4f).Normalized());
    EXPECT_EQ(Vector4(), Vector4(1e-4f, 1e-4f, 1e-4f, 1e-4f).Normalized());

    Vector3 v(3.0f, 0.0f, 4.0f);
    EXPECT_FLOAT_EQ(5.0f, v.Normalize());
    ExpectNear({0.6f, 0.0f, 0.8f}, v);
}

TEST(Vector, CrossFollowsAxisOrder)
{
    const Vector3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    EXPECT_EQ(z, Cross(x, y));
    EXPECT_EQ(x, Cross(y, z));
    EXPECT_EQ(-z, Cross(y, x));
    EXPECT_FLOAT_EQ(32.0f, Dot(Vector3(1, 2, 3), Vector3(4, 5, 6)));
    EXPECT_EQ(Vector3(4, 10, 18), MultiplyComponents(Vector3(1, 2, 3), Vector3(4, 5, 6)));
}

TEST(PackColour, TruncatesEachComponentIntoArgb)
{
    // 127.5 -> 127, 63.75 -> 63, 191.25 -> 191: truncation, not rounding.
    EXPECT_EQ(0xBFFF7F3Fu, PackColour(Vector4(1.0f, 0.5f, 0.25f, 0.75f)));
    // Out-of-range and NaN components saturate instead of spilling into a
    // neighbouring byte.
    EXPECT_EQ(0xFF00FF00u, PackColour(Vector4(-0.5f, 2.0f, NAN, 1.0f)));
}

TEST(Matrix4, TranslationSitsInRowThreeAndMovesOnlyPoints)
{
    const Matrix4 move = Matrix4::Translation({1, 2, 3});
    EXPECT_EQ(1.0f, move.m[3][0]);
    EXPECT_EQ(2.0f, move.m[3][1]);
    EXPECT_EQ(3.0f, move.m[3][2]);
    ExpectNear({2, 2, 3}, move.TransformPoint({1, 0, 0}));
    ExpectNear({1, 0, 0}, move.TransformVector({1, 0, 0}));
    EXPECT_EQ(Vector3(1, 2, 3), move.GetTranslation());
}

TEST(Matrix4, ProductAppliesLeftOperandFirst)
{
    const Matrix4 scale = Matrix4::Scale({2, 2, 2});
    const Matrix4 move = Matrix4::Translation({1, 0, 0});
    // Scale then move: (1,0,0) -> (2,0,0) -> (3,0,0).
    ExpectNear({3, 0, 0}, (scale * move).TransformPoint({1, 0, 0}));
    // Move then scale: (1,0,0) -> (2,0,0) -> (4,0,0).
    ExpectNear({4, 0, 0}, (move * scale).TransformPoint({1, 0, 0}));

    const Vector4 homogeneous = (scale * move).Transform({1, 0, 0, 1});
    EXPECT_NEAR(3.0f, homogeneous.x, kTolerance);
    EXPECT_NEAR(1.0f, homogeneous.w, kTolerance);
}

TEST(Matrix4, InverseUndoesGeneralMatrix)
{
    // Rotation, non-uniform scale, far translation and a projective column.
    Matrix4 a = Quaternion::FromAxisAngle(Vector3(1, 2, 3).Normalized(), 0.7f).ToMatrix3() *
                Matrix4::Scale({0.5f, 2.0f, 3.0f}) * Matrix4::Translation({100, -20, 5});
    a.m[0][3] = 0.1f;
    a.m[2][3] = 0.3f;

    Matrix4 inverse;
    ASSERT_TRUE(a.Inverse(inverse));
    ExpectNear(Matrix4(), a * inverse, 1e-4f);
    ExpectNear(Matrix4(), inverse * a, 1e-4f);

    // Small scale under a far translation is still a valid transform.
    const Matrix4 tiny = Matrix4::Scale({1e-4f, 1, 1}) * Matrix4::Translation({1000, 0, 0});
    ASSERT_TRUE(tiny.Inverse(inverse));
    EXPECT_FLOAT_EQ(1e4f, inverse.m[0][0]);
    EXPECT_FLOAT_EQ(-1e7f, inverse.m[3][0]);

    // The result may be the matrix itself.
    Matrix4 inPlace = a;
    ASSERT_TRUE(inPlace.Inverse(inPlace));
    ExpectNear(Matrix4(), a * inPlace, 1e-4f);
}

TEST(Matrix4, InverseRefusesSingularAndLeavesResultAlone)
{
    const Matrix4 marker = Matrix4::Translation({7, 7, 7});
    Matrix4 result = marker;

    EXPECT_FALSE(Matrix4::Scale({1, 0, 1}).Inverse(result));
    // Row 2 is three times row 0.
    EXPECT_FALSE(Matrix4(1, 2, 3, 0, 0, 1, 4, 0, 3, 6, 9, 0, 5, 6, 7, 1).Inverse(result));
    EXPECT_FALSE(Matrix4(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0).Inverse(result));
    EXPECT_FALSE(Matrix4::Scale({1, NAN, 1}).Inverse(result));
    EXPECT_EQ(marker, result);
}

TEST(Quaternion, HamiltonProductOrder)
{
    const Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0), k(0, 0, 1, 0);
    EXPECT_EQ(k, i * j);
    EXPECT_EQ(-k, j * i);
    EXPECT_EQ(i, j * k);
    EXPECT_EQ(Quaternion(0, 0, 0, -1), i * i);
}

TEST(Quaternion, MatrixHasTheRowsOfTheRowVectorConvention)
{
    const Quaternion q = Unit(0.1f, -0.2f, 0.3f, 0.9f);
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    const Matrix4 expected(1 - 2 * y * y - 2 * z * z, 2 * x * y - 2 * w * z, 2 * x * z + 2 * w * y, 0,
                           2 * x * y + 2 * w * z, 1 - 2 * x * x - 2 * z * z, 2 * y * z - 2 * w * x, 0,
                           2 * x * z - 2 * w * y, 2 * y * z + 2 * w * x, 1 - 2 * x * x - 2 * y * y, 0,
                           0, 0, 0, 1);
    ExpectNear(expected, q.ToMatrix3());

    // The direction that convention gives, pinned so nobody "fixes" it.
    const Quaternion quarterTurn = Quaternion::FromAxisAngle({0, 0, 1}, kPi / 2);
    ExpectNear({0, -1, 0}, quarterTurn.Rotate({1, 0, 0}));
}

TEST(Quaternion, ProductRotatesByLeftFactorFirst)
{
    const Quaternion a = Quaternion::FromAxisAngle({0, 0, 1}, kPi / 2);
    const Quaternion b = Quaternion::FromAxisAngle({1, 0, 0}, kPi / 2);
    const Vector3 v(1, 2, 3);
    ExpectNear(b.Rotate(a.Rotate(v)), (a * b).Rotate(v));
    ExpectNear(a.ToMatrix3() * b.ToMatrix3(), (a * b).ToMatrix3());
    ExpectNear((a * b).ToMatrix3().TransformPoint(v), (a * b).Rotate(v));
    ExpectNear(v, a.Conjugate().Rotate(a.Rotate(v)));
}

TEST(Quaternion, FromMatrixRecoversRotation)
{
    const Quaternion cases[] = {
        Unit(0.1f, -0.2f, 0.3f, 0.9f),
        Quaternion::FromAxisAngle({1, 0, 0}, kPi),  // trace -1: the x branch
        Quaternion::FromAxisAngle({0, 1, 0}, kPi),
        Quaternion::FromAxisAngle({0, 0, 1}, kPi),
        Quaternion::FromAxisAngle(Vector3(-1, 1, 0.5f).Normalized(), 2.5f),
    };
    for (const Quaternion& q : cases)
        ExpectSameRotation(q, Quaternion::FromMatrix3(q.ToMatrix3()));
}
