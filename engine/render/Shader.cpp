#include "engine/render/Shader.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/Renderer.h"

// Known by name, made by none: a program is a vertex or a pixel shader.
QRE_IMPLEMENT_ABSTRACT_CLASS(Shader, Object)

Shader::Shader(const String& name, const String& text) : Object(name), text(text)
{
}

Shader::~Shader()
{
    // The record may hold the renderer's last reference: keep it alive
    // until its ReleaseShader has returned.
    Ptr<Renderer> holder = deviceRenderer;
    if (holder)
        holder->ReleaseShader(this);
    deviceRenderer = nullptr;
    deviceHandle = nullptr;
}

void Shader::SetText(const String& newText)
{
    text = newText;
    changed = true;
}

void Shader::SetDeviceHandle(Renderer* renderer, void* handle)
{
    deviceRenderer = renderer;
    deviceHandle = handle;
}
