#pragma once
#include <cstdint>
#include <memory>

#include "engine/scene/Animation.h"
#include "engine/scene/PathAnimationKey.h"

// A cubic path along the track: a PathAnimationController moves its node
// along it and turns the node with the curve.
// Holds path keys only; its record is the animation's.
class PathAnimation : public Animation
{
    QRE_DECLARE_CLASS

public:
    explicit PathAnimation(const String& name = String()) : Animation(name) {}

    // Appends a copy of key; results as Animation::AddKey.
    int32_t AddKey(const PathAnimationKey& key);
    using Animation::AddKey;

    // index < GetKeyCount(): every key here is of this kind.
    const PathAnimationKey& GetPathKey(uint32_t index) const
    {
        return static_cast<const PathAnimationKey&>(GetKey(index));
    }

protected:
    std::unique_ptr<AnimationKey> CreateKey() const override;
    uint32_t GetKeyRecordSize() const override { return PathAnimationKey::kRecordSize; }
};
