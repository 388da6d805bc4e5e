#include "engine/scene/SceneNode.h"

#include <gtest/gtest.h>

#include "engine/scene/Camera.h"
#include "engine/scene/Points.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Vector3Buffer.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

const SphereBoundingVolume& SphereOf(const Node& node)
{
    return *static_cast<const SphereBoundingVolume*>(node.GetWorldBound());
}

// A leaf with a unit sphere around its origin.
Ptr<Points> Dot(const char* name, const Vector3& at)
{
    Ptr<Points> dot = new Points(String(name));
    dot->SetVertices(new Vector3Buffer(2, new Vector3[2]{{-1, 0, 0}, {1, 0, 0}}));
    dot->UpdateModelBound();
    dot->GetLocalTransform().SetTranslation(at);
    return dot;
}

} // namespace

TEST(SceneNode, ParentsSettleBeforeChildrenAndBoundsRiseFromThem)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<SceneNode> arm = new SceneNode(String("arm"));
    Ptr<Points> a = Dot("a", Vector3(0, 0, 0));
    Ptr<Points> b = Dot("b", Vector3(10, 0, 0));
    ASSERT_EQ(root->AttachChild(arm.Get()), 0);
    ASSERT_EQ(arm->AttachChild(a.Get()), 0);
    ASSERT_EQ(arm->AttachChild(b.Get()), 0);
    root->GetLocalTransform().SetTranslation(Vector3(0, 5, 0));
    arm->GetLocalTransform().SetScale(Vector3(2, 2, 2));

    root->UpdateTree(0.0);
    EXPECT_EQ(b->GetWorldTransform().ApplyToPoint(Vector3()), Vector3(20, 5, 0));
    EXPECT_EQ(SphereOf(*b).GetRadius(), 2.0f);
    // The arm's bound is the merge of its children's; the root's a copy.
    EXPECT_FLOAT_EQ(SphereOf(*arm).GetRadius(), 12.0f);
    EXPECT_EQ(SphereOf(*root).GetCenter(), SphereOf(*arm).GetCenter());

    // Moving one leaf and updating only it still rebuilds every ancestor.
    b->GetLocalTransform().SetTranslation(Vector3(20, 0, 0));
    b->UpdateTree(0.0);
    EXPECT_FLOAT_EQ(SphereOf(*root).GetRadius(), 22.0f);
}

TEST(SceneNode, ClearedFlagsKeepWhatWasWrittenWhileTheParentMoves)
{
    Ptr<SceneNode> root = new SceneNode();
    Ptr<SceneNode> frozen = new SceneNode();
    Ptr<Points> owned = Dot("owned", Vector3());
    Ptr<Points> leaf = Dot("leaf", Vector3(3, 0, 0));
    root->AttachChild(frozen.Get());
    root->AttachChild(owned.Get());
    frozen->AttachChild(leaf.Get());
    root->UpdateTree(0.0);
    const Vector3 frozenCenter = SphereOf(*frozen).GetCenter();

    owned->SetUpdateWorldTransform(false);
    owned->SetWorldTransform(Transform(Vector3(100, 0, 0), Quaternion(), Vector3(1, 1, 1)));
    frozen->SetUpdateWorldBound(false);
    root->GetLocalTransform().SetTranslation(Vector3(0, 0, 50));
    root->UpdateTree(0.0);

    EXPECT_EQ(owned->GetWorldTransform().translation, Vector3(100, 0, 0));
    EXPECT_EQ(SphereOf(*frozen).GetCenter(), frozenCenter);
    EXPECT_EQ(SphereOf(*leaf).GetCenter(), Vector3(3, 0, 50)); // the leaf itself still moved
}

TEST(SceneNode, EmptySlotsAreSkippedByUpdateBoundsAndSearch)
{
    Ptr<SceneNode> root = new SceneNode();
    Ptr<Points> gone = Dot("gone", Vector3(-50, 0, 0));
    Ptr<Points> kept = Dot("kept", Vector3(4, 0, 0));
    root->AttachChild(gone.Get());
    root->AttachChild(kept.Get());
    ASSERT_EQ(root->DetachChild(gone.Get()), 0);
    EXPECT_EQ(root->GetChildCount(), 2u);
    EXPECT_EQ(root->GetChild(0), nullptr);
    EXPECT_EQ(gone->GetParent(), nullptr);

    root->UpdateTree(0.0);
    // The bound starts from the first child that is there.
    EXPECT_EQ(SphereOf(*root).GetCenter(), Vector3(4, 0, 0));
    EXPECT_EQ(root->FindByName(String("kept")), kept.Get());
    EXPECT_EQ(root->FindByName(String("gone")), nullptr);
}

TEST(SceneNode, ANodeHasOneParentAndNoCycles)
{
    LogCapture capture;
    Ptr<SceneNode> root = new SceneNode();
    Ptr<SceneNode> child = new SceneNode();
    Ptr<SceneNode> other = new SceneNode();
    ASSERT_EQ(root->AttachChild(child.Get()), 0);
    EXPECT_EQ(other->AttachChild(child.Get()), 3); // already has a parent
    EXPECT_EQ(child->AttachChild(root.Get()), 3);  // would hold its own holder
    EXPECT_EQ(root->AttachChild(root.Get()), 3);
    EXPECT_EQ(root->AttachChild(nullptr), 3);
    EXPECT_EQ(child->GetParent(), root.Get());
    EXPECT_EQ(root->GetChildCount(), 1u);

    // Nor deeper than the recursive passes can go: 1000 levels at most.
    SceneNode* tip = child.Get();
    for (int level = 3; level <= 1000; ++level)
    {
        SceneNode* next = new SceneNode();
        ASSERT_EQ(tip->AttachChild(next), 0) << level;
        tip = next;
    }
    Ptr<SceneNode> tooDeep = new SceneNode();
    EXPECT_EQ(tip->AttachChild(tooDeep.Get()), 3);

    // A parent that goes clears the pointers of the children it held.
    Ptr<Points> leaf = Dot("leaf", Vector3());
    child->AttachChild(leaf.Get());
    root = nullptr;
    child = nullptr;
    EXPECT_EQ(leaf->GetParent(), nullptr);
}

TEST_F(SceneTest, EffectsGoToTheHeadOfTheListAndComeBackReversedFromAFile)
{
    Ptr<SceneNode> node = new SceneNode(String("wrapped"));
    Ptr<StandInSceneEffect> a = new StandInSceneEffect(String("A"));
    Ptr<StandInSceneEffect> b = new StandInSceneEffect(String("B"));
    ASSERT_EQ(node->AddEffect(b.Get()), 0);
    ASSERT_EQ(node->AddEffect(a.Get()), 0);
    EXPECT_EQ(node->AddEffect(a.Get()), 0); // already listed: ignored
    ASSERT_EQ(node->GetEffectCount(), 2u);
    EXPECT_EQ(node->GetEffect(0), a.Get());
    EXPECT_EQ(a->GetOwner(), node.Get());

    Ptr<Object> loaded = RoundTrip(node.Get());
    ASSERT_TRUE(loaded && loaded->IsExactly(SceneNode::TYPE));
    auto* copy = static_cast<SceneNode*>(loaded.Get());
    ASSERT_EQ(copy->GetEffectCount(), 2u);
    EXPECT_EQ(copy->GetEffect(0)->GetName(), String("B"));
    EXPECT_EQ(copy->GetEffect(1)->GetName(), String("A"));
    EXPECT_EQ(copy->GetEffect(0)->GetOwner(), copy);


    // Every update reaches every effect.
    node->UpdateTree(0.5);
    EXPECT_EQ(b->updates, 1);
}
