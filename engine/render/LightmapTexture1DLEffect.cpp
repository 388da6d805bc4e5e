#include "engine/render/LightmapTexture1DLEffect.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(LightmapTexture1DLEffect, LightmapTextureEffect)

namespace
{

using Programs = TechniqueNeed::Programs;
using enum EffectPrograms::Id;
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// Per pixel: vs 2.0 plain and wind (the table has no skinned one) and ps
// 2.0 with two samplers.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<LightmapTexture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {LightmapLitVertex20, LightmapLitVertex20Wind, kNone, LightmapLitPixel20});
}

// Per vertex: vs 1.1 plain and wind, the lightmap on fixed-function stage 1.
Pass* MakeVertexLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<LightmapTexture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {LightmapLitVertex11, LightmapLitVertex11Wind, kNone, kNone});
}

// One hardware light, the lightmap on stage 1.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<LightmapTexture1DLEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

} // namespace

LightmapTexture1DLEffect::LightmapTexture1DLEffect(const String& name)
    : LightmapTextureEffect(name, KeepTechniques{})
{
    const TechniqueNeed needs[3] = {{Programs::Vertex20Pixel20, 2, 1}, {Programs::Vertex11, 2, 1}, {}};
    const FamilyTechnique::MakePass makers[3] = {MakePixelLit, MakeVertexLit, MakeFixedFunction};
    for (uint32_t i = 0; i < 3; ++i)
    {
        std::unique_ptr<Technique> made(new (std::nothrow) FamilyTechnique(this, needs[i], makers[i]));
        if (made)
            AddTechnique(std::move(made));
    }
}

void LightmapTexture1DLEffect::NameBindings(MemberBindings& bindings) const
{
    LightmapTextureEffect::NameBindings(bindings);
    bindings.AddLight(light.Get());
}

bool LightmapTexture1DLEffect::Holds(const Object* other) const
{
    return LightmapTextureEffect::Holds(other) || light.Holds(other);
}

int32_t LightmapTexture1DLEffect::Save(Stream& stream)
{
    if (LightmapTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return light.Save(stream, *this);
}

int32_t LightmapTexture1DLEffect::Load(Stream& stream)
{
    if (LightmapTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (light.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
