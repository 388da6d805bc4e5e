#include "engine/render/Texture1DL1PLEffect.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(Texture1DL1PLEffect, TextureEffect)

namespace
{

using Programs = TechniqueNeed::Programs;
using enum EffectPrograms::Id;
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// Per pixel: vs 2.0 plain, wind, skinned and ps 2.0.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<Texture1DL1PLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {TwoLightVertex20, TwoLightVertex20Wind, TwoLightVertex20Skinned,
                                          TwoLightPixel20});
}

// Per vertex: vs 1.1 plain and wind, fixed-function pixels.
Pass* MakeVertexLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<Texture1DL1PLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {TwoLightVertex11, TwoLightVertex11Wind, kNone, kNone});
}

// The two lights as hardware lights.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<Texture1DL1PLEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

} // namespace

Texture1DL1PLEffect::Texture1DL1PLEffect(const String& name) : TextureEffect(name)
{
    // The lit techniques replace the texture effect's unlit one.
    ClearTechniques();
    const TechniqueNeed needs[3] = {{Programs::Vertex20Pixel20, 1, 2}, {Programs::Vertex11, 1, 2}, {}};
    const FamilyTechnique::MakePass makers[3] = {MakePixelLit, MakeVertexLit, MakeFixedFunction};
    for (uint32_t i = 0; i < 3; ++i)
    {
        std::unique_ptr<Technique> made(new (std::nothrow) FamilyTechnique(this, needs[i], makers[i]));
        if (made)
            AddTechnique(std::move(made));
    }
}

void Texture1DL1PLEffect::NameBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(GetTexture());
    bindings.AddSet(GetTexCoordSet());
    lights.Name(bindings);
}

bool Texture1DL1PLEffect::Holds(const Object* other) const
{
    return TextureEffect::Holds(other) || lights.Holds(other);
}

int32_t Texture1DL1PLEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return lights.Save(stream, *this);
}

int32_t Texture1DL1PLEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (lights.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
