#include "engine/render/Pass.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/Renderer.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Pass, Object)

Pass::Pass(const String& name) : Object(name), state(new (std::nothrow) RenderStateBlock())
{
}

Pass::~Pass()
{
    if (deviceRenderer)
        deviceRenderer->ReleasePass(this);
}

void Pass::MarkChanged()
{
    changed = true;
    if (state)
        state->MarkChanged();
}

void Pass::SetDeviceHandle(Renderer* renderer, void* handle)
{
    deviceRenderer = renderer;
    deviceHandle = handle;
}

bool Pass::Holds(const Object* other) const
{
    if (Object::Holds(other))
        return true;
    return state && (state.Get() == other || state->Holds(other));
}
