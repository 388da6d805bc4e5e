#pragma once
#include <cstdint>

#include "engine/render/LightSlot.h"

class Light;
class Object;
class Stream;
struct MemberBindings;

// The two lights of a directional-plus-point effect, streamed in that order.
// Programs take the first one's direction and the second one's position,
// whatever the lights' types, so a member names them as lights 0 and 1.
class LightPair
{
public:
    Light* GetDirectional() const { return directional.Get(); }
    Light* GetPoint() const { return point.Get(); }
    // As LightSlot::Set: 3 (refused, logged) when the light holds the owner.
    int32_t SetDirectional(const Object& owner, Light* light) { return directional.Set(owner, light); }
    int32_t SetPoint(const Object& owner, Light* light) { return point.Set(owner, light); }

    // The directional light, then the point light.
    void Name(MemberBindings& bindings) const;

    bool Holds(const Object* other) const { return directional.Holds(other) || point.Holds(other); }

    // The directional link, then the point link, each with LightSlot's lines.
    int32_t Save(Stream& stream, const Object& owner);
    int32_t Load(Stream& stream, const Object& owner);

private:
    LightSlot directional;
    LightSlot point;
};
