#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/scene/Animation.h"

class Stream;

// One weighted layer of an animation controller's blend: the animation it
// plays, how much it counts, and where the last sample fell on it (the two
// keys around the sampled time and how far between them). A value kept in
// the controller; an empty stage has no animation and counts for nothing.
class BlendStage
{
public:
    // Empty: no animation, weight 1, indices 0, fraction 0.
    void Clear();

    // Finds the keys around trackTime by binary search: index0 is the last
    // key at or before it (the last key when trackTime is below the first,
    // so the track wraps), index1 the next one, wrapping to the first.
    // fraction, in [0, 1], is how far trackTime lies from index0 towards
    // index1, measured around the track. Nothing without an animation or
    // keys.
    void Sample(double trackTime);

    // streaming: animation link, weight. The controller does not store its
    // stages; the record exists for tools. A weight that is not finite fails.
    int32_t Save(Stream& stream) const;
    int32_t Load(Stream& stream);

    Ptr<Animation> animation; // may be null
    float weight = 1.0f;
    uint32_t index0 = 0;
    uint32_t index1 = 0;
    double fraction = 0.0;
};
