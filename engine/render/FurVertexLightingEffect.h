#pragma once

#include "engine/render/FurLightingEffect.h"

// Fur lit per vertex by the first four lights of its list (vs/ps 2.0;
// plain, wind or skinned), each directional or attenuated point by its
// type; the list as hardware lights where the device has no such programs.
class FurVertexLightingEffect : public FurLightingEffect
{
    QRE_DECLARE_CLASS

public:
    explicit FurVertexLightingEffect(const String& name = String());
};
