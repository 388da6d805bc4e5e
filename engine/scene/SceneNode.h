#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Node.h"

class SceneNodeEffect;

// The interior node: owns its children (a slot may be empty) and the
// scene-wide effects that wrap the drawing of its subtree. Its world bound
// is rebuilt from the children's after they have been updated.
class SceneNode : public Node
{
    QRE_DECLARE_CLASS

public:
    // The class factory makes capacity 1, growth 2.
    explicit SceneNode(const String& name = String(), uint32_t capacity = 1, uint32_t growStep = 2);
    // Lets the effects go, then each child (whose parent pointer is cleared).
    ~SceneNode() override;

    // children ----------------------------------------------------------------

    uint32_t GetChildCount() const { return children.Count(); }
    uint32_t GetGrowStep() const { return children.GrowStep(); }
    // Null for an empty slot or an index past the end.
    Node* GetChild(uint32_t index) const { return index < children.Count() ? children[index].Get() : nullptr; }

    // Appends child and becomes its parent. A node belongs to one parent: 3
    // (logged) for null, for a node that has a parent already, for one that
    // would close a cycle (this node or one of its holders), and for one
    // that would make the tree deeper than 1000 levels.
    int32_t AttachChild(Node* child);

    // Empties child's slot and clears its parent. 3 when it is not a child.
    int32_t DetachChild(Node* child);

    // effects -----------------------------------------------------------------

    // Puts effect at the head of the list and makes this node its owner;
    // null and an effect already listed are ignored. 0; 2 out of memory; 3
    // for null or one that would close a cycle.
    int32_t AddEffect(SceneNodeEffect* effect);
    // Removes the first entry that holds effect; absent effects are ignored.
    void RemoveEffect(SceneNodeEffect* effect);
    uint32_t GetEffectCount() const;
    // In list order (0 is the head); null past the end.
    SceneNodeEffect* GetEffect(uint32_t index) const;

    // update and drawing ------------------------------------------------------

    // Controllers, world transform, the effects' updates, then each child's
    // UpdateTree: a parent is settled before any child moves.
    void UpdateWorldData(double time) override;
    // The first child's bound copied, the later ones merged in; nothing
    // while the bound flag is off or without children.
    void UpdateWorldBound() override;
    // The children, once per pass of each enabled effect (flushing the
    // transparent queue after each pass), or once without effects.
    void Draw(Renderer& renderer) override;

    // objects -----------------------------------------------------------------

    Object* FindByName(const String& searched) override;
    void CollectByType(const RTTI& type, Array<Object*>& found) override;
    bool Holds(const Object* other) const override;

    // streaming: effects (list order), child count, growth, children
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // Takes child into a slot when it may be: a node without a parent that
    // does not hold this one, and a tree no deeper than the traversals can
    // safely recurse. False otherwise; nothing changes.
    bool Adopt(Node* child);
    void DrawChildren(Renderer& renderer);
    void ReleaseChildren();
    void ReleaseEffects();

    Array<Ptr<Node>> children;
    // Newest first; room is made on the first effect, as most nodes have
    // none.
    Array<Ptr<SceneNodeEffect>> effects{0, 1};
};
