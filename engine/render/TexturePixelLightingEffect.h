#pragma once

#include "engine/render/TextureLightingEffect.h"

// A texture lit per pixel by the first four lights of its list (vs/ps 2.0;
// plain, wind or skinned), each directional or attenuated point by its
// type; the list as hardware lights where the device has no such programs.
class TexturePixelLightingEffect : public TextureLightingEffect
{
    QRE_DECLARE_CLASS

public:
    explicit TexturePixelLightingEffect(const String& name = String());
};
