#pragma once
#include "engine/core/Object.h"

// Something that changes an object over time: attached to its target's
// controller list and run by the target's UpdateControllers.
class Controller : public Object
{
    QRE_DECLARE_CLASS

public:
    explicit Controller(const String& name = String()) : Object(name) {}

    // Advances the controller to the given time; 0 on success.
    virtual int32_t Update(double time) { (void)time; return 0; }

    // The object this controller drives: a back pointer, not a reference
    // (the target holds the controller, not the other way round). A
    // controller shared by several objects drives the last one attached.
    Object* GetTarget() const { return target; }
    void SetTarget(Object* object) { target = object; }

private:
    Object* target = nullptr;
};
