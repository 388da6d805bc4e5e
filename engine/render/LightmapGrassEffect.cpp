#include "engine/render/LightmapGrassEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(LightmapGrassEffect, LightmapTextureEffect)

namespace
{

using enum EffectPrograms::Id;
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// The sway by vs 1.1, the lightmap on fixed-function stage 1.
Pass* MakeSway(GeometryNodeEffect& effect, uint32_t)
{
    auto& grass = static_cast<LightmapGrassEffect&>(effect);
    return ProgramPass::Make(&grass, &grass,
                             {LightmapGrassVertex11, kNone, kNone, kNone, LightmapGrassVertex11Coloured});
}

// Still: colour x texture x lightmap.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& grass = static_cast<LightmapGrassEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&grass, &grass);
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex11, 2, 0}, MakeSway},
    {{}, MakeFixedFunction},
};

} // namespace

LightmapGrassEffect::LightmapGrassEffect(const String& name) : LightmapTextureEffect(name, KeepTechniques{})
{
    FamilyTechnique::AddAll(*this, kTechniques);
}

void LightmapGrassEffect::NameBindings(MemberBindings& bindings) const
{
    LightmapTextureEffect::NameBindings(bindings);
    bindings.AddSet(kSwaySet);
}
