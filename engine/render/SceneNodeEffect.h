#pragma once
#include "engine/render/Effect.h"

class SceneNode;

// An effect that wraps the drawing of a whole subtree (shadow maps,
// post-processing): the subtree is drawn once per pass. Streams nothing
// beyond the effect's data.
class SceneNodeEffect : public Effect
{
    QRE_DECLARE_CLASS

public:
    explicit SceneNodeEffect(const String& name = String()) : Effect(name) {}

    // Back pointer to the scene node whose list holds this effect; set by
    // AddEffect, cleared when the node lets the effect go.
    SceneNode* GetOwner() const { return owner; }
    void SetOwner(SceneNode* node) { owner = node; }

private:
    SceneNode* owner = nullptr; // back pointer
};
