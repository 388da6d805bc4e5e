#pragma once
#include <cstdint>

#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"
#include "engine/scene/AnimationKey.h"

// A node's pose at one track position: what a NodeAnimationController
// blends into its node's local transform.
class NodeAnimationKey : public AnimationKey
{
public:
    NodeAnimationKey() = default;
    NodeAnimationKey(double time, const Vector3& translation, const Quaternion& rotation, const Vector3& scale)
        : AnimationKey(time), translation(translation), rotation(rotation), scale(scale)
    {
    }

    // time, translation, rotation, scale
    static constexpr uint32_t kRecordSize = AnimationKey::kRecordSize + 12 + 16 + 12;

    // streaming: the plain key, then translation, rotation, scale; values
    // that are not finite fail the load
    int32_t Save(Stream& stream) const override;
    int32_t Load(Stream& stream) override;

    Vector3 translation;
    Quaternion rotation;
    Vector3 scale{1.0f, 1.0f, 1.0f};
};
