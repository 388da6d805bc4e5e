#pragma once
#include <cstdint>

#include "engine/render/FurEffect.h"
#include "engine/render/LightList.h"

class Light;

// Fur lit by a list of lights through the fixed-function pipeline (as many
// hardware lights as the device has), the base pass and every shell alike.
class FurLightingEffect : public FurEffect
{
    QRE_DECLARE_CLASS

public:
    explicit FurLightingEffect(const String& name = String());

    // The lights, in order (held). AddLight: 3 (refused, logged) when the
    // light holds this effect, 2 when out of memory.
    uint32_t GetLightCount() const { return lights.GetCount(); }
    Light* GetLight(uint32_t index) const { return lights.Get(index); }
    int32_t AddLight(Light* light) { return lights.Add(*this, light); }
    void ClearLights() { lights.Clear(); }

    // The fur effect's bindings; the lights in order.
    void NameBindings(MemberBindings& bindings) const override;

    bool Holds(const Object* other) const override;

    // streaming: the light list (u32 count, then the links) after the fur
    // effect's fields
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

protected:
    // For the subclass that puts its programs in front.
    FurLightingEffect(const String& name, KeepTechniques);

private:
    LightList lights;
};
