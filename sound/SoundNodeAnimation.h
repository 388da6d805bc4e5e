#pragma once
#include <cstdint>
#include <memory>

#include "engine/scene/Animation.h"
#include "engine/scene/BoolAnimationKey.h"

// On/off keys for a sound node: where a track of its controller says off,
// the sound stops; where it says on, it plays. The record is the
// animation's: key count, then each bool key.
class SoundNodeAnimation : public Animation
{
    QRE_DECLARE_CLASS

public:
    explicit SoundNodeAnimation(const String& name = String()) : Animation(name) {}

    // Appends a copy of key; results as Animation::AddKey.
    int32_t AddKey(const BoolAnimationKey& key);
    using Animation::AddKey;

    // index < GetKeyCount(): every key here is a bool key.
    const BoolAnimationKey& GetBoolKey(uint32_t index) const
    {
        return static_cast<const BoolAnimationKey&>(GetKey(index));
    }

protected:
    std::unique_ptr<AnimationKey> CreateKey() const override;
    uint32_t GetKeyRecordSize() const override { return BoolAnimationKey::kRecordSize; }
};
