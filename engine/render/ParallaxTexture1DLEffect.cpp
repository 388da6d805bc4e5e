#include "engine/render/ParallaxTexture1DLEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(ParallaxTexture1DLEffect, ParallaxTextureEffect)

namespace
{

using Programs = TechniqueNeed::Programs;
using enum EffectPrograms::Id;
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// Per pixel: vs 2.0 plain and wind, ps 2.0 with two samplers.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<ParallaxTexture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {NormalLitVertex20, NormalLitVertex20Wind, NormalLitVertex20Skinned, ParallaxLitPixel20});
}

// Per vertex: Texture1DLEffect's vs 1.1, the map unused.
Pass* MakeVertexLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<ParallaxTexture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {LitVertex11, LitVertex11Wind, kNone, kNone});
}

// One hardware light.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<ParallaxTexture1DLEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

const FamilyTechnique::Row kTechniques[] = {
    {{Programs::Vertex20Pixel20, 2, 1}, MakePixelLit},
    {{Programs::Vertex11, 1, 1}, MakeVertexLit},
    {{}, MakeFixedFunction},
};

} // namespace

ParallaxTexture1DLEffect::ParallaxTexture1DLEffect(const String& name) : ParallaxTextureEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}

void ParallaxTexture1DLEffect::NameBindings(MemberBindings& bindings) const
{
    ParallaxTextureEffect::NameBindings(bindings);
    bindings.AddLight(light.Get());
}

bool ParallaxTexture1DLEffect::Holds(const Object* other) const
{
    return ParallaxTextureEffect::Holds(other) || light.Holds(other);
}

int32_t ParallaxTexture1DLEffect::Save(Stream& stream)
{
    if (ParallaxTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return light.Save(stream, *this);
}

int32_t ParallaxTexture1DLEffect::Load(Stream& stream)
{
    if (ParallaxTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (light.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
