#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/RenderTargetSetup.h"
#include "engine/scene/Camera.h"
#include "engine/scene/PostUpdateController.h"

class BaseTexture;

// Draws a list of nodes through its own camera into its target texture
// (the controlled object) before the main view: reflections, screen
// copies. A non-continuous target is drawn once, and again only after its
// device copy was lost.
class RenderTextureController : public PostUpdateController
{
    QRE_DECLARE_CLASS

public:
    explicit RenderTextureController(const String& name = String()) : PostUpdateController(name) {}

    // The target texture, or null when the controlled object is none.
    BaseTexture* GetTargetTexture() const;

    // False only for a non-continuous target that was drawn and still has
    // its device copy; a controller without a target texture never draws.
    bool NeedsRender() const;

    // When due (NeedsRender), draws the nodes into the target through the
    // controller's camera (the current one without it) on the current
    // renderer: the target is cleared with the renderer's clear colour and
    // depth 1 first, and the renderer's camera and target are restored
    // after. 0; 1 without a renderer or when the target cannot be drawn
    // into (the renderer logs why); 3 (logged) for a target that is not a
    // plane texture.
    int32_t PostUpdate() override;
    // How many times the target was drawn.
    uint32_t GetRenderCount() const { return renderCount; }

    // The nodes drawn into the target, not held (see RenderTargetSetup).
    void AddNode(Node* node) { setup.AddNode(node); }
    uint32_t GetNodeCount() const { return setup.GetNodeCount(); }
    Node* GetNode(uint32_t index) const { return setup.GetNode(index); }

    // The viewpoint (held). 0; 3 (logged) for a camera that holds this
    // controller. Null clears it.
    int32_t SetCamera(Camera* newCamera) { return setup.SetCamera(*this, newCamera); }
    Camera* GetCamera() const { return setup.GetCamera(); }

    bool IsContinuous() const { return setup.IsContinuous(); }
    void SetContinuous(bool value) { setup.SetContinuous(value); }
    bool IsRendered() const { return rendered; }
    void SetRendered(bool value) { rendered = value; }

    bool Holds(const Object* other) const override;

    // streaming: continuous, the camera link, the node count (u32) and that
    // many node links
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    RenderTargetSetup setup;
    bool rendered = false;
    uint32_t renderCount = 0;
};
