// Look-at controllers and the show's director: aiming, the random order of
// camera sets, their durations, the cut, and their records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "engine/scene/AnimationController.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ScreensaverController.h"
#include "engine/scene/TargetCameraController.h"
#include "engine/scene/TargetLightController.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A new animation track of that period attached to object.
AnimationController* AttachTrack(Object& object, double period)
{
    Ptr<AnimationController> track = new AnimationController();
    track->SetPeriod(period);
    object.SetController(track.Get());
    return track.Get();
}

// A look-at controller on camera following a new node attached to parent.
Node* AttachSubject(SceneNode& parent, Camera& camera)
{
    Ptr<SceneNode> subject = new SceneNode(String("subject"));
    parent.AttachChild(subject.Get());
    Ptr<TargetCameraController> look = new TargetCameraController();
    look->SetTargetNode(subject.Get());
    camera.SetController(look.Get());
    return subject.Get();
}

} // namespace

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

TEST_F(SceneTest, SetsComeInRandomOrderButNeverWithinTheLastHalf)
{
    for (uint32_t n : {1u, 3u, 6u})
    {
        SCOPED_TRACE(n);
        const uint32_t window = n / 2 > 1 ? n / 2 : 1;
        auto choose = [&](unsigned seed) {
            Ptr<ScreensaverController> director = new ScreensaverController();
            for (uint32_t i = 0; i < n; ++i)
                director->AddSet(nullptr, 0, 1);
            std::srand(seed);
            std::vector<uint32_t> chosen;
            for (int i = 0; i < 1000; ++i)
            {
                director->ChooseNextSet();
                chosen.push_back(director->GetCurrentSet());
            }
            return chosen;
        };
        const std::vector<uint32_t> chosen = choose(7);
        EXPECT_EQ(choose(7), chosen) << "a fixed seed repeats the order";
        std::vector<int> seen(n, 0);
        bool repeated = false;
        for (size_t i = 0; i < chosen.size(); ++i)
        {
            ASSERT_LT(chosen[i], n);
            ++seen[chosen[i]];
            repeated = repeated || (i > 0 && chosen[i] == chosen[i - 1]);
            for (size_t back = 1; window > 1 && back <= window && back <= i; ++back)
                ASSERT_NE(chosen[i], chosen[i - back]) << i;
        }
        EXPECT_EQ(repeated, n <= 3) << "up to three sets may come twice in a row";
        for (uint32_t i = 0; i < n; ++i)
            EXPECT_GT(seen[i], 1000 / static_cast<int>(n) / 2) << i;
    }
}

TEST_F(SceneTest, ASetLastsItsShorterTrackAndShowsItsCamera)
{
    // Tracks in attaching order; the camera's is the last in its list
    // (the first attached), a subject's the first (the last attached), and
    // of several followed subjects the camera's last look-at wins.
    const struct
    {
        std::vector<double> cameraTracks;
        std::vector<std::vector<double>> subjects;
        double stored, expected;
    } rows[] = {
        {{20}, {{15}}, 3, 15},
        {{20}, {{25}}, 3, 20},
        {{}, {}, 3, 3},
        {{kNaN}, {{-1}}, 3, 3},
        {{0}, {{15}}, 30, 15},
        {{7, 9}, {}, 30, 7},
        {{}, {{6, 5}}, 30, 5},
        {{}, {{4}, {6}}, 30, 4},
        {{}, {}, kNaN, 1},
        {{}, {}, -2, 1},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(testing::Message() << row.stored << " -> " << row.expected);
        Ptr<SceneNode> root = new SceneNode();
        Ptr<Camera> camera = new Camera(String("shot"));
        root->AttachChild(camera.Get());
        for (double period : row.cameraTracks)
            AttachTrack(*camera, period);
        for (const std::vector<double>& periods : row.subjects)
        {
            Node* subject = AttachSubject(*root, *camera);
            for (double period : periods)
                AttachTrack(*subject, period);
        }
        Ptr<ScreensaverController> director = new ScreensaverController();
        ASSERT_EQ(director->AddSet(camera.Get(), 0.5, row.stored), 0);
        Recorder().SetCamera(nullptr);
        LogCapture capture;
        director->Reset();
        EXPECT_EQ(director->GetSet(0)->duration, row.expected);
        EXPECT_EQ(Recorder().GetCamera(), camera.Get());
        char line[128];
        std::snprintf(line, sizeof line, "Выбран сет [0]: камера [shot], начало [0.500], длительность [%.3f].",
                      row.expected);
        EXPECT_EQ(capture.Count(line), 1u);
    }

    // Pinned to another camera, the director still chooses but switches none.
    Ptr<ScreensaverController> director = new ScreensaverController();
    Ptr<Camera> shot = new Camera();
    director->AddSet(shot.Get(), 0, 1);
    director->SetSwitchingCameras(false);
    Recorder().SetCamera(nullptr);
    director->Reset();
    EXPECT_EQ(director->GetCurrentSet(), 0u);
    EXPECT_EQ(Recorder().GetCamera(), nullptr);
}

TEST_F(SceneTest, ACutCarriesTheRemainderIntoTheNewSetsTracks)
{
    // One set, so the cut comes back to it: the camera's 3 s track and the
    // subject's 2 s track give it 2 s.
    Ptr<SceneNode> root = new SceneNode();
    Ptr<Camera> camera = new Camera();
    root->AttachChild(camera.Get());
    AnimationController* cameraTrack = AttachTrack(*camera, 3.0);
    AnimationController* subjectTrack = AttachTrack(*AttachSubject(*root, *camera), 2.0);
    Ptr<ScreensaverController> director = new ScreensaverController();
    director->AddSet(camera.Get(), 0.25, 1.0);
    root->SetController(director.Get());
    director->Reset();
    EXPECT_FALSE(ScreensaverController().GetFadeTimes().current) << "no sets, no fade";

    for (int frame = 0; frame < 2; ++frame)
        root->UpdateTree(0.75);
    root->UpdateTree(kNaN);
    EXPECT_DOUBLE_EQ(director->GetElapsed(), 1.5);
    root->UpdateTree(0.75);
    const ScreensaverController::FadeTimes times = director->GetFadeTimes();
    EXPECT_TRUE(times.current);
    EXPECT_DOUBLE_EQ(times.elapsed, 0.25);
    EXPECT_EQ(times.fadeStart, 0.25);
    EXPECT_EQ(times.duration, 2.0);
    EXPECT_DOUBLE_EQ(cameraTrack->GetPhase(), 0.25 / 3.0);
    EXPECT_DOUBLE_EQ(subjectTrack->GetPhase(), 0.25 / 2.0);
}

TEST_F(SceneTest, DirectorAndLookAtRecordsComeBackAsTheyWent)
{
    Ptr<SceneNode> root = new SceneNode(String("root"));
    Ptr<Camera> camera = new Camera(String("shot"));
    Ptr<Light> light = new Light(String("lamp"));
    root->AttachChild(camera.Get());
    root->AttachChild(light.Get());
    AttachSubject(*root, *camera)->GetLocalTransform().SetTranslation(Vector3(1, 2, 3));
    Ptr<TargetLightController> lookLight = new TargetLightController();
    lookLight->SetTargetNode(root.Get());
    lookLight->SetActive(false);
    light->SetController(lookLight.Get());
    Ptr<ScreensaverController> director = new ScreensaverController(String("director"));
    director->AddSet(camera.Get(), 0.5, 12.0);
    director->AddSet(nullptr, 1.5, 7.0);
    root->SetController(director.Get());

    const Bytes saved = CanonicalLinks(Serialize(root.Get()));
    ASSERT_FALSE(saved.empty());
    Ptr<Object> loaded = Deserialize(Serialize(root.Get()));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), saved);
    // Loading chose a set.
    auto* copy = static_cast<ScreensaverController*>(loaded->GetController(0));
    ASSERT_TRUE(copy->IsExactly(ScreensaverController::TYPE));
    EXPECT_LT(copy->GetCurrentSet(), 2u);
}

TEST_F(SceneTest, DirectorRecordsThatLieAreRefusedOrMadeSafe)
{
    // A set count beyond the bytes left, or below 0, fails before anything
    // is made; stored times that are not usable become usable ones; no
    // sets warns once and leaves the camera alone.
    auto record = [](int32_t count, std::vector<double> times) {
        Stream stream(0, 256);
        stream.WriteInt32(1);
        stream.WriteString(String("QRE.ScreensaverController"));
        stream.WriteString(String("director"));
        stream.WriteInt32(0);
        stream.WriteBool(true);
        stream.WriteInt32(count);
        for (size_t i = 0; i + 1 < times.size(); i += 2)
        {
            stream.WriteInt32(-1);
            stream.WriteDouble(times[i]);
            stream.WriteDouble(times[i + 1]);
        }
        return WrittenBytes(stream);
    };
    LogCapture capture;
    for (int32_t count : {2, 0x10000000, -1})
    {
        EXPECT_FALSE(Deserialize(record(count, {0, 1}))) << count;
        EXPECT_EQ(capture.Count("Невозможно загрузить количество сетов."), 1u) << count;
        capture.Clear();
    }

    Ptr<Camera> kept = new Camera();
    Recorder().SetCamera(kept.Get());
    Ptr<Object> unsafe = Deserialize(record(1, {kNaN, kNaN}));
    ASSERT_TRUE(unsafe);
    EXPECT_EQ(Recorder().GetCamera(), kept.Get()) << "a set without a camera keeps the current one";
    const ScreensaverController::FadeTimes times = static_cast<ScreensaverController*>(unsafe.Get())->GetFadeTimes();
    EXPECT_TRUE(times.current);
    EXPECT_EQ(times.fadeStart, 0.0);
    EXPECT_EQ(times.duration, 1.0);

    Recorder().SetCamera(nullptr);
    capture.Clear();
    Ptr<Object> empty = Deserialize(record(0, {}));
    ASSERT_TRUE(empty);
    size_t warnings = 0;
    for (const LogCapture::Line& line : capture.Lines())
        warnings += line.level == kLogWarning ? 1 : 0;
    EXPECT_EQ(warnings, 1u);
    EXPECT_FALSE(static_cast<ScreensaverController*>(empty.Get())->GetFadeTimes().current);
    EXPECT_EQ(Recorder().GetCamera(), nullptr);
}
