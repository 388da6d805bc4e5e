#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/scene/Animation.h"

class Stream;

// A stretch of an animation controller's track on which one animation
// plays: from start to end (track positions, 0 to 1), at a speed, from an
// offset, once, looping or back and forth. Where two stretches overlap the
// controller blends their animations.
class TrackFrame
{
public:
    // How the animation's own time runs over the stretch. Stored as a
    // 32-bit integer; a value other than once or loop plays back and forth.
    enum Mode : int32_t
    {
        kOnce = 0,
        kLoop = 1,
        kPingPong = 2,
    };

    // At least the bytes of a null link, the mode and four 64-bit values.
    static constexpr uint32_t kRecordSize = 4 + 4 + 4 * 8;

    // The position on the animation, in [0, 1], at track position phase.
    // The leading frame (stage 0) never gives 1, which wraps to 0, and
    // plays once only inside its stretch; the other frame holds its ends.
    // A stretch of zero length, or arithmetic that leaves the finite
    // numbers, gives 0.
    double LocalTime(double phase, bool leading) const;

    // streaming: animation link, mode, start, end, speed, offset; numbers
    // that are not finite fail the load
    int32_t Save(Stream& stream) const;
    int32_t Load(Stream& stream);

    Ptr<Animation> animation; // may be null
    double start = 0.0;
    double end = 0.0;
    int32_t mode = kLoop;
    double speed = 1.0;
    double offset = 0.0;
};
