#pragma once
#include <cstdint>

#include "engine/scene/AnimationController.h"

// Switches its target SoundNode on and off by the bool keys of its tracks:
// off stops the stream and clears the node's active flag, on plays it (from
// the start when it had stopped). Without keys the sound stays on. Its
// record is the animation controller's.
class SoundNodeAnimationController : public AnimationController
{
    QRE_DECLARE_CLASS

public:
    explicit SoundNodeAnimationController(const String& name = String()) : AnimationController(name) {}

    // The track's update, then the switch, while active with a SoundNode
    // target.
    int32_t Update(double time) override;

private:
    // True unless the current key of a track with keys says off, the last
    // such track deciding.
    bool SwitchValue() const;
};
