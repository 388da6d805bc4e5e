#pragma once

#include "engine/render/NormalmapTextureLightingEffect.h"

// A normal-mapped texture lit per pixel by the first four lights of its
// list (vs/ps 2.0, plain or wind), each directional or attenuated point by
// its type, each faded by its per-vertex factor; the list as hardware
// lights where the device has no such programs.
class NormalmapTexturePixelLightingEffect : public NormalmapTextureLightingEffect
{
    QRE_DECLARE_CLASS

public:
    explicit NormalmapTexturePixelLightingEffect(const String& name = String());
};
