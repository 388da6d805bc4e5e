#pragma once
#include "engine/render/Shader.h"

// A vertex program (versions 1.1 and 2.0): bound with SetVertexShader.
class VertexShader : public Shader
{
    QRE_DECLARE_CLASS

public:
    explicit VertexShader(const String& name = String(), const String& text = String()) : Shader(name, text) {}

    bool IsPixelShader() const override { return false; }
};
