#pragma once
#include <cstdint>

#include "engine/core/Object.h"

// How a piece of the scene is drawn: a list of passes, each applied through
// the renderer before the geometry (or the subtree) it wraps is drawn. The
// scene graph reaches effects only through this interface; techniques,
// passes and render states live with the renderer's effect classes, which
// build on it.
class Effect : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit Effect(const String& name = String()) : Object(name) {}

    // The per-frame update with the frame's time step; here the effect's
    // own controllers.
    virtual int32_t Update(double time);

    // A disabled effect draws nothing (and is not queued).
    void Enable() { enabled = true; }
    void Disable() { enabled = false; }
    bool IsEnabled() const { return enabled; }

    // Number of passes of the active technique; 0 while no technique is
    // supported, so nothing is drawn.
    virtual uint32_t PassCount() { return 0; }

    // Applies pass index through the current renderer; 0 means draw. A
    // failed pass is skipped by the caller.
    virtual int32_t ApplyPass(uint32_t index);

private:
    bool enabled = true;
};
