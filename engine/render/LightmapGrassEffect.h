#pragma once
#include <cstdint>

#include "engine/render/LightmapTextureEffect.h"

// Lightmapped grass: colour (or vertex colour) x texture x lightmap, always
// swaying by vertex programs 1.1 with the u of the geometry's coordinate
// set 1 as the weight (0 at the root, 1 at the tip); fixed function draws
// it still.
class LightmapGrassEffect : public LightmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit LightmapGrassEffect(const String& name = String());

    // The set that carries the sway weight.
    static constexpr uint32_t kSwaySet = 1;

    // The lightmapped effect's textures and sets, the sway weight's set
    // after them.
    void NameBindings(MemberBindings& bindings) const override;
};
