#pragma once
#include <cstdint>

#include "engine/render/RenderTargetController.h"

// Draws a list of nodes through its own camera into its target texture
// before the main view: reflections, screen copies.
class RenderTextureController : public RenderTargetController
{
    QRE_DECLARE_CLASS

public:
    explicit RenderTextureController(const String& name = String()) : RenderTargetController(name) {}

protected:
    // The target is cleared with the renderer's clear colour and depth 1,
    // then the nodes are drawn through the controller's camera (the current
    // one without it). 1 when the target cannot be drawn into (the renderer
    // logs why); 3 (logged) for a target that is not a plane texture.
    int32_t RenderInto(Renderer& renderer, BaseTexture& target, Camera* previous) override;
};
