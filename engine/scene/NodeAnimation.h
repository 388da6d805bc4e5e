#pragma once
#include <cstdint>
#include <memory>

#include "engine/scene/Animation.h"
#include "engine/scene/NodeAnimationKey.h"

// Poses of a node along the track: a NodeAnimationController blends them
// into its node's local transform.
// Holds node keys only; its record is the animation's.
class NodeAnimation : public Animation
{
    QRE_DECLARE_CLASS

public:
    explicit NodeAnimation(const String& name = String()) : Animation(name) {}

    // Appends a copy of key; results as Animation::AddKey.
    int32_t AddKey(const NodeAnimationKey& key);
    using Animation::AddKey;

    // index < GetKeyCount(): every key here is of this kind.
    const NodeAnimationKey& GetNodeKey(uint32_t index) const
    {
        return static_cast<const NodeAnimationKey&>(GetKey(index));
    }

protected:
    std::unique_ptr<AnimationKey> CreateKey() const override;
    uint32_t GetKeyRecordSize() const override { return NodeAnimationKey::kRecordSize; }
};
