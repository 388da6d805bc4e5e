#include "engine/render/TexturePixelLightingEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(TexturePixelLightingEffect, TextureLightingEffect)

namespace
{

using enum EffectPrograms::Id;

// Per pixel: the two-light vertex programs (they pass the point), the list
// pixel program.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<TexturePixelLightingEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {TwoLightVertex20, TwoLightVertex20Wind, TwoLightVertex20Skinned,
                                          ListLitPixel20});
}

// The list as hardware lights, as the base draws.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<TexturePixelLightingEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex20Pixel20, 1, 0}, MakePixelLit},
    {{}, MakeFixedFunction},
};

} // namespace

TexturePixelLightingEffect::TexturePixelLightingEffect(const String& name) : TextureLightingEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}
