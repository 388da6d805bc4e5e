#pragma once
#include "engine/render/Shader.h"

// A pixel program (version 2.0): bound with SetPixelShader.
class PixelShader : public Shader
{
    QRE_DECLARE_CLASS

public:
    explicit PixelShader(const String& name = String(), const String& text = String()) : Shader(name, text) {}

    bool IsPixelShader() const override { return true; }
};
