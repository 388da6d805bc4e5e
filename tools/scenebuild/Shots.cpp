#include "tools/scenebuild/Shots.h"

#include <cmath>
#include <string>
#include <string_view>

#include "engine/core/Transform.h"
#include "engine/scene/Animation.h"
#include "engine/scene/BoolAnimation.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CameraActivateAnimationController.h"
#include "engine/scene/CameraCulledController.h"
#include "engine/scene/Light.h"
#include "engine/scene/LookAt.h"
#include "engine/scene/NodeAnimation.h"
#include "engine/scene/NodeAnimationController.h"
#include "engine/scene/PathAnimation.h"
#include "engine/scene/PathAnimationController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/ScreensaverController.h"
#include "engine/scene/SkeletonAnimationController.h"
#include "engine/scene/TargetCameraController.h"
#include "engine/scene/TargetLightController.h"
#include "engine/scene/Triangles.h"
#include "tools/scenebuild/Meshes.h"

namespace
{

// A name made of a node's name and a suffix.
String Named(const Node& node, const char* suffix)
{
    std::string name(node.GetName().View());
    name += suffix;
    return String(std::string_view(name));
}

// The object of that name in the scene when it is of the type, else null.
template <typename T>
T* Find(SceneNode& root, const char* name)
{
    Object* found = root.FindByName(String(name));
    return found && found->IsDerived(T::TYPE) ? static_cast<T*>(found) : nullptr;
}

constexpr float kPi = 3.14159265f;

// The rotation that looks from `from` towards `at`.
Quaternion Facing(const Vector3& from, const Vector3& at)
{
    Transform aim;
    AimTransform(aim, at - from);
    return aim.GetRotation();
}

// A key that stands at `at` and looks towards `lookAt`.
NodeAnimationKey Looking(double time, const Vector3& at, const Vector3& lookAt)
{
    return NodeAnimationKey(time, at, Facing(at, lookAt), Vector3(1, 1, 1));
}

// A controller of the given kind playing animation over the whole track,
// looping, one pass every period seconds, attached to node.
template <typename Track>
Track* Play(Node& node, Animation* animation, double period, const char* name)
{
    Ptr<Track> track = new Track(String(name));
    track->SetPeriod(period);
    track->AddAnimation(animation);
    track->AddFrame(animation, 0.0, 1.0);
    node.SetController(track.Get());
    return track.Get();
}

// A closed, level Bezier loop through the points, smooth at each: the
// controls lie along the line through the neighbours. Keys are spread
// evenly over the track.
Ptr<PathAnimation> Loop(const char* name, const Vector3* points, int count)
{
    Ptr<PathAnimation> path = new PathAnimation(String(name));
    for (int i = 0; i < count; ++i)
    {
        const Vector3& previous = points[(i + count - 1) % count];
        const Vector3& next = points[(i + 1) % count];
        const Vector3 tangent = (next - previous) * (1.0f / 6.0f);
        path->AddKey(PathAnimationKey(static_cast<double>(i) / count, points[i], points[i] - tangent,
                                      points[i] + tangent));
    }
    return path;
}

// The camera every shot starts from: the lens of the show.
Ptr<Camera> MakeCamera(const char* name)
{
    Ptr<Camera> camera = new Camera(String(name));
    camera->SetFarDistance(500.0f);
    return camera;
}

// Switches the camera's shot with the camera: motion (and the target's
// motion) run while it is current. Attached last, so it runs first and the
// motion stays the camera's last animation controller, the one the director
// reads the shot's length from.
CameraActivateAnimationController* Activate(Camera& camera, AnimationController* motion,
                                            AnimationController* targetMotion)
{
    Ptr<CameraActivateAnimationController> activation =
        new CameraActivateAnimationController(Named(camera, "Activation"));
    activation->SetPeriod(motion->GetPeriod());
    activation->SetCameraControllers(motion, targetMotion);
    camera.SetController(activation.Get());
    return activation.Get();
}

// Set 1: a full circle round the middle at a gently changing height,
// always looking at the boxes.
Camera* OrbitShot(SceneNode& root, Node& spinningBox)
{
    Ptr<Camera> camera = MakeCamera("Camera");
    Ptr<NodeAnimation> orbit = new NodeAnimation(String("CameraOrbit"));
    const int keys = 24;
    for (int i = 0; i < keys; ++i)
    {
        const float angle = 2.0f * kPi * static_cast<float>(i) / keys;
        const Vector3 at(15.0f * std::sin(angle), 4.5f + 1.5f * std::sin(2.0f * angle), -15.0f * std::cos(angle));
        orbit->AddKey(Looking(static_cast<double>(i) / keys, at, Vector3(0, 1, 2)));
    }
    camera->GetLocalTransform() = Transform(Vector3(0, 4.5f, -15), Facing(Vector3(0, 4.5f, -15), Vector3(0, 1, 2)),
                                            Vector3(1, 1, 1));
    root.AttachChild(camera.Get());
    AnimationController* motion = Play<NodeAnimationController>(*camera, orbit.Get(), 16.0, "CameraMotion");

    // Box1 turns a full circle through the middle half of the orbit: its
    // spin is switched by bool keys and rests at its first key otherwise.
    Ptr<NodeAnimation> spin = new NodeAnimation(String("Box1Spin"));
    const Transform& rest = spinningBox.GetLocalTransform();
    for (int i = 0; i < 4; ++i)
        spin->AddKey(NodeAnimationKey(i / 4.0, rest.GetTranslation(),
                                      Quaternion::FromAxisAngle(Vector3(0, 1, 0), kPi * 0.5f * i) *
                                          rest.GetRotation(),
                                      Vector3(1, 1, 1)));
    NodeAnimationController* spinning = Play<NodeAnimationController>(spinningBox, spin.Get(), 8.0, "Box1Spinner");
    spinning->SetActive(false);

    CameraActivateAnimationController* activation = Activate(*camera, motion, nullptr);
    Ptr<BoolAnimation> spinWhen = new BoolAnimation(String("Box1SpinWhen"));
    spinWhen->AddKey(BoolAnimationKey(0.0, false));
    spinWhen->AddKey(BoolAnimationKey(0.25, true));
    spinWhen->AddKey(BoolAnimationKey(0.75, false));
    activation->AddAnimation(spinWhen.Get());
    activation->AddFrame(spinWhen.Get(), 0.0, 1.0);
    activation->AddSwitchedController(spinning);
    return camera.Get();
}

// Set 2: a low dolly along a gentle S across the front of the meadow,
// left to right in one pass. The path's turn of the lens mirrors the
// curve's: where the path bends one way the view pans the other, so the
// glide sweeps its gaze across the boxes. The wrap back to the first key
// takes the last thousandth of the track, less than a frame.
Camera* GlideShot(SceneNode& root)
{
    Ptr<Camera> camera = MakeCamera("GlideCamera");
    Ptr<PathAnimation> glide = new PathAnimation(String("GlidePath"));
    const Vector3 start(-12, 1.6f, -9), middle(0, 1.3f, -7), end(12, 1.7f, -9);
    glide->AddKey(PathAnimationKey(0.0, start, start - Vector3(1, 0, 0), Vector3(-8, 1.6f, -9.6f)));
    glide->AddKey(PathAnimationKey(0.5, middle, Vector3(-4, 1.3f, -7), Vector3(4, 1.3f, -7)));
    glide->AddKey(PathAnimationKey(0.999, end, Vector3(8, 1.7f, -9.6f), end + Vector3(1, 0, 0)));
    camera->GetLocalTransform().SetTranslation(start);
    root.AttachChild(camera.Get());
    PathAnimationController* motion = Play<PathAnimationController>(*camera, glide.Get(), 14.0, "GlideMotion");
    // Travelling along +X the lens looks along +Z, at the boxes.
    motion->SetRotationAxis(Vector3(1, 0, 0));
    Activate(*camera, motion, nullptr);
    return camera.Get();
}

// Set 3: "Bee", a small tinted block, flies a figure of eight over the
// boxes; the camera dollies slowly along the meadow's edge and keeps it in
// view. The bee's 15 s loop is shorter than the dolly's 20 s, so the shot
// lasts 15 s.
Camera* FollowShot(SceneNode& root, Node& bee)
{
    const Vector3 eight[] = {{0, 2.2f, 2}, {4, 2.8f, 6}, {7, 2.0f, 2}, {4, 1.4f, -2},
                             {0, 2.2f, 2}, {-4, 2.8f, 6}, {-7, 2.0f, 2}, {-4, 1.4f, -2}};
    // The loop's level pieces: the figure crosses itself, so its heights
    // vary and the keys make one closed curve of eight points.
    Ptr<PathAnimation> flight = Loop("BeeFlight", eight, 8);
    bee.GetLocalTransform().SetTranslation(eight[0]);
    root.AttachChild(&bee);
    PathAnimationController* flying = Play<PathAnimationController>(bee, flight.Get(), 15.0, "BeeMotion");
    flying->SetRotationAxis(Vector3(0, 0, 1));

    Ptr<Camera> camera = MakeCamera("FollowCamera");
    Ptr<NodeAnimation> dolly = new NodeAnimation(String("FollowDolly"));
    dolly->AddKey(NodeAnimationKey(0.0, Vector3(-9, 3.2f, -7), Quaternion(), Vector3(1, 1, 1)));
    dolly->AddKey(NodeAnimationKey(0.5, Vector3(-1, 2.4f, -9), Quaternion(), Vector3(1, 1, 1)));
    camera->GetLocalTransform().SetTranslation(Vector3(-9, 3.2f, -7));
    root.AttachChild(camera.Get());
    // Looking is the last thing each frame, after the dolly has moved.
    Ptr<TargetCameraController> look = new TargetCameraController(String("FollowLook"));
    look->SetTargetNode(&bee);
    camera->SetController(look.Get());
    AnimationController* motion = Play<NodeAnimationController>(*camera, dolly.Get(), 20.0, "FollowMotion");
    Activate(*camera, motion, flying);
    return camera.Get();
}

// Set 4: from behind the tall Box2, looking through it across the meadow:
// the box is hidden while this camera shows the scene.
Camera* BoxShot(SceneNode& root, Node& box)
{
    Ptr<Camera> camera = MakeCamera("BoxCamera");
    const Vector3 lookAt(1, 1, -2);
    Ptr<NodeAnimation> drift = new NodeAnimation(String("BoxDrift"));
    drift->AddKey(Looking(0.0, Vector3(-2.5f, 2.4f, 9.5f), lookAt));
    drift->AddKey(Looking(0.5, Vector3(0.5f, 1.8f, 10.5f), lookAt));
    camera->GetLocalTransform() = Transform(Vector3(-2.5f, 2.4f, 9.5f), Facing(Vector3(-2.5f, 2.4f, 9.5f), lookAt),
                                            Vector3(1, 1, 1));
    root.AttachChild(camera.Get());
    Ptr<CameraCulledController> culled = new CameraCulledController(String("BoxCulling"));
    culled->AddNode(&box);
    camera->SetController(culled.Get());
    AnimationController* motion = Play<NodeAnimationController>(*camera, drift.Get(), 10.0, "BoxMotion");
    Activate(*camera, motion, nullptr);
    return camera.Get();
}

// The tube sways under two cycles, a side-to-side bend and a
// forward-and-back one, cross-fading where their stretches of the track
// overlap; both start and end at the rest pose, so the loop is seamless.
void SwayTube(Node& skeleton, Node& bone0, Node& bone1)
{
    Ptr<SkeletonAnimationController> sway = new SkeletonAnimationController(String("TubeSway"));
    sway->SetPeriod(6.0);
    const struct
    {
        Node* bone;
        float bend; // radians at the cycle's peak
    } bones[] = {{&bone0, 0.25f}, {&bone1, 0.45f}};
    for (const auto& bone : bones)
    {
        const Transform rest = bone.bone->GetLocalTransform();
        Ptr<NodeAnimationController> track =
            new NodeAnimationController(Named(*bone.bone, "Sway"));
        track->SetPeriod(6.0);
        const Vector3 axes[2] = {Vector3(0, 0, 1), Vector3(1, 0, 0)};
        const char* names[2] = {"SideToSide", "ForwardAndBack"};
        for (int cycle = 0; cycle < 2; ++cycle)
        {
            Ptr<NodeAnimation> keys = new NodeAnimation(Named(*bone.bone, names[cycle]));
            const float shape[] = {0.0f, 1.0f, 0.0f, -1.0f};
            for (int i = 0; i < 4; ++i)
                keys->AddKey(NodeAnimationKey(i / 4.0, rest.GetTranslation(),
                                              Quaternion::FromAxisAngle(axes[cycle], bone.bend * shape[i]) *
                                                  rest.GetRotation(),
                                              Vector3(1, 1, 1)));
            track->AddAnimation(keys.Get());
            track->AddFrame(keys.Get(), cycle == 0 ? 0.0 : 0.4, cycle == 0 ? 0.6 : 1.0);
        }
        bone.bone->SetController(track.Get());
        sway->AddBoneController(track.Get());
    }
    skeleton.SetController(sway.Get());
}

// Set 5: riding just above the tip of the swaying tube and looking down
// at a mark that wanders from box to box, so the view pans across the
// meadow while the tube's bend rocks it. The look-at sets the camera's
// world rotation itself, so the bend moves the lens but does not tilt it.
Camera* TubeShot(SceneNode& root, SceneNode& tip)
{
    Ptr<SceneNode> gaze = new SceneNode(String("TubeGaze"));
    Ptr<NodeAnimation> wander = new NodeAnimation(String("TubeGazeWander"));
    const Vector3 marks[] = {{-4, 1, 2}, {-1, 1.5f, 6}, {3, 0.5f, -2}, {0, 0.5f, -4}};
    for (int i = 0; i < 4; ++i)
        wander->AddKey(NodeAnimationKey(i / 4.0, marks[i], Quaternion(), Vector3(1, 1, 1)));
    gaze->GetLocalTransform().SetTranslation(marks[0]);
    root.AttachChild(gaze.Get());
    AnimationController* wandering = Play<NodeAnimationController>(*gaze, wander.Get(), 12.0, "TubeGazeMotion");

    Ptr<Camera> camera = MakeCamera("TubeCamera");
    Ptr<NodeAnimation> seat = new NodeAnimation(String("TubeSeat"));
    seat->AddKey(NodeAnimationKey(0.0, Vector3(0, 0.4f, 0), Quaternion(), Vector3(1, 1, 1)));
    seat->AddKey(NodeAnimationKey(0.5, Vector3(0, 0.9f, 0), Quaternion(), Vector3(1, 1, 1)));
    camera->GetLocalTransform().SetTranslation(Vector3(0, 0.4f, 0));
    tip.AttachChild(camera.Get());
    Ptr<TargetCameraController> look = new TargetCameraController(String("TubeLook"));
    look->SetTargetNode(gaze.Get());
    camera->SetController(look.Get());
    AnimationController* motion = Play<NodeAnimationController>(*camera, seat.Get(), 12.0, "TubeMotion");
    Activate(*camera, motion, wandering);
    return camera.Get();
}

// The sun keeps its direction but takes it from a look-at at a mark far
// along it, so the light can be re-aimed by moving the mark.
void AimSun(SceneNode& root, Light& sun)
{
    const Matrix4 turn = sun.GetLocalTransform().GetRotation().ToMatrix3();
    const Vector3 along(turn.m[0][2], turn.m[1][2], turn.m[2][2]);
    Ptr<SceneNode> mark = new SceneNode(String("SunMark"));
    mark->GetLocalTransform().SetTranslation(sun.GetLocalTransform().GetTranslation() + along * 20.0f);
    root.AttachChild(mark.Get());
    Ptr<TargetLightController> aim = new TargetLightController(String("SunAim"));
    aim->SetTargetNode(mark.Get());
    sun.SetController(aim.Get());
}

} // namespace

void AddShots(SceneNode& root)
{
    Triangles* box1 = Find<Triangles>(root, "Box1");
    Node* box2 = Find<Node>(root, "Box2");
    Node* skeleton = Find<Node>(root, "Skeleton");
    Node* bone0 = Find<Node>(root, "Bone0");
    Node* bone1 = Find<Node>(root, "Bone1");
    SceneNode* tip = Find<SceneNode>(root, "BoneEnd");
    Light* sun = Find<Light>(root, "Sun");
    if (!box1 || !box2 || !skeleton || !bone0 || !bone1 || !tip || !sun)
        return;

    Ptr<Triangles> bee = MakeBox("Bee", Vector3(0.4f, 0.3f, 0.55f), 1.0f);
    bee->SetEffect(box1->GetEffect());

    SwayTube(*skeleton, *bone0, *bone1);
    AimSun(root, *sun);
    Camera* cameras[] = {OrbitShot(root, *box1), GlideShot(root), FollowShot(root, *bee), BoxShot(root, *box2),
                         TubeShot(root, *tip)};

    Ptr<ScreensaverController> director = new ScreensaverController(String("Director"));
    for (Camera* camera : cameras)
        director->AddSet(camera, 0.0, 10.0);
    root.SetController(director.Get());
}
