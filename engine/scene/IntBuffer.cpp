#include "engine/scene/IntBuffer.h"

#include <new>

#include "engine/core/EngineStartup.h"

QRE_IMPLEMENT_CLASS(IntBuffer, Buffer)

uint32_t IntBuffer::GetIndexBound() const
{
    if (boundRevision == GetRevision())
        return bound;
    uint32_t limit = 0;
    const int32_t* values = GetElements();
    for (uint32_t i = 0; i < count; ++i)
    {
        if (values[i] < 0)
        {
            limit = UINT32_MAX;
            break;
        }
        const uint32_t reach = static_cast<uint32_t>(values[i]) + 1;
        limit = reach > limit ? reach : limit;
    }
    bound = limit;
    boundRevision = GetRevision();
    return bound;
}
