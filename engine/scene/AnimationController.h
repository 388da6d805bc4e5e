#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Controller.h"
#include "engine/core/Ptr.h"

class Animation;

// Turns a looping track position (the phase) into weighted blend stages over
// its animations; subclasses apply the blend. This build carries only the
// track clock: the phase advancing by time over the period.
class AnimationController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit AnimationController(const String& name = String());
    ~AnimationController() override;

    // While active and the period is usable: phase += time / period, kept
    // in [0, 1).
    int32_t Update(double time) override;
    // Back to the start of the track.
    void Reset() override;

    // Blend stages are not kept by this build; the calls do nothing.
    virtual void SetStage(Animation* animation, uint32_t index, float weight);
    virtual void SetStageByName(const String& name, uint32_t index, float weight);
    virtual void SetStageWeight(uint32_t index, float weight);
    // The track position, as a fraction of the period.
    virtual void SetPhase(double value);
    double GetPhase() const;
    // Seconds per pass of the track.
    double GetPeriod() const;
    void SetPeriod(double seconds);
    // false when the period is zero, negative or not finite: such a
    // controller never advances
    bool HasUsablePeriod() const;

    // streaming: the Controller part only in this build
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    double period = 0.0;
    double phase = 0.0;
};
