#include "engine/scene/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/scene/CameraCulledController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "scene/SceneTestSupport.h"

TEST_F(SceneTest, ProjectionKeepsItsOneInRowThreeColumnThree)
{
    Ptr<Camera> camera = new Camera();
    camera->SetFieldOfView(3.14159265f / 2);
    camera->SetNearDistance(1.0f);
    camera->SetFarDistance(101.0f);
    camera->UpdateTree(0.0);
    const Matrix4& p = camera->GetProjection();
    EXPECT_FLOAT_EQ(p.m[1][1], 1.0f);         // 1 / tan(45 degrees)
    EXPECT_FLOAT_EQ(p.m[0][0], 0.75f);        // over the 800 x 600 viewport
    EXPECT_FLOAT_EQ(p.m[2][2], 1.01f);        // far / (far - near)
    EXPECT_FLOAT_EQ(p.m[3][2], -1.01f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_EQ(p.m[3][3], 1.0f);
    // The view-projection is view then projection.
    EXPECT_TRUE(camera->GetViewProjection() == camera->GetView() * p);
}

TEST_F(SceneTest, ViewFollowsTheWorldTransformOfEveryCameraCurrentOrNot)
{
    Ptr<SceneNode> rig = new SceneNode();
    Ptr<Camera> camera = new Camera();
    rig->AttachChild(camera.Get());
    rig->GetLocalTransform().SetTranslation(Vector3(0, 0, -10));
    rig->UpdateTree(0.0);
    ExpectNear(camera->GetView().TransformPoint(Vector3(0, 0, 0)), Vector3(0, 0, 10), 1e-4f);
    EXPECT_EQ(camera->GetForward(), Vector3(0, 0, 1));

    // A quarter turn about y: forward is column 2 of the rotation.
    camera->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 3.14159265f / 2));
    rig->UpdateTree(0.0);
    const Matrix4 turn = camera->GetWorldTransform().rotation.ToMatrix3();
    ExpectNear(camera->GetForward(), Vector3(turn.m[0][2], turn.m[1][2], turn.m[2][2]), 1e-4f);
    ExpectNear(camera->GetView().TransformPoint(camera->GetPosition() + camera->GetForward() * 3), Vector3(0, 0, 3),
               1e-4f);
    EXPECT_NE(Recorder().GetCamera(), camera.Get());
}

TEST_F(SceneTest, PlanesFaceIntoTheViewAndTouchingFromOutsideCulls)
{
    Ptr<Camera> camera = new Camera();
    camera->UpdateTree(0.0);
    // Ahead is inside every plane; behind is outside the near plane.
    for (uint32_t i = 0; i < Camera::kPlaneCount; ++i)
        EXPECT_GT(camera->GetPlane(i).Distance(Vector3(0, 0, 50)), 0.0f) << i;
    EXPECT_LT(camera->GetPlane(Camera::kNear).Distance(Vector3(0, 0, -5)), 0.0f);
    EXPECT_LT(camera->GetPlane(Camera::kLeft).Distance(Vector3(-500, 0, 50)), 0.0f);
    EXPECT_LT(camera->GetPlane(Camera::kTop).Distance(Vector3(0, 500, 50)), 0.0f);

    // A sphere behind the near plane touching it exactly is culled; a hair
    // bigger it straddles the plane and stays.
    const Vector3 center(0, 0, -3);
    const float touching = -camera->GetPlane(Camera::kNear).Distance(center);
    Ptr<SphereBoundingVolume> sphere = new SphereBoundingVolume(center, touching);
    camera->ResetCulling();
    EXPECT_TRUE(camera->IsCulled(*sphere));
    sphere->SetRadius(std::nextafter(touching, 1e9f));
    camera->ResetCulling();
    EXPECT_FALSE(camera->IsCulled(*sphere));
    EXPECT_EQ(camera->GetActivePlanes() & 32u, 32u); // straddling keeps the near plane
    EXPECT_EQ(camera->GetActivePlanes() & 16u, 0u);  // wholly inside the far plane

    // Wholly inside all six: no plane is left to test.
    sphere->SetCenter(Vector3(0, 0, 50));
    sphere->SetRadius(1);
    camera->ResetCulling();
    EXPECT_FALSE(camera->IsCulled(*sphere));
    EXPECT_EQ(camera->GetActivePlanes() & 63u, 0u);
}

TEST_F(SceneTest, PlaneMaskNarrowsForChildrenAndIsRestoredForSiblings)
{
    // Bounds written by hand, so a parent can claim to be inside the view
    // while its child lies outside: the child is then never tested.
    auto Frozen = [](Node* node, const Vector3& center, float radius) {
        node->SetUpdateWorldBound(false);
        auto* sphere = static_cast<SphereBoundingVolume*>(node->GetWorldBound());
        sphere->SetCenter(center);
        sphere->SetRadius(radius);
    };
    auto Leaf = [&](const char* name, const Vector3& at) {
        Ptr<Triangles> leaf = new Triangles(String(name));
        leaf->SetVertices(new Vector3Buffer(1, new Vector3[1]));
        leaf->SetEffect(new StandInGeometryEffect());
        Frozen(leaf.Get(), at, 1);
        return leaf;
    };
    Ptr<SceneNode> root = new SceneNode();
    Ptr<SceneNode> inside = new SceneNode();
    Ptr<SceneNode> straddling = new SceneNode();
    root->AttachChild(inside.Get());
    root->AttachChild(straddling.Get());
    inside->AttachChild(Leaf("trusted", Vector3(-500, 0, 50)).Get());
    straddling->AttachChild(Leaf("tested", Vector3(-500, 0, 50)).Get());
    straddling->AttachChild(Leaf("seen", Vector3(0, 0, 50)).Get());
    Frozen(root.Get(), Vector3(0, 0, 0), 1e6f);
    Frozen(inside.Get(), Vector3(0, 0, 50), 1);
    Frozen(straddling.Get(), Vector3(0, 0, 0), 1e6f);

    Ptr<Camera> camera = new Camera();
    Recorder().SetCamera(camera.Get());
    camera->UpdateTree(0.0);
    root->DrawCulled(Recorder());
    EXPECT_EQ(Recorder().drawn, (std::vector<std::string>{"trusted", "seen"}));
    EXPECT_EQ(camera->GetActivePlanes(), Camera::kAllPlanes);

    // A hidden node takes its subtree with it.
    inside->SetCulled(true);
    Recorder().drawn.clear();
    root->DrawCulled(Recorder());
    EXPECT_EQ(Recorder().drawn, (std::vector<std::string>{"seen"}));
}

TEST_F(SceneTest, CameraCulledControllerHidesItsNodesOnlyThroughItsOwnShots)
{
    Ptr<Camera> shot = new Camera();
    Ptr<Camera> other = new Camera();
    Ptr<SceneNode> blocker = new SceneNode();
    Ptr<CameraCulledController> hider = new CameraCulledController();
    hider->AddNode(blocker.Get());
    shot->SetController(hider.Get());

    Recorder().SetCamera(shot.Get());
    shot->UpdateTree(0.0);
    EXPECT_TRUE(blocker->IsCulled());

    Recorder().SetCamera(other.Get());
    hider->SetActive(false);
    shot->UpdateTree(0.0);
    EXPECT_TRUE(blocker->IsCulled()) << "an inactive controller leaves the flags alone";
    hider->SetActive(true);
    shot->UpdateTree(0.0);
    EXPECT_FALSE(blocker->IsCulled());

    // Going, it shows what it hid.
    Recorder().SetCamera(shot.Get());
    shot->UpdateTree(0.0);
    ASSERT_TRUE(blocker->IsCulled());
    shot->RemoveControllers();
    hider = nullptr;
    EXPECT_FALSE(blocker->IsCulled());
}
