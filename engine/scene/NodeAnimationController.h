#pragma once
#include <cstdint>

#include "engine/scene/AnimationController.h"

// Moves, turns and scales its node: the node's local transform is blended
// towards each stage's interpolated pose by the stage's weight. Stages
// whose animation holds no node keys are passed over.
class NodeAnimationController : public AnimationController
{
    QRE_DECLARE_CLASS

public:
    explicit NodeAnimationController(const String& name = String()) : AnimationController(name) {}

    // The track's update, then, while active and driving a node, the blend
    // into its local transform and a request for its world transform. A
    // stage of weight 1 gives exactly the sampled pose.
    int32_t Update(double time) override;

    // streaming: the track's record; nothing of its own
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;
};
