#include "engine/render/OcclusionQuery.h"

#include "engine/render/Renderer.h"

OcclusionQuery::~OcclusionQuery()
{
    // A local hold: the renderer clears our record while it frees the
    // device query, which may drop its last reference mid-call otherwise.
    Ptr<Renderer> renderer = deviceRenderer;
    if (renderer && deviceHandle)
        renderer->ReleaseQuery(this);
}

void OcclusionQuery::SetDeviceHandle(Renderer* renderer, void* handle)
{
    deviceRenderer = renderer;
    deviceHandle = handle;
    changed = handle == nullptr;
}
