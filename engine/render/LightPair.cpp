#include "engine/render/LightPair.h"

#include "engine/render/FamilyMember.h"

void LightPair::Name(MemberBindings& bindings) const
{
    bindings.AddLight(directional.Get());
    bindings.AddLight(point.Get());
}

int32_t LightPair::Save(Stream& stream, const Object& owner)
{
    return directional.Save(stream, owner) == 0 && point.Save(stream, owner) == 0 ? 0 : 1;
}

int32_t LightPair::Load(Stream& stream, const Object& owner)
{
    return directional.Load(stream, owner) == 0 && point.Load(stream, owner) == 0 ? 0 : 1;
}
