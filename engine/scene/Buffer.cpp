#include "engine/scene/Buffer.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/Renderer.h"

QRE_IMPLEMENT_ABSTRACT_CLASS(Buffer, Object)

Buffer::Buffer(const String& name) : Object(name)
{
}

Buffer::~Buffer()
{
    if (deviceRenderer && deviceHandle)
        deviceRenderer->ReleaseBuffer(this);
}

void Buffer::SetDeviceHandle(Renderer* renderer, void* handle)
{
    deviceRenderer = renderer;
    deviceHandle = handle;
}
