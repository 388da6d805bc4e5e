// Occlusion queries, the screen copy and the device's capabilities.
#include "engine/render/gl/GLRenderer.h"

#include "engine/core/Log.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLQueryTable.h"

int32_t GLRenderer::BeginQuery(OcclusionQuery*)
{
    return 0;
}

int32_t GLRenderer::EndQuery(OcclusionQuery*)
{
    return 0;
}

void GLRenderer::ReleaseQuery(OcclusionQuery*)
{
}

void GLRenderer::ReleaseQueries(bool)
{
}

int32_t GLRenderer::CaptureScreen(Image**)
{
    return 1;
}

void GLRenderer::DetectCapabilities()
{
}
