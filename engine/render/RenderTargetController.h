#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Camera.h"
#include "engine/scene/NodeLink.h"
#include "engine/scene/PostUpdateController.h"

class BaseTexture;
class Renderer;

// What both render-to-texture controllers share: the nodes drawn into the
// target texture (the controlled object) before the main view, the
// viewpoint camera, how often, and their record. A non-continuous target is
// drawn once, and again only after its device copy was lost. Subclasses
// say how the drawing goes into their kind of target. A detail of the C++
// code only: it has no type record or name of its own, so the subclasses
// show PostUpdateController as their base, as files and the class table
// know them.
class RenderTargetController : public PostUpdateController
{
public:
    explicit RenderTargetController(const String& name = String()) : PostUpdateController(name) {}

    // The target texture, or null when the controlled object is none.
    BaseTexture* GetTargetTexture() const;

    // False only for a non-continuous target that was drawn and still has
    // its device copy; a controller without a target texture never draws.
    bool NeedsRender() const;

    // When due (NeedsRender), draws into the target on the current renderer
    // (RenderInto) and restores the renderer's camera after. 0; 1 without a
    // renderer; otherwise what RenderInto returned.
    int32_t PostUpdate() override;
    // How many times the target was drawn.
    uint32_t GetRenderCount() const { return renderCount; }

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
    // many node links; links of another class count as missing
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // Draws the nodes into target (the controller's target texture); the
    // renderer's camera before the drawing is previous, and PostUpdate puts
    // it back. 0 counts as a rendering.
    virtual int32_t RenderInto(Renderer& renderer, BaseTexture& target, Camera* previous) = 0;

    // DrawCulled of every node still alive.
    void DrawNodes(Renderer& renderer) const;

private:
    Array<NodeLink> nodes{1, 4};
    bool continuous = true;
    Ptr<Camera> camera;
    bool rendered = false;
    uint32_t renderCount = 0;
};
