#pragma once
#include <cstdint>

#include "engine/scene/AnimationKey.h"

// An on/off switch at one track position: camera switching turns
// controllers on and off with these, sound nodes play or pause.
class BoolAnimationKey : public AnimationKey
{
public:
    BoolAnimationKey() = default;
    BoolAnimationKey(double time, bool value) : AnimationKey(time), value(value) {}

    // time, then the flag as one byte
    static constexpr uint32_t kRecordSize = AnimationKey::kRecordSize + 1;

    // streaming: the plain key, then the flag
    int32_t Save(Stream& stream) const override;
    int32_t Load(Stream& stream) override;

    bool value = true;
};
