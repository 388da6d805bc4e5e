#pragma once
#include <cstdint>
#include <initializer_list>

class Stream;

// A keyframe: a position on the track (normalised, 0 to 1) and, in the
// kinds derived from it, the value there. Keys are values owned by their
// Animation, which makes keys of its own kind when it loads; the record
// starts with the time whatever the kind.
class AnimationKey
{
public:
    AnimationKey() = default;
    explicit AnimationKey(double time) : time(time) {}
    virtual ~AnimationKey() = default;

    // The stored bytes of the plain key: its time.
    static constexpr uint32_t kRecordSize = 8;

    // streaming: the time, then each kind's fields; 0 or 1 (logged)
    virtual int32_t Save(Stream& stream) const;
    // A time that is not finite fails: it would reach the transforms.
    virtual int32_t Load(Stream& stream);

    double time = 0.0;

protected:
    // For the kinds' loads: NaN or infinite values never reach a transform.
    static bool AllFinite(std::initializer_list<float> values);
};
