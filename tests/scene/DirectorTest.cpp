// Look-at controllers and the show's director: aiming, the order of camera
// sets, their durations, the cut, and their records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

#include "engine/scene/AnimationController.h"
#include "engine/scene/BoolAnimation.h"
#include "engine/scene/CameraActivateAnimationController.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/NodeAnimationController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ScreensaverController.h"
#include "engine/scene/TargetCameraController.h"
#include "engine/scene/TargetLightController.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A concrete track (the base class is abstract by name in a file).
AnimationController* AttachTrack(Object& object, double period)
{
    Ptr<AnimationController> track = new NodeAnimationController();
    track->SetPeriod(period);
    object.SetController(track.Get());
    return track.Get();
}

// A new node under parent, followed by a new look-at controller of camera.
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
    // At (0, 0, -5) in a turned rig at (10, 0, 0); the subject updates first.
    Ptr<SceneNode> world = new SceneNode(), rig = new SceneNode();
    Ptr<Camera> camera = new Camera();
    Ptr<Light> light = new Light();
    Node* subject = AttachSubject(*world, *camera);
    rig->GetLocalTransform().SetTranslation(Vector3(10, 0, 0));
    rig->GetLocalTransform().SetRotation(Quaternion::FromAxisAngle(Vector3(0, 1, 0), 1.5707964f));
    world->AttachChild(rig.Get());
    rig->AttachChild(camera.Get());
    rig->AttachChild(light.Get());
    camera->GetLocalTransform().SetTranslation(Vector3(0, 0, -5));
    light->GetLocalTransform().SetTranslation(Vector3(0, 0, -5));
    Ptr<TargetLightController> lookLight = new TargetLightController();
    lookLight->SetTargetNode(subject);
    light->SetController(lookLight.Get());
    Ptr<TargetCameraController> misplaced = new TargetCameraController(); // on no camera: idle
    misplaced->SetTargetNode(subject);
    rig->SetController(misplaced.Get());
    world->UpdateTree(0.0);
    const Vector3 eye = rig->GetWorldTransform().ApplyToPoint(Vector3(0, 0, -5));

    const Quaternion start = Quaternion::FromAxisAngle(Vector3(1, 0, 0), 0.3f);
    const Matrix4 m = start.ToMatrix3();
    const struct
    {
        Vector3 offset, right, up, forward;
    } rows[] = {
        {{0, 5, 0}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, // straight up
        {{0, -3, 0}, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
        {{4, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
        {{0, 0, 0}, {m.m[0][0], m.m[1][0], m.m[2][0]}, {m.m[0][1], m.m[1][1], m.m[2][1]}, // no way to
         {m.m[0][2], m.m[1][2], m.m[2][2]}},                                              // look: kept
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.offset.y);
        subject->GetLocalTransform().SetTranslation(eye + row.offset);
        camera->GetLocalTransform().SetRotation(start);
        light->GetLocalTransform().SetRotation(start);
        world->UpdateTree(0.0);
        ExpectNear(camera->GetPosition(), eye);
        ExpectNear(camera->GetRight(), row.right);
        ExpectNear(camera->GetUp(), row.up);
        ExpectNear(camera->GetForward(), row.forward);
        ExpectNear(light->GetDirection(), row.forward);
    }
    // Its own ancestor, held weakly; then a subject that is gone is none.
    static_cast<TargetCameraController*>(camera->GetController(0))->SetTargetNode(rig.Get());
    world->UpdateTree(0.0);
    ExpectNear(camera->GetForward(), (Vector3(10, 0, 0) - eye).Normalized());
    const Vector3 lit = light->GetDirection();
    world->DetachChild(subject);
    world->UpdateTree(0.0);
    EXPECT_EQ(lookLight->GetTargetNode(), nullptr);
    ExpectNear(light->GetDirection(), lit);
}

TEST_F(SceneTest, SetsComeInRandomOrderButNeverWithinTheLastHalf)
{
    for (uint32_t n : {1u, 3u, 4u, 6u})
    {
        auto choose = [n](unsigned seed) {
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
            for (size_t back = 1; n > 3 && back <= n / 2 && back <= i; ++back)
                ASSERT_NE(chosen[i], chosen[i - back]) << n << " at " << i;
        }
        EXPECT_EQ(repeated, n <= 3) << n;
        for (uint32_t i = 0; i < n; ++i)
            EXPECT_GT(seen[i], 500 / static_cast<int>(n)) << n;
    }
}

TEST_F(SceneTest, ASetLastsItsShorterTrackAndShowsItsCamera)
{
    // Tracks in attaching order. The camera's is the last of its list (the
    // first attached), a subject's the first; of several followed subjects
    // the camera's last look-at wins. Unusable periods and durations drop.
    const struct
    {
        std::vector<double> cameraTracks;
        std::vector<std::vector<double>> subjects;
        double stored, expected;
    } rows[] = {
        {{20}, {{15}}, 3, 15}, {{20}, {{25}}, 3, 20},  {{kNaN}, {{-1}}, 3, 3}, {{0}, {{15}}, 30, 15},
        {{7, 9}, {}, 30, 7},   {{}, {{6, 5}}, 30, 5},  {{}, {{4}, {6}}, 30, 4}, {{}, {}, kNaN, 1},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.expected);
        Ptr<SceneNode> root = new SceneNode();
        Ptr<Camera> camera = new Camera(String("shot"));
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
        EXPECT_EQ(Recorder().GetCamera(), camera.Get());
        char line[128];
        std::snprintf(line, sizeof line, "Выбран сет [0]: камера [shot], начало [0.500], длительность [%.3f].",
                      row.expected);
        EXPECT_EQ(capture.Count(line), 1u);
    }
    // Pinned to another camera, the director chooses but switches none.
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
    // One set, so the cut comes back to it; 3 s and 2 s tracks make it 2 s.
    Ptr<SceneNode> root = new SceneNode();
    Ptr<Camera> camera = new Camera();
    root->AttachChild(camera.Get());
    AnimationController* cameraTrack = AttachTrack(*camera, 3.0);
    AnimationController* subjectTrack = AttachTrack(*AttachSubject(*root, *camera), 2.0);
    Ptr<ScreensaverController> director = new ScreensaverController();
    director->AddSet(camera.Get(), 0.25, 1.0);
    root->SetController(director.Get());
    director->Reset();
    for (double step : {1.0, 1.0})
        root->UpdateTree(step);
    EXPECT_EQ(director->GetElapsed(), 0.0) << "a set ends when its time is up";
    for (double step : {0.75, 0.75, kNaN})
        root->UpdateTree(step);
    EXPECT_DOUBLE_EQ(director->GetElapsed(), 1.5);
    root->UpdateTree(0.75);
    const ScreensaverController::FadeTimes times = director->GetFadeTimes();
    EXPECT_TRUE(times.current && times.fadeStart == 0.25 && times.duration == 2.0);
    EXPECT_DOUBLE_EQ(times.elapsed, 0.25);
    EXPECT_DOUBLE_EQ(cameraTrack->GetPhase(), 0.25 / 3.0);
    EXPECT_DOUBLE_EQ(subjectTrack->GetPhase(), 0.25 / 2.0);
}

TEST_F(SceneTest, ActivationRunsAShotWhileItsCameraIsCurrentAndParksItAfter)
{
    // The motion is attached first, so the activation runs before it.
    Ptr<SceneNode> root = new SceneNode();
    Ptr<Camera> camera = new Camera();
    root->AttachChild(camera.Get());
    AnimationController* motion = AttachTrack(*camera, 4.0);
    Ptr<CameraActivateAnimationController> activation = new CameraActivateAnimationController();
    Ptr<BoolAnimation> lamp = new BoolAnimation();
    lamp->AddKey(BoolAnimationKey(0.0, true));
    lamp->AddKey(BoolAnimationKey(0.5, false));
    activation->AddAnimation(lamp.Get());
    activation->AddFrame(lamp.Get(), 0, 1);
    activation->SetPeriod(1.0);
    Ptr<AnimationController> switchedTrack = new AnimationController();
    switchedTrack->SetPeriod(1.0);
    Ptr<Controller> switchedPlain = new Controller();
    ASSERT_EQ(activation->SetCameraControllers(motion, nullptr), 0);
    ASSERT_EQ(activation->AddSwitchedController(switchedTrack.Get()), 0);
    ASSERT_EQ(activation->AddSwitchedController(switchedPlain.Get()), 0);
    EXPECT_EQ(activation->AddSwitchedController(activation.Get()), 3);
    camera->SetController(activation.Get());

    // The switches read the motion's phase before it moves: on at 0 and
    // 0.25, off from 0.5 (bool key at index0, no blending).
    Recorder().SetCamera(camera.Get());
    const struct
    {
        double step, motionPhase;
        bool on;
    } frames[] = {{1.0, 0.25, true}, {1.0, 0.5, true}, {1.0, 0.75, false}};
    for (const auto& frame : frames)
    {
        root->UpdateTree(frame.step);
        EXPECT_TRUE(motion->IsActive());
        EXPECT_DOUBLE_EQ(motion->GetPhase(), frame.motionPhase);
        EXPECT_EQ(switchedTrack->IsActive(), frame.on) << frame.motionPhase;
        EXPECT_EQ(switchedPlain->IsActive(), frame.on) << frame.motionPhase;
    }

    // Another camera takes over: the motion stops at the start of its track
    // and the switched track rests at its start, switched off.
    switchedTrack->SetActive(true);
    switchedTrack->SetPhase(0.7);
    Ptr<Camera> other = new Camera();
    Recorder().SetCamera(other.Get());
    root->UpdateTree(1.0);
    EXPECT_FALSE(motion->IsActive());
    EXPECT_EQ(motion->GetPhase(), 0.0);
    EXPECT_EQ(switchedTrack->GetPhase(), 0.0);
    EXPECT_FALSE(switchedTrack->IsActive());
    EXPECT_FALSE(switchedPlain->IsActive());
    // Parked once: the next frame without the camera leaves them alone.
    switchedTrack->SetPhase(0.3);
    root->UpdateTree(1.0);
    EXPECT_EQ(switchedTrack->GetPhase(), 0.3);
}

TEST_F(SceneTest, DirectorAndLookAtRecordsComeBackAsTheyWentAndLiesAreRefused)
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
    Ptr<CameraActivateAnimationController> activation = new CameraActivateAnimationController();
    // The set's stored length is its camera track's: choosing the set at
    // load takes the track's.
    activation->SetCameraControllers(AttachTrack(*camera, 12.0), AttachTrack(*light, 3.0));
    activation->AddSwitchedController(lookLight.Get());
    camera->SetController(activation.Get());
    Ptr<ScreensaverController> director = new ScreensaverController();
    director->AddSet(camera.Get(), 0.5, 12.0);
    director->AddSet(nullptr, 1.5, 7.0);
    root->SetController(director.Get());
    const Bytes saved = CanonicalLinks(Serialize(root.Get()));
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(CanonicalLinks(Serialize(Deserialize(Serialize(root.Get())).Get())), saved);

    // Counts beyond the bytes or below 0 fail; unusable times become usable;
    // a set without a camera keeps the current one; no sets warn once.
    auto record = [](int32_t count, double fadeStart, double duration) {
        Stream stream(0, 256);
        stream.WriteInt32(1);
        stream.WriteString(String("QRE.ScreensaverController"));
        stream.WriteString(String());
        stream.WriteInt32(0);
        stream.WriteBool(true);
        stream.WriteInt32(count);
        for (int32_t i = 0; i < count && i < 2; ++i)
        {
            stream.WriteInt32(-1);
            stream.WriteDouble(fadeStart);
            stream.WriteDouble(duration);
        }
        return WrittenBytes(stream);
    };
    LogCapture capture;
    for (int32_t count : {0x10000000, -1})
        EXPECT_FALSE(Deserialize(record(count, 0, 1))) << count;
    EXPECT_EQ(capture.Count("Невозможно загрузить количество сетов."), 2u);
    Recorder().SetCamera(camera.Get());
    Ptr<Object> unsafe = Deserialize(record(1, kNaN, -2.0));
    ASSERT_TRUE(unsafe);
    const ScreensaverController::FadeTimes times = static_cast<ScreensaverController*>(unsafe.Get())->GetFadeTimes();
    EXPECT_TRUE(times.current && times.fadeStart == 0.0 && times.duration == 1.0);
    EXPECT_EQ(Recorder().GetCamera(), camera.Get());
    capture.Clear();
    Ptr<Object> empty = Deserialize(record(0, 0, 0));
    ASSERT_TRUE(empty);
    EXPECT_FALSE(static_cast<ScreensaverController*>(empty.Get())->GetFadeTimes().current);
    size_t warnings = 0;
    for (const LogCapture::Line& line : capture.Lines())
        warnings += line.level == kLogWarning ? 1 : 0;
    EXPECT_EQ(warnings, 1u);
}
