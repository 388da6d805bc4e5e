#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/AnimationController.h"

// Runs a group of bone controllers as one: the bones are stored inactive,
// so their own nodes pass them over, and run only here, in order, each
// switched on just for its update. Stage weights and the phase set on the
// skeleton reach every bone, so a whole body blends and seeks together.
class SkeletonAnimationController : public AnimationController
{
    QRE_DECLARE_CLASS

public:
    explicit SkeletonAnimationController(const String& name = String()) : AnimationController(name) {}

    // The track's update, then, while active, each bone's: activate,
    // update, deactivate.
    int32_t Update(double time) override;

    // Resets the skeleton's own track and empties the bones' stages; the
    // bones' phases stay.
    void Reset() override;

    // Applied here, then to every bone.
    void SetStageWeight(uint32_t index, float weight) override;
    void SetPhase(double value) override;

    // Holds bone and deactivates it. 0, 2 out of memory, 3 null or a
    // controller that would run this skeleton (this one, or one that holds
    // it), logged.
    int32_t AddBoneController(AnimationController* bone);
    uint32_t GetBoneControllerCount() const { return bones.Count(); }
    AnimationController* GetBoneController(uint32_t index) const
    {
        return index < bones.Count() ? bones[index].Get() : nullptr;
    }

    bool Holds(const Object* other) const override;

    // streaming: the track's record, then the bone count and the bones. A
    // bone that would run this skeleton fails the load; a link of another
    // class counts as missing.
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // True when running bone would run this skeleton again.
    bool WouldRunItself(const AnimationController* bone) const;

    Array<Ptr<AnimationController>> bones{1, 1};
};
