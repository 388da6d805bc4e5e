#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"

class Light;
class Object;
class Stream;

// The one light of a one-light effect: held, streamed as a link after the
// fields of the effect it is part of.
class LightSlot
{
public:
    LightSlot();
    ~LightSlot();

    Light* Get() const { return light.Get(); }
    // Replaces the light (null empties the slot). 3 (refused, logged with
    // the owner's name) when the light is the owner or holds it.
    int32_t Set(const Object& owner, Light* newLight);

    // Whether the light is other or holds it.
    bool Holds(const Object* other) const;

    // The link; the owner names the object in the failure line. Another
    // class in the light's place loads as no light, after a warning.
    int32_t Save(Stream& stream, const Object& owner);
    int32_t Load(Stream& stream, const Object& owner);

private:
    Ptr<Light> light;
};
