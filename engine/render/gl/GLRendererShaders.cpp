// The shader side of GLRenderer: programs translated on first use, their
// constants, and the vertex inputs they read.
#include "engine/render/gl/GLRenderer.h"

#include <cstring>

#include "engine/core/Log.h"
#include "engine/render/Shader.h"
#include "engine/render/gl/GLDevice.h"
#include "engine/render/gl/GLShaderCache.h"
#include "engine/render/gl/GLShaderProgram.h"
#include "engine/render/gl/GLTextureCache.h"
#include "engine/scene/IntBuffer.h"

namespace
{

// Writes count registers from start into a register file of size
// registers; 3 (after a warning) when part of the range falls outside.
int32_t WriteRegisters(float* file, uint32_t registers, uint32_t start, const float* data, uint32_t count,
                       const char* stage)
{
    if (!data)
        return 3;
    uint32_t fits = start < registers ? registers - start : 0;
    if (fits > count)
        fits = count;
    if (fits > 0)
        std::memcpy(file + static_cast<size_t>(start) * 4, data, static_cast<size_t>(fits) * 4 * sizeof(float));
    if (fits < count)
    {
        LogWarning("Константы %s шейдера [%u..%u] вне диапазона регистров.", stage, start, start + count - 1);
        return 3;
    }
    return 0;
}

} // namespace

// Binds shader into slot (the vertex or the pixel one), translating it on
// first use. 3 (logged) for a shader of the other kind; 1 when its program
// is refused (the draw then goes on with fixed function).
int32_t GLRenderer::BindShader(Shader* shader, bool pixelSlot)
{
    if (shader && shader->IsPixelShader() != pixelSlot)
    {
        LogWarning(pixelSlot ? "Вершинный шейдер [%s] передан как пиксельный."
                             : "Пиксельный шейдер [%s] передан как вершинный.",
                   shader->GetName().CStr());
        return 3;
    }
    (pixelSlot ? shaderCache->pixelShader : shaderCache->vertexShader) = shader;
    if (!shader)
        return 0;
    const GLShaderCache::Entry* entry = shaderCache->Bind(this, shader);
    return entry && entry->usable ? 0 : 1;
}

int32_t GLRenderer::SetVertexShader(Shader* shader)
{
    return BindShader(shader, false);
}

int32_t GLRenderer::SetVertexShaderConstants(uint32_t start, const float* data, uint32_t count)
{
    return WriteRegisters(shaderCache->vertexRegisters, GLShaderCache::kVertexRegisters, start, data, count,
                          "вершинного");
}

int32_t GLRenderer::SetPixelShader(Shader* shader)
{
    return BindShader(shader, true);
}

int32_t GLRenderer::SetPixelShaderConstants(uint32_t start, const float* data, uint32_t count)
{
    return WriteRegisters(shaderCache->pixelRegisters, GLShaderCache::kPixelRegisters, start, data, count,
                          "пиксельного");
}

void GLRenderer::ReleaseShader(Shader* shader)
{
    if (!shader)
        return;
    if (device)
        device->MakeCurrent();
    shaderCache->Forget(shader);
    if (shader->GetDeviceRenderer() == this)
        shader->SetDeviceHandle(nullptr, nullptr);
}

bool GLRenderer::PrepareShaderDraw()
{
    if (!device || !shaderCache->vertexShader)
        return false;
    const GLShaderCache::Entry* vertex = shaderCache->FindEntry(shaderCache->vertexShader);
    if (!vertex || !vertex->usable)
        return false;
    // A refused pixel program leaves the vertex program with fixed-function
    // pixels rather than losing the draw.
    const GLShaderCache::Entry* pixel =
        shaderCache->pixelShader ? shaderCache->FindEntry(shaderCache->pixelShader) : nullptr;
    if (pixel && !pixel->usable)
        pixel = nullptr;
    GLShaderProgram* program = shaderCache->Program(*device, vertex, pixel);
    if (!program && pixel)
        program = shaderCache->Program(*device, vertex, nullptr);
    if (!program)
        return false;

    GLShaderCache::AttributeStream streams[16];
    auto feed = [&streams](ShaderProgram::Usage usage, uint32_t index, const Stream& from) {
        const int32_t location = ShaderTranslation::AttributeLocation(usage, index);
        if (location >= 0 && location < 16)
            streams[location] = {from.data, from.count, from.components};
    };
    feed(ShaderProgram::kUsagePosition, 0, position);
    feed(ShaderProgram::kUsageNormal, 0, normal);
    feed(ShaderProgram::kUsageColor, 0, colour);
    for (uint32_t set = 0; set < kTexCoordSets; ++set)
        feed(ShaderProgram::kUsageTexCoord, set, texCoord[set]);
    feed(ShaderProgram::kUsagePointSize, 0, pointSize);
    feed(ShaderProgram::kUsageBlendWeight, 0, blendWeight);
    feed(ShaderProgram::kUsageBlendIndices, 0, blendIndex);
    // An index past a stream would have GL read beyond the buffer.
    const uint32_t bound = indices ? indices->GetIndexBound() : position.count;

    // Drawing into a texture turns the picture, as the fixed-function
    // projection does.
    shaderCache->BeginDraw(*device, *program, *vertex, textureCache->FlipY(), streams, bound);
    return true;
}

// A binding lasts for one draw: every program pass binds its programs in
// its Apply, while fixed-function passes bind none and must not inherit
// the programs of whatever was drawn before them.
void GLRenderer::FinishShaderDraw()
{
    if (device)
        shaderCache->EndDraw(*device);
    shaderCache->vertexShader = nullptr;
    shaderCache->pixelShader = nullptr;
}

void GLRenderer::ReleaseShaders(bool contextUsable)
{
    shaderCache->ForgetAll(contextUsable);
}
