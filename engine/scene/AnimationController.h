#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Controller.h"
#include "engine/core/Ptr.h"
#include "engine/scene/BlendStage.h"
#include "engine/scene/TrackFrame.h"

class Animation;

// Turns a looping track into up to two weighted blend stages over its
// animations. The track position (phase) runs from 0 to 1 once per period;
// frames say which animation plays on which stretch of the track, and
// where two stretches overlap the two animations cross-fade. The stages
// hold the sampled keys; the derived controllers apply them (node
// transforms, paths, bone groups, controller switching). Abstract by name:
// a file always names one of those.
class AnimationController : public Controller
{
    QRE_DECLARE_CLASS

public:
    explicit AnimationController(const String& name = String());
    ~AnimationController() override;

    // While active: advances the phase by time / period (wrapping past 1),
    // picks the first two frames that hold the phase for stages 0 and 1,
    // weighs them and samples each at its frame's own time. A controller
    // without a usable period keeps its phase.
    int32_t Update(double time) override;

    // Every stage empty, phase 0.
    void Reset() override;

    // Makes room up to index (at most kMaxStages stages), then stores the
    // animation (held; null empties the stage) and the weight. A weight that
    // is not finite counts as 0. An animation that holds this controller is
    // refused: the two would keep each other alive.
    virtual void SetStage(Animation* animation, uint32_t index, float weight);

    // Makes room up to index, empties the stage with the weight, then puts
    // in the last of this controller's animations named exactly name.
    virtual void SetStageByName(const String& name, uint32_t index, float weight);

    // Ignored for a stage that does not exist.
    virtual void SetStageWeight(uint32_t index, float weight);

    // The track position; a value that is not finite is ignored.
    virtual void SetPhase(double value);
    double GetPhase() const { return phase; }

    // Seconds per pass of the track (stored).
    double GetPeriod() const { return period; }
    void SetPeriod(double seconds) { period = seconds; }

    // False when the period is zero, negative or not finite: such a
    // controller never advances.
    bool HasUsablePeriod() const;

    // building --------------------------------------------------------------

    // The animations SetStageByName chooses from (held). 0, 2 out of
    // memory, 3 null or an animation that holds this controller (logged).
    int32_t AddAnimation(Animation* animation);
    uint32_t GetAnimationCount() const { return animations.Count(); }
    Animation* GetAnimation(uint32_t index) const
    {
        return index < animations.Count() ? animations[index].Get() : nullptr;
    }

    // Plays animation (held; may be null) on the track from start to end.
    // Results as AddAnimation; numbers that are not finite are refused (3).
    int32_t AddFrame(Animation* animation, double start, double end, int32_t mode = TrackFrame::kLoop,
                     double speed = 1.0, double offset = 0.0);
    uint32_t GetFrameCount() const { return frames.Count(); }
    // index < GetFrameCount().
    const TrackFrame& GetFrame(uint32_t index) const { return frames[index]; }

    // Stages exist from the first update (or SetStage) on.
    uint32_t GetStageCount() const { return stages.Count(); }
    // index < GetStageCount().
    const BlendStage& GetStage(uint32_t index) const { return stages[index]; }

    // Every stage empty; the phase stays (a skeleton's Reset empties its
    // bones this way).
    void ClearStages();

    // Stage indices beyond this are refused: each one costs a stage.
    static constexpr uint32_t kMaxStages = 16;

    // objects ---------------------------------------------------------------

    bool Holds(const Object* other) const override;

    // streaming: animation count, animations, frame count, frames, period
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // The phase after a step of time seconds; unchanged when the period or
    // the step give no finite position.
    void Advance(double time);
    // Chooses, weighs and samples the stages at the current phase.
    void Blend();
    // True when holding animation would close a cycle of references.
    bool WouldCycle(const Animation* animation) const;

    Array<Ptr<Animation>> animations{1, 1};
    Array<BlendStage> stages{1, 1};
    double period = 0.0;
    double phase = 0.0;
    Array<TrackFrame> frames{1, 1};
};
