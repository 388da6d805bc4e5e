// The controllers that apply the track: node poses, paths and skeletons.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/scene/BoolAnimation.h"
#include "engine/scene/NodeAnimation.h"
#include "engine/scene/NodeAnimationController.h"
#include "engine/scene/PathAnimation.h"
#include "engine/scene/PathAnimationController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkeletonAnimationController.h"
#include "scene/SceneTestSupport.h"

namespace
{

using AnimatedNodeTest = SceneTest;

// A node driven by controller over the whole track; the period is 1 s, so a
// step of t seconds moves the phase by t.
template <typename Controller>
struct Driven
{
    explicit Driven(Animation* animation)
    {
        controller->SetPeriod(1);
        controller->AddAnimation(animation);
        controller->AddFrame(animation, 0, 1);
        node->SetController(controller.Get());
    }
    void At(double phase)
    {
        controller->SetPhase(phase);
        node->UpdateTree(0);
    }
    const Transform& Local() const { return node->GetLocalTransform(); }

    Ptr<SceneNode> node = new SceneNode(String("node"));
    Ptr<Controller> controller = new Controller(String("driver"));
};

void ExpectNear(const Quaternion& actual, const Quaternion& expected, const char* what)
{
    EXPECT_NEAR(std::fabs(actual.Dot(expected)), 1.0f, 1e-6f) << what;
    EXPECT_NEAR(actual.Length(), 1.0f, 1e-6f) << what;
}

} // namespace

TEST_F(AnimatedNodeTest, NodeKeysBlendIntoTheLocalTransformAndWeightOneIsTheSampledPose)
{
    const Quaternion turned = Quaternion::FromAxisAngle(Vector3(0, 1, 0), 1.0f);
    Ptr<NodeAnimation> walk = new NodeAnimation();
    walk->AddKey(NodeAnimationKey(0, Vector3(0, 0, 0), Quaternion(), Vector3(1, 1, 1)));
    walk->AddKey(NodeAnimationKey(0.5, Vector3(2, 4, 6), turned, Vector3(3, 1, 1)));
    Driven<NodeAnimationController> driven(walk.Get());
    const Vector3 start(10, 0, 0);
    const struct
    {
        double phase;
        float weight;
        Vector3 translation;
        Quaternion rotation;
        Vector3 scale;
    } cases[] = {
        {0.5, 1, Vector3(2, 4, 6), turned, Vector3(3, 1, 1)}, // on a key, exactly
        {0.25, 1, Vector3(1, 2, 3), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.5f), Vector3(2, 1, 1)},
        {0.75, 1, Vector3(1, 2, 3), Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.5f), Vector3(2, 1, 1)}, // wraps
        {0.5, 0.25f, start + (Vector3(2, 4, 6) - start) * 0.25f, Quaternion::FromAxisAngle(Vector3(0, 1, 0), 0.25f),
         Vector3(1.5f, 1, 1)},
        {0.5, 0, start, Quaternion(), Vector3(1, 1, 1)},
    };
    for (const auto& c : cases)
    {
        driven.node->SetLocalTransform(Transform());
        driven.node->GetLocalTransform().SetTranslation(start);
        driven.node->SetUpdateWorldTransform(false);
        driven.controller->SetStageWeight(0, c.weight);
        driven.At(c.phase);
        EXPECT_TRUE(driven.node->GetUpdateWorldTransform());
        EXPECT_FALSE(driven.Local().IsIdentity() || driven.Local().IsRotationFree());
        if (c.weight == 1 && c.phase == 0.5)
        {
            EXPECT_EQ(driven.Local().translation, c.translation);
            EXPECT_EQ(driven.Local().rotation, c.rotation);
            EXPECT_EQ(driven.Local().scale, c.scale);
        }
        ExpectNear(driven.Local().translation, c.translation);
        ExpectNear(driven.Local().rotation, c.rotation, "rotation");
        ExpectNear(driven.Local().scale, c.scale);
        EXPECT_EQ(driven.node->GetWorldTransform().translation, driven.Local().translation) << c.phase;
    }

    // Bool keys under a node controller are never read as poses; an
    // inactive controller leaves the node alone.
    Ptr<BoolAnimation> flags = new BoolAnimation();
    flags->AddKey(0.0);
    Driven<NodeAnimationController> wrong(flags.Get());
    wrong.node->GetLocalTransform().SetTranslation(start);
    wrong.At(0.5);
    EXPECT_EQ(wrong.Local().translation, start);
    EXPECT_EQ(wrong.Local().scale, Vector3(1, 1, 1));
    driven.controller->SetActive(false);
    driven.node->GetLocalTransform().SetTranslation(start);
    driven.At(0.25);
    EXPECT_EQ(driven.Local().translation, start);
}

TEST_F(AnimatedNodeTest, APathNodeTurnsItsAxisAlongTheTangentAndNeverByAZeroQuaternion)
{
    // One span, from the origin leaving along +x, arriving at (2, 2, 0)
    // from below.
    const Vector3 p0(0, 0, 0), p1(1, 0, 0), p2(2, 1, 0), p3(2, 2, 0);
    Ptr<PathAnimation> path = new PathAnimation();
    path->AddKey(PathAnimationKey(0, p0, Vector3(), p1));
    path->AddKey(PathAnimationKey(0.5, p3, p2, Vector3()));
    Driven<PathAnimationController> driven(path.Get());
    const Vector3 axes[] = {Vector3(0, 0, 1), Vector3(0, 2, 0), Vector3(-1, 0, 0), Vector3(1, 0, 0)};
    for (const Vector3& axis : axes)
    {
        driven.controller->SetRotationAxis(axis);
        for (double phase : {0.0, 0.1, 0.25, 0.4})
        {
            // de Casteljau: the last two points span the tangent.
            const float f = static_cast<float>(phase / 0.5);
            auto lerp = [f](const Vector3& a, const Vector3& b) { return a + (b - a) * f; };
            const Vector3 a = lerp(p0, p1), b = lerp(p1, p2), c = lerp(p2, p3);
            const Vector3 d = lerp(a, b), e = lerp(b, c);
            driven.At(phase);
            ExpectNear(driven.Local().translation, lerp(d, e));
            ExpectNear(driven.Local().rotation.Rotate(axis.Normalized()), (e - d).Normalized());
            EXPECT_NEAR(driven.Local().rotation.Length(), 1.0f, 1e-6f);
        }
    }

    // Where the curve stands still, or the axis is zero, the rotation stays.
    const Quaternion kept = Quaternion::FromAxisAngle(Vector3(0, 0, 1), 0.3f);
    Ptr<PathAnimation> still = new PathAnimation();
    still->AddKey(PathAnimationKey(0, p3, p3, p3));
    Driven<PathAnimationController> resting(still.Get());
    resting.node->GetLocalTransform().SetRotation(kept);
    resting.At(0.25);
    EXPECT_EQ(resting.Local().rotation, kept);
    EXPECT_EQ(resting.Local().translation, p3);
    driven.controller->SetRotationAxis(Vector3());
    driven.node->GetLocalTransform().SetRotation(kept);
    driven.At(0.25);
    EXPECT_EQ(driven.Local().rotation, kept);
}

TEST_F(AnimatedNodeTest, BoneControllersStayInactiveAndRunOnlyThroughTheirSkeleton)
{
    Ptr<NodeAnimation> lift = new NodeAnimation();
    lift->AddKey(NodeAnimationKey(0, Vector3(0, 0, 0), Quaternion(), Vector3(1, 1, 1)));
    lift->AddKey(NodeAnimationKey(0.5, Vector3(0, 8, 0), Quaternion(), Vector3(1, 1, 1)));
    Driven<NodeAnimationController> arm(lift.Get()), leg(lift.Get());
    Ptr<SkeletonAnimationController> skeleton = new SkeletonAnimationController(String("body"));
    skeleton->SetPeriod(1);
    ASSERT_EQ(skeleton->AddBoneController(arm.controller.Get()), 0);
    ASSERT_EQ(skeleton->AddBoneController(leg.controller.Get()), 0);
    EXPECT_FALSE(arm.controller->IsActive());

    arm.node->UpdateTree(0.25); // the bone's own node passes it over
    EXPECT_EQ(arm.controller->GetPhase(), 0.0);
    skeleton->SetPhase(0.125);
    skeleton->Update(0.125);
    for (auto* bone : {&arm, &leg})
    {
        EXPECT_FALSE(bone->controller->IsActive());
        EXPECT_EQ(bone->controller->GetPhase(), 0.25);
        EXPECT_EQ(bone->Local().translation, Vector3(0, 4, 0));
    }
    skeleton->SetStageWeight(0, 0.5f);
    EXPECT_EQ(leg.controller->GetStage(0).weight, 0.5f);
    skeleton->SetActive(false);
    skeleton->Update(0.125);
    EXPECT_EQ(leg.controller->GetPhase(), 0.25);

    // Reset: the skeleton starts over, the bones' stages empty, their
    // phases stay.
    skeleton->Reset();
    EXPECT_EQ(skeleton->GetPhase(), 0.0);
    EXPECT_EQ(leg.controller->GetStage(0).animation.Get(), nullptr);
    EXPECT_EQ(leg.controller->GetPhase(), 0.25);

    // A skeleton never runs itself, directly or through another.
    Ptr<SkeletonAnimationController> outer = new SkeletonAnimationController();
    EXPECT_EQ(skeleton->AddBoneController(skeleton.Get()), 3);
    ASSERT_EQ(outer->AddBoneController(skeleton.Get()), 0);
    EXPECT_EQ(skeleton->AddBoneController(outer.Get()), 3);
    EXPECT_EQ(skeleton->AddBoneController(nullptr), 3);
    EXPECT_EQ(skeleton->GetBoneControllerCount(), 2u);
}
