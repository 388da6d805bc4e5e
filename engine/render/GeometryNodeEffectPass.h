#pragma once
#include "engine/render/Pass.h"

class GeometryNodeEffect;

// A pass of a geometry effect: MarkChanged refreshes its state block from
// the effect's shared settings, so the effect's setters reach the device
// on the next application. Apply is left to the effect's own passes.
class GeometryNodeEffectPass : public Pass
{
    QRE_DECLARE_CLASS

public:
    // effect: the effect whose technique owns this pass (a back pointer:
    // the effect holds the pass through its technique).
    explicit GeometryNodeEffectPass(GeometryNodeEffect* effect = nullptr, const String& name = String())
        : Pass(name), effect(effect)
    {
    }

    GeometryNodeEffect* GetEffect() const { return effect; }

    // Marks the recorded state stale and copies the effect's depth,
    // stencil, wireframe, material, alpha test (greater or equal), blend,
    // vertex fog, culling and the samplers of all eight stages.
    void MarkChanged() override;

private:
    GeometryNodeEffect* effect; // back pointer
};
