// The per-frame cost of animation: 200 nodes on node tracks and a 40-bone
// skeleton, updated with the tree, side by side with the same tree without
// controllers; and the controllers alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/scene/NodeAnimation.h"
#include "engine/scene/NodeAnimationController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SkeletonAnimationController.h"

namespace
{

constexpr int kAnimatedNodes = 200;
constexpr int kBones = 40;
constexpr int kKeys = 16;

// A track of kKeys poses that walks, turns and breathes; seed varies it.
Ptr<NodeAnimation> MakeAnimation(int seed)
{
    Ptr<NodeAnimation> animation = new NodeAnimation(String("walk"));
    for (int k = 0; k < kKeys; ++k)
    {
        const float angle = 0.3f * static_cast<float>(k + seed);
        animation->AddKey(NodeAnimationKey(static_cast<double>(k) / kKeys,
                                           Vector3(std::sin(angle), static_cast<float>(k), std::cos(angle)),
                                           Quaternion::FromAxisAngle(Vector3(0, 1, 0), angle),
                                           Vector3(1, 1 + 0.1f * std::sin(angle), 1)));
    }
    return animation;
}

// Two overlapping stretches, so every other frame blends two stages.
void AddTrack(AnimationController* controller, Animation* first, Animation* second, double period)
{
    controller->SetPeriod(period);
    controller->AddAnimation(first);
    controller->AddAnimation(second);
    controller->AddFrame(first, 0, 0.6);
    controller->AddFrame(second, 0.4, 1, TrackFrame::kPingPong, 2);
}

struct Scene
{
    Ptr<SceneNode> root = new SceneNode(String("root"), kAnimatedNodes + 1, 1);
    std::vector<Controller*> controllers; // the ones the tree runs, in tree order

    explicit Scene(bool animated)
    {
        Ptr<NodeAnimation> walk = MakeAnimation(0), run = MakeAnimation(5);
        for (int i = 0; i < kAnimatedNodes; ++i)
        {
            SceneNode* node = new SceneNode(String("animated"));
            node->GetLocalTransform().SetTranslation(Vector3(static_cast<float>(i), 0, 0));
            root->AttachChild(node);
            if (!animated)
                continue;
            Ptr<NodeAnimationController> controller = new NodeAnimationController();
            AddTrack(controller.Get(), walk.Get(), run.Get(), 2.0 + 0.01 * i);
            controller->SetPhase(0.003 * i);
            node->SetController(controller.Get());
            controllers.push_back(controller.Get());
        }
        // A chain of bones under one skeleton.
        SceneNode* body = new SceneNode(String("body"));
        root->AttachChild(body);
        Ptr<SkeletonAnimationController> skeleton = new SkeletonAnimationController();
        AddTrack(skeleton.Get(), walk.Get(), run.Get(), 3.0);
        SceneNode* parent = body;
        for (int b = 0; b < kBones; ++b)
        {
            SceneNode* bone = new SceneNode(String("bone"));
            bone->GetLocalTransform().SetTranslation(Vector3(0, 1, 0));
            parent->AttachChild(bone);
            parent = bone;
            if (!animated)
                continue;
            Ptr<NodeAnimationController> controller = new NodeAnimationController();
            AddTrack(controller.Get(), walk.Get(), run.Get(), 3.0);
            bone->SetController(controller.Get());
            skeleton->AddBoneController(controller.Get());
        }
        if (animated)
        {
            body->SetController(skeleton.Get());
            controllers.push_back(skeleton.Get());
        }
    }
};

// The whole frame: controllers, transforms, bounds.
void UpdateTree(benchmark::State& state, bool animated)
{
    Scene scene(animated);
    for (auto _ : state)
    {
        scene.root->UpdateTree(1.0 / 60.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (kAnimatedNodes + kBones));
}
BENCHMARK_CAPTURE(UpdateTree, Animated200NodesAnd40Bones, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(UpdateTree, SameTreeWithoutControllers, false)->Unit(benchmark::kMicrosecond);

// The controllers alone, as the tree runs them (the skeleton runs its bones).
void AnimationUpdateOnly(benchmark::State& state)
{
    Scene scene(true);
    for (auto _ : state)
    {
        for (Controller* controller : scene.controllers)
            controller->Update(1.0 / 60.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (kAnimatedNodes + kBones));
}
BENCHMARK(AnimationUpdateOnly)->Unit(benchmark::kMicrosecond);

} // namespace
