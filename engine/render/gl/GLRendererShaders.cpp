// The shader side of GLRenderer: programs translated on first use, their
// constants, and the vertex inputs they read.
#include "engine/render/gl/GLRenderer.h"

#include "engine/render/gl/GLShaderCache.h"

int32_t GLRenderer::SetVertexShader(Shader*)
{
    return 0;
}

int32_t GLRenderer::SetVertexShaderConstants(uint32_t, const float*, uint32_t)
{
    return 0;
}

int32_t GLRenderer::SetPixelShader(Shader*)
{
    return 0;
}

int32_t GLRenderer::SetPixelShaderConstants(uint32_t, const float*, uint32_t)
{
    return 0;
}

void GLRenderer::ReleaseShader(Shader*)
{
}

bool GLRenderer::PrepareShaderDraw()
{
    return false;
}

void GLRenderer::FinishShaderDraw()
{
}

void GLRenderer::ReleaseShaders(bool)
{
}
