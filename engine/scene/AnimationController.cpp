#include "engine/scene/AnimationController.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(AnimationController, Controller)

AnimationController::AnimationController(const String& name) : Controller(name)
{
}

AnimationController::~AnimationController() = default;

int32_t AnimationController::Update(double time)
{
    if (!IsActive() || !HasUsablePeriod() || !std::isfinite(time))
        return 0;
    phase += time / period;
    if (phase >= 1.0)
        phase -= std::floor(phase);
    return 0;
}

void AnimationController::Reset()
{
    phase = 0.0;
}

void AnimationController::SetStage(Animation*, uint32_t, float)
{
}

void AnimationController::SetStageByName(const String&, uint32_t, float)
{
}

void AnimationController::SetStageWeight(uint32_t, float)
{
}

void AnimationController::SetPhase(double value)
{
    phase = value;
}

double AnimationController::GetPhase() const
{
    return phase;
}

double AnimationController::GetPeriod() const
{
    return period;
}

void AnimationController::SetPeriod(double seconds)
{
    period = seconds;
}

bool AnimationController::HasUsablePeriod() const
{
    return period > 0.0 && std::isfinite(period);
}

int32_t AnimationController::Save(Stream& stream)
{
    return Controller::Save(stream);
}

int32_t AnimationController::Load(Stream& stream)
{
    return Controller::Load(stream);
}
