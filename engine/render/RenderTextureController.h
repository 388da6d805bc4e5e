#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Camera.h"
#include "engine/scene/NodeLink.h"
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

    // Render targets are a device service the renderer does not offer yet:
    // until it does, a due rendering is only counted (GetPendingRenders),
    // and the target is left as it is. 0.
    int32_t PostUpdate() override;
    uint32_t GetPendingRenders() const { return pendingRenders; }

    // The nodes drawn into the target. They are not held: they live in the
    // scene, which holds the target through its materials, and a reference
    // back into it would close a cycle.
    void AddNode(Node* node) { nodes.Append(NodeLink(node)); }
    uint32_t GetNodeCount() const { return nodes.Count(); }
    Node* GetNode(uint32_t index) const { return index < nodes.Count() ? nodes[index].Get() : nullptr; }

    // The viewpoint (held). 0; 3 (logged) for a camera that holds this
    // controller. Null clears it.
    int32_t SetCamera(Camera* newCamera);
    Camera* GetCamera() const { return camera.Get(); }

    bool IsContinuous() const { return continuous; }
    void SetContinuous(bool value) { continuous = value; }
    bool IsRendered() const { return rendered; }
    void SetRendered(bool value) { rendered = value; }

    bool Holds(const Object* other) const override;

    // streaming: continuous, the camera link, the node count (u32) and that
    // many node links
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Array<NodeLink> nodes{1, 4};
    bool continuous = true;
    Ptr<Camera> camera;
    bool rendered = false;
    uint32_t pendingRenders = 0;
};
