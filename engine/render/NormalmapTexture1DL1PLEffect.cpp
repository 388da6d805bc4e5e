#include "engine/render/NormalmapTexture1DL1PLEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(NormalmapTexture1DL1PLEffect, NormalmapTextureEffect)

namespace
{

using Programs = TechniqueNeed::Programs;
using enum EffectPrograms::Id;
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// Per pixel: vs 2.0 plain and wind, ps 2.0 with two samplers.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<NormalmapTexture1DL1PLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {NormalTwoLightVertex20, NormalTwoLightVertex20Wind, NormalTwoLightVertex20Skinned,
                                          NormalTwoLightPixel20});
}

// Per vertex: Texture1DL1PLEffect's vs 1.1, the map unused.
Pass* MakeVertexLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<NormalmapTexture1DL1PLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {TwoLightVertex11, TwoLightVertex11Wind, kNone, kNone});
}

// The two lights as hardware lights.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<NormalmapTexture1DL1PLEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

const FamilyTechnique::Row kTechniques[] = {
    {{Programs::Vertex20Pixel20, 2, 2}, MakePixelLit},
    {{Programs::Vertex11, 1, 2}, MakeVertexLit},
    {{}, MakeFixedFunction},
};

} // namespace

NormalmapTexture1DL1PLEffect::NormalmapTexture1DL1PLEffect(const String& name) : NormalmapTextureEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}

void NormalmapTexture1DL1PLEffect::NameBindings(MemberBindings& bindings) const
{
    NormalmapTextureEffect::NameBindings(bindings);
    lights.Name(bindings);
}

bool NormalmapTexture1DL1PLEffect::Holds(const Object* other) const
{
    return NormalmapTextureEffect::Holds(other) || lights.Holds(other);
}

int32_t NormalmapTexture1DL1PLEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return lights.Save(stream, *this);
}

int32_t NormalmapTexture1DL1PLEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (lights.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
