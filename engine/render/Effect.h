#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/Array.h"
#include "engine/core/Object.h"

class Pass;
class Technique;

// How a piece of the scene is drawn: alternative techniques for devices of
// different capability, of which the first the device supports becomes
// active on the first PassCount and stays. The scene graph draws through
// PassCount and ApplyPass only.
class Effect : public Object
{
    QRE_DECLARE_CLASS

public:
    // Out of line, where a technique is a complete type.
    explicit Effect(const String& name = String());
    // Destroys the techniques (and with them their passes).
    ~Effect() override;

    // The per-frame update with the frame's time step; here the effect's
    // own controllers.
    virtual int32_t Update(double time);

    // A disabled effect draws nothing (and is not queued).
    void Enable() { enabled = true; }
    void Disable() { enabled = false; }
    bool IsEnabled() const { return enabled; }

    // Passes of the active technique, choosing it first when none is
    // active: techniques are asked in list order against the current
    // renderer's capabilities, and the chosen one is marked changed at once
    // so its passes take the effect's settings. 0 while no technique is
    // supported (or there is no renderer), so nothing is drawn; nothing is
    // logged for that.
    virtual uint32_t PassCount();

    // Makes pass index the renderer's current pass, lets the renderer begin
    // it, then applies it; the pass's result (0 = draw). 1 without a
    // renderer, an active technique or such a pass.
    virtual int32_t ApplyPass(uint32_t index);

    // Tells the active technique that a setting its passes copy changed.
    void MarkChanged();

    // The technique list: appended in preference order. 3 for null; 2
    // (logged) when the list cannot grow, the technique going with it.
    int32_t AddTechnique(std::unique_ptr<Technique> technique);
    uint32_t GetTechniqueCount() const { return techniques.Count(); }
    Technique* GetActiveTechnique() const { return active; }
    // Technique index in preference order; null past the end.
    Technique* GetTechnique(uint32_t index) const
    {
        return index < techniques.Count() ? techniques[index].get() : nullptr;
    }

    bool Holds(const Object* other) const override;

protected:
    // For a class that brings its own complete list in place of the one its
    // base class built: destroys the techniques so far (none is active yet
    // while constructors run).
    void ClearTechniques();

private:
    Array<std::unique_ptr<Technique>> techniques{1, 1};
    Technique* active = nullptr;        // one of techniques, null until chosen
    bool enabled = true;
};
