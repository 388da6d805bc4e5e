#include "engine/render/NormalmapTexturePixelLightingEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(NormalmapTexturePixelLightingEffect, NormalmapTextureLightingEffect)

namespace
{

using enum EffectPrograms::Id;

// Per pixel: the list's normal-map programs, two samplers.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<NormalmapTexturePixelLightingEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {NormalListVertex20, NormalListVertex20Wind, NormalListVertex20Skinned,
                                          NormalListPixel20});
}

// The list as hardware lights, as the base draws.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<NormalmapTexturePixelLightingEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex20Pixel20, 2, 0}, MakePixelLit},
    {{}, MakeFixedFunction},
};

} // namespace

NormalmapTexturePixelLightingEffect::NormalmapTexturePixelLightingEffect(const String& name) : NormalmapTextureLightingEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}
