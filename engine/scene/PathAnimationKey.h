#pragma once
#include <cstdint>

#include "engine/core/Vector3.h"
#include "engine/scene/AnimationKey.h"

// A point of a cubic path with its two control points: the curve from one
// key to the next leaves through outControl and arrives through the next
// key's inControl.
class PathAnimationKey : public AnimationKey
{
public:
    PathAnimationKey() = default;
    PathAnimationKey(double time, const Vector3& position, const Vector3& inControl, const Vector3& outControl)
        : AnimationKey(time), position(position), inControl(inControl), outControl(outControl)
    {
    }

    // time, position, inControl, outControl
    static constexpr uint32_t kRecordSize = AnimationKey::kRecordSize + 3 * 12;

    // streaming: the plain key, then the three points; values that are not
    // finite fail the load
    int32_t Save(Stream& stream) const override;
    int32_t Load(Stream& stream) override;

    Vector3 position;
    Vector3 inControl;
    Vector3 outControl;
};
