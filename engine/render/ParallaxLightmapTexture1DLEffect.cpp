#include "engine/render/ParallaxLightmapTexture1DLEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"

QRE_IMPLEMENT_CLASS(ParallaxLightmapTexture1DLEffect, ParallaxLightmapTextureEffect)

namespace
{

using Programs = TechniqueNeed::Programs;
using enum EffectPrograms::Id;
constexpr EffectPrograms::Id kNone = EffectPrograms::Id::Count;

// Per pixel: vs 2.0 plain and wind (four coordinate sets), ps 2.0 with
// three samplers.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<ParallaxLightmapTexture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {NormalLightmapLitVertex20, NormalLightmapLitVertex20Wind, kNone, ParallaxLightmapLitPixel20});
}

// Per vertex: LightmapTexture1DLEffect's vs 1.1, the map unused.
Pass* MakeVertexLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<ParallaxLightmapTexture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {LightmapLitVertex11, LightmapLitVertex11Wind, kNone, kNone});
}

// One hardware light, the lightmap on stage 1.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<ParallaxLightmapTexture1DLEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

const FamilyTechnique::Row kTechniques[] = {
    {{Programs::Vertex20Pixel20, 3, 1}, MakePixelLit},
    {{Programs::Vertex11, 2, 1}, MakeVertexLit},
    {{}, MakeFixedFunction},
};

} // namespace

ParallaxLightmapTexture1DLEffect::ParallaxLightmapTexture1DLEffect(const String& name) : ParallaxLightmapTextureEffect(name, KeepTechniques{})
{
    FamilyTechnique::AddAll(*this, kTechniques);
}

void ParallaxLightmapTexture1DLEffect::NameBindings(MemberBindings& bindings) const
{
    ParallaxLightmapTextureEffect::NameBindings(bindings);
    bindings.AddLight(light.Get());
}

bool ParallaxLightmapTexture1DLEffect::Holds(const Object* other) const
{
    return ParallaxLightmapTextureEffect::Holds(other) || light.Holds(other);
}

int32_t ParallaxLightmapTexture1DLEffect::Save(Stream& stream)
{
    if (ParallaxLightmapTextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return light.Save(stream, *this);
}

int32_t ParallaxLightmapTexture1DLEffect::Load(Stream& stream)
{
    if (ParallaxLightmapTextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (light.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
