#pragma once
#include <cstdint>

#include "engine/render/NormalmapTextureEffect.h"

// A normal-mapped texture whose map carries a height in its alpha: the lit
// members shift the coordinates by (height x scale - bias) along the eye's
// tangent-space direction, so the surface seems to have depth. Drawn
// itself as its base draws.
class ParallaxTextureEffect : public NormalmapTextureEffect
{
    QRE_DECLARE_CLASS

public:
    explicit ParallaxTextureEffect(const String& name = String()) : NormalmapTextureEffect(name) {}

    // A non-finite value becomes 0.
    float GetParallaxScale() const { return scale; }
    float GetParallaxBias() const { return bias; }
    void SetParallax(float newScale, float newBias);

    // As the normal-map effect, with the parallax; a pass that reads the
    // map takes it from stage 0 and the texture from stage 1.
    void NameBindings(MemberBindings& bindings) const override;

    // streaming: float scale, float bias after the normal-map effect's
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    float scale = 0.0f;
    float bias = 0.0f;
};
