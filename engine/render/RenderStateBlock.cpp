#include "engine/render/RenderStateBlock.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/Renderer.h"

QRE_IMPLEMENT_CLASS(RenderStateBlock, Object)

RenderStateBlock::RenderStateBlock(const String& name) : Object(name)
{
}

RenderStateBlock::~RenderStateBlock()
{
    if (deviceRenderer)
        deviceRenderer->ReleaseStateBlock(this);
}

void RenderStateBlock::SetDeviceHandle(Renderer* renderer, void* handle)
{
    deviceRenderer = renderer;
    deviceHandle = handle;
}
