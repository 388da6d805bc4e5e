#pragma once
#include <cstdint>

#include "engine/core/Object.h"

// The unit of per-frame behaviour: attached to its target's controller list
// and run by the target's UpdateControllers before the target updates
// itself. Every concrete controller (skinning, animation, camera switching,
// render-to-texture) derives from this.
class Controller : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit Controller(const String& name = String()) : Object(name) {}

    // Advances the controller by the frame's time step in seconds; 0 on
    // success. Nothing here; an inactive controller does nothing unless its
    // class says otherwise.
    virtual int32_t Update(double time)
    {
        (void)time;
        return 0;
    }

    // Back to the starting state (camera switching restarts its shots).
    virtual void Reset() {}

    // Stored; a controller loaded inactive waits until something activates
    // it.
    bool IsActive() const { return active != 0; }
    void SetActive(bool value) { active = value ? 1 : 0; }

    // The object this controller drives: a back pointer, not a reference
    // (the target holds the controller, not the other way round). A
    // controller shared by several objects drives the last one attached;
    // nodes clear it when they go.
    Object* GetTarget() const { return target; }
    void SetTarget(Object* object) { target = object; }

    // streaming: the activity flag
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    uint8_t active = 1;
    Object* target = nullptr; // back pointer
};
