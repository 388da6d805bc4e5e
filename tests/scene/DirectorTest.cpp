// Look-at controllers: aiming cameras and lights at a node.
#include <gtest/gtest.h>

#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TargetCameraController.h"
#include "engine/scene/TargetLightController.h"
#include "scene/SceneTestSupport.h"

TEST_F(SceneTest, LookAtAimsCamerasAndLightsAtTheirSubject)
{
    // Under a turned, moved rig, at (0, 0, -5) in it; the subject comes
    // first in the tree so its world place is current when they aim.
    Ptr<SceneNode> world = new SceneNode();
    Ptr<Node> subject = new Node();
    Ptr<SceneNode> rig = new SceneNode();
    Ptr<Camera> camera = new Camera();
    Ptr<Light> light = new Light();
    rig->GetLocalTransform().SetTranslation(Vector3(10, 0, 0));
    rig->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 1.5707964f));
    world->AttachChild(subject.Get());
    world->AttachChild(rig.Get());
    Ptr<TargetCameraController> lookCamera = new TargetCameraController();
    Ptr<TargetLightController> lookLight = new TargetLightController();
    for (Node* node : {static_cast<Node*>(camera.Get()), static_cast<Node*>(light.Get())})
    {
        node->GetLocalTransform().SetTranslation(Vector3(0, 0, -5));
        rig->AttachChild(node);
    }
    camera->SetController(lookCamera.Get());
    light->SetController(lookLight.Get());
    lookCamera->SetTargetNode(subject.Get());
    lookLight->SetTargetNode(subject.Get());
    world->UpdateTree(0.0);
    const Vector3 eye = rig->GetWorldTransform().ApplyToPoint(Vector3(0, 0, -5));

    const Quaternion start = Quaternion::FromAxisAngle(Vector3(1, 0, 0), 0.3f);
    const Matrix4 kept = start.ToMatrix3();
    const struct
    {
        Vector3 offset, right, up, forward;
    } rows[] = {
        {{0, 5, 0}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, // straight up
        {{0, -3, 0}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}}, // straight down
        {{4, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
        {{0, 0, 2}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        // the subject where the eye is: the rotation stays
        {{0, 0, 0}, {kept.m[0][0], kept.m[1][0], kept.m[2][0]}, {kept.m[0][1], kept.m[1][1], kept.m[2][1]},
         {kept.m[0][2], kept.m[1][2], kept.m[2][2]}},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.offset.x << " " << row.offset.y << " " << row.offset.z);
        subject->GetLocalTransform().SetTranslation(eye + row.offset);
        camera->GetLocalTransform().SetRotation(start);
        light->GetLocalTransform().SetRotation(start);
        world->UpdateTree(0.0);
        ExpectNear(camera->GetPosition(), eye);
        ExpectNear(camera->GetRight(), row.right);
        ExpectNear(camera->GetUp(), row.up);
        ExpectNear(camera->GetForward(), row.forward);
        ExpectNear(light->GetDirection(), row.forward);
        EXPECT_EQ(light->GetWorldTransform().GetRotation(), light->GetLocalTransform().GetRotation());
    }

    // Its own ancestor, held weakly: the rig at (10, 0, 0).
    lookCamera->SetTargetNode(rig.Get());
    world->UpdateTree(0.0);
    ExpectNear(camera->GetForward(), (Vector3(10, 0, 0) - eye).Normalized());
    // A subject that is gone counts as none.
    const Quaternion aimed = camera->GetLocalTransform().GetRotation();
    world->DetachChild(subject.Get());
    subject = nullptr;
    world->UpdateTree(0.0);
    EXPECT_EQ(lookLight->GetTargetNode(), nullptr);
    EXPECT_EQ(camera->GetLocalTransform().GetRotation(), aimed);
}

