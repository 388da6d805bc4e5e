#include "engine/render/FurVertexLightingEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(FurVertexLightingEffect, FurLightingEffect)

namespace
{

using enum EffectPrograms::Id;

// Lit per vertex, the base pass and the shells.
Pass* MakeVertexLit(GeometryNodeEffect& effect, uint32_t index)
{
    auto& fur = static_cast<FurVertexLightingEffect&>(effect);
    return ProgramPass::Make(
        &fur, &fur,
        {FurLitVertex20, FurLitVertex20Wind, FurLitVertex20Skinned, index == 0 ? FurLitPixel20 : FurLitShellPixel20},
        index);
}

// The list as hardware lights, as the base draws.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t index)
{
    auto& fur = static_cast<FurVertexLightingEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&fur, &fur, index);
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex20Pixel20, 2, 0}, MakeVertexLit, FurEffect::CountPasses},
    {{}, MakeFixedFunction, FurEffect::CountPasses},
};

} // namespace

FurVertexLightingEffect::FurVertexLightingEffect(const String& name) : FurLightingEffect(name, KeepTechniques())
{
    FamilyTechnique::AddAll(*this, kTechniques);
}
