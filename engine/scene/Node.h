#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/scene/BoundingVolume.h"
#include "engine/core/Transform.h"

class Renderer;

// Anything with a place in the scene: a local transform relative to the
// parent, the world transform derived from it, and a world bound that
// encloses the node's whole subtree. Interior nodes are SceneNodes; leaves
// are geometry, cameras, lights and sounds.
//
// Once per frame the application runs UpdateTree on the root (controllers,
// then transforms downwards, then bounds upwards), and the renderer draws
// with DrawCulled, which skips subtrees outside the current camera's view.
class Node : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit Node(const String& name = String());
    // Clears the target of every controller that still points here, so a
    // controller held elsewhere is never left driving a freed node.
    ~Node() override;

    // update ----------------------------------------------------------------

    // The per-frame entry: world data, then the bound; with propagateUp the
    // bounds of every ancestor are rebuilt too. time is the frame's step in
    // seconds. SceneNodes call it on their children with propagateUp false.
    void UpdateTree(double time, bool propagateUp = true);

    // Controllers, then the world transform.
    virtual void UpdateWorldData(double time);

    // world = Product(local, parent's world), or the local transform at the
    // root; nothing while the world transform is updated by its owner
    // (SetUpdateWorldTransform(false)).
    void UpdateWorldTransform();

    // Nothing for a plain node; interior nodes merge their children's
    // bounds, leaves carry their own.
    virtual void UpdateWorldBound() {}

    // drawing ---------------------------------------------------------------

    // Draws the node itself; nothing for a plain node.
    virtual void Draw(Renderer& renderer);

    // The culling entry: hidden nodes and nodes whose world bound lies
    // outside the current camera's view are skipped. The camera's plane
    // mask is narrowed for the subtree and restored afterwards, so
    // siblings start from their parent's planes. Without a camera nothing
    // is culled.
    virtual void DrawCulled(Renderer& renderer);

    // transforms ------------------------------------------------------------

    // Mutable access goes through Transform's setters, which keep its
    // identity flags honest.
    Transform& GetLocalTransform() { return localTransform; }
    const Transform& GetLocalTransform() const { return localTransform; }
    void SetLocalTransform(const Transform& transform) { localTransform = transform; }
    Transform& GetWorldTransform() { return worldTransform; }
    const Transform& GetWorldTransform() const { return worldTransform; }
    void SetWorldTransform(const Transform& transform) { worldTransform = transform; }

    // While false the update pass leaves the world transform alone (skinned
    // meshes, whose vertices are already in world space).
    bool GetUpdateWorldTransform() const { return updateWorldTransform != 0; }
    void SetUpdateWorldTransform(bool update) { updateWorldTransform = update ? 1 : 0; }

    // bounds ----------------------------------------------------------------

    // Owned; null only when it could not be created.
    BoundingVolume* GetWorldBound() const { return worldBound.Get(); }

    // While false the world bound keeps whatever was written into it.
    bool GetUpdateWorldBound() const { return updateWorldBound != 0; }
    void SetUpdateWorldBound(bool update) { updateWorldBound = update ? 1 : 0; }

    // visibility: a culled node and its subtree are never drawn
    bool IsCulled() const { return culledFlag != 0; }
    void SetCulled(bool culled) { culledFlag = culled ? 1 : 0; }

    // hierarchy -------------------------------------------------------------

    // Back pointer, null at the root. Set only by the SceneNode that holds
    // this node as a child, so a parent always outlives the pointer.
    Node* GetParent() const { return parent; }

    // A live node of that ID, or null. Plain links that must not keep a
    // node alive (bones, hidden lists) look their node up here before use.
    static Node* FindLive(uint32_t id);

    // objects ---------------------------------------------------------------

    Object* FindByName(const String& searched) override;
    void CollectByType(const RTTI& type, Array<Object*>& found) override;
    bool Holds(const Object* other) const override;

    // streaming: parent, local transform, world bound type, bound flag
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    friend class SceneNode;

    Transform localTransform;
    Transform worldTransform;
    uint8_t updateWorldTransform = 1;
    Ptr<BoundingVolume> worldBound;
    uint8_t updateWorldBound = 1;
    uint8_t culledFlag = 0;
    Node* parent = nullptr; // back pointer: the parent holds this node
};
