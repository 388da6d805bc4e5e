#pragma once
#include <cstdint>

#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"
#include "engine/scene/AnimationController.h"

// Flies its node along cubic paths: the node's local translation is
// blended towards the point on the curve between each stage's two keys,
// and its rotation towards the one that turns rotationAxis onto the
// curve's direction there, so a camera or a bird faces where it goes.
// Stages whose animation holds no path keys are passed over; the scale is
// left alone.
class PathAnimationController : public AnimationController
{
    QRE_DECLARE_CLASS

public:
    explicit PathAnimationController(const String& name = String()) : AnimationController(name) {}

    // The track's update, then, while active and driving a node, the blend
    // into its local translation and rotation and a request for its world
    // transform. Where the curve stands still, or the axis is zero, the
    // rotation is kept.
    int32_t Update(double time) override;

    // The node's own axis that is turned along the path (its length does
    // not matter).
    const Vector3& GetRotationAxis() const { return rotationAxis; }
    void SetRotationAxis(const Vector3& axis) { rotationAxis = axis; }

    // The unit quaternion that turns the unit vector from onto the unit
    // vector to by the shortest way; half a turn about an axis across from
    // when the two are opposite. Never a zero quaternion.
    static Quaternion TurnOnto(const Vector3& from, const Vector3& to);

    // streaming: the track's record, then rotationAxis; an axis that is not
    // finite fails the load
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Vector3 rotationAxis{1.0f, 0.0f, 0.0f};
};
