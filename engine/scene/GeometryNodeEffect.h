#pragma once
#include "engine/scene/Effect.h"

class GeometryNode;

// The effect that draws one geometry node. A blended effect marks its
// geometry transparent: it is drawn at the end of the pass, back to front.
class GeometryNodeEffect : public Effect
{
    QRE_DECLARE_CLASS

public:
    explicit GeometryNodeEffect(const String& name = String()) : Effect(name) {}

    bool IsTransparent() const { return blendEnabled; }
    void SetBlendEnabled(bool enabled) { blendEnabled = enabled; }

    // Back pointer to the geometry that holds this effect; set by the
    // geometry, cleared when it lets the effect go.
    GeometryNode* GetOwner() const { return owner; }
    void SetOwner(GeometryNode* node) { owner = node; }

private:
    bool blendEnabled = false;
    GeometryNode* owner = nullptr; // back pointer
};
