#include "engine/scene/Effect.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Effect, Object)

int32_t Effect::Update(double time)
{
    UpdateControllers(time);
    return 0;
}

int32_t Effect::ApplyPass(uint32_t)
{
    return 1;
}
