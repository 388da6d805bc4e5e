#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Camera.h"
#include "engine/scene/NodeLink.h"

class Object;
class Renderer;
class Stream;

// What a render-to-texture controller draws and how often: the nodes, the
// viewpoint camera and the continuous flag, with their part of the
// controller's record. Kept apart from the controllers so that each stays a
// post-update controller by class; the owner is passed in for its name and
// ID in log lines and for the cycle check, and is never kept.
class BaseTexture;

class RenderTargetSetup
{
public:
    // The nodes drawn into the target. They are not held: they live in the
    // scene, which holds the target through its materials, and a reference
    // back into it would close a cycle.
    void AddNode(Node* node) { nodes.Append(NodeLink(node)); }
    uint32_t GetNodeCount() const { return nodes.Count(); }
    Node* GetNode(uint32_t index) const { return index < nodes.Count() ? nodes[index].Get() : nullptr; }

    // The viewpoint (held). 0; 3 (logged) for a camera that holds owner.
    // Null clears it.
    int32_t SetCamera(const Object& owner, Camera* newCamera);
    Camera* GetCamera() const { return camera.Get(); }

    bool IsContinuous() const { return continuous; }
    void SetContinuous(bool value) { continuous = value; }

    // The texture a controller draws into: its target when that is a
    // texture, else null.
    static BaseTexture* TargetTexture(Object* target);

    // False only for a non-continuous target that was drawn and still has
    // its device copy; no target texture never draws.
    bool NeedsRender(Object* target, bool rendered) const;

    // Draws every node still alive through the renderer, each culled
    // against the renderer's current camera (DrawCulled).
    void DrawNodes(Renderer& renderer) const;

    // Whether the camera is other or holds it.
    bool Holds(const Object* other) const;

    // streaming, after the owner's base data: continuous, the camera link,
    // the node count (u32) and that many node links. 1 (logged) on a stream
    // failure or a refused camera; links of another class count as missing.
    int32_t Save(const Object& owner, Stream& stream) const;
    int32_t Load(const Object& owner, Stream& stream);

private:
    Array<NodeLink> nodes{1, 4};
    bool continuous = true;
    Ptr<Camera> camera;
};
