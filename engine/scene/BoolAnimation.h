#pragma once
#include <cstdint>
#include <memory>

#include "engine/scene/Animation.h"
#include "engine/scene/BoolAnimationKey.h"

// On/off switches along the track: camera switching turns controllers on
// and off at the stored positions.
// Holds bool keys only; its record is the animation's.
class BoolAnimation : public Animation
{
    QRE_DECLARE_CLASS

public:
    explicit BoolAnimation(const String& name = String()) : Animation(name) {}

    // Appends a copy of key; results as Animation::AddKey.
    int32_t AddKey(const BoolAnimationKey& key);
    using Animation::AddKey;

    // index < GetKeyCount(): every key here is of this kind.
    const BoolAnimationKey& GetBoolKey(uint32_t index) const
    {
        return static_cast<const BoolAnimationKey&>(GetKey(index));
    }

protected:
    std::unique_ptr<AnimationKey> CreateKey() const override;
    uint32_t GetKeyRecordSize() const override { return BoolAnimationKey::kRecordSize; }
};
