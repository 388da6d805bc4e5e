#pragma once
#include <cstdint>

#include "engine/render/LightList.h"
#include "engine/render/NormalmapTextureEffect.h"

class Light;

// A normal-mapped texture lit by a list of lights through the
// fixed-function pipeline (the map unused; as many hardware lights as the
// device has, up to the first four).
class NormalmapTextureLightingEffect : public NormalmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit NormalmapTextureLightingEffect(const String& name = String());

    // The lights, in order (held). AddLight: 3 (refused, logged) when the
    // light holds this effect, 2 when out of memory.
    uint32_t GetLightCount() const { return lights.GetCount(); }
    Light* GetLight(uint32_t index) const { return lights.Get(index); }
    int32_t AddLight(Light* light) { return lights.Add(*this, light); }
    void ClearLights() { lights.Clear(); }

    // The normal-map effect's textures and sets; the lights in order.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;

    // streaming: the light list (u32 count, then the links) after the
    // normal-map effect's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    LightList lights;
};
