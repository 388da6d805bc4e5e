#include "engine/render/Texture1DLEffect.h"

#include <memory>
#include <new>
#include <utility>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"
#include "engine/scene/Light.h"

QRE_IMPLEMENT_CLASS(Texture1DLEffect, TextureEffect)

namespace
{

using Programs = TechniqueNeed::Programs;
using enum EffectPrograms::Id;

// Per pixel: vs 2.0 plain, wind, skinned and ps 2.0.
Pass* MakePixelLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<Texture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {LitVertex20, LitVertex20Wind, LitVertex20Skinned, LitPixel20});
}

// Per vertex: vs 1.1 plain and wind, fixed-function pixels.
Pass* MakeVertexLit(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<Texture1DLEffect&>(effect);
    return ProgramPass::Make(&lit, &lit, {LitVertex11, LitVertex11Wind, EffectPrograms::Id::Count,
                                          EffectPrograms::Id::Count});
}

// One hardware light.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<Texture1DLEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

} // namespace

Texture1DLEffect::Texture1DLEffect(const String& name) : TextureEffect(name)
{
    // The lit techniques replace the texture effect's unlit one.
    ClearTechniques();
    const TechniqueNeed needs[3] = {{Programs::Vertex20Pixel20, 1, 1}, {Programs::Vertex11, 1, 1}, {}};
    const FamilyTechnique::MakePass makers[3] = {MakePixelLit, MakeVertexLit, MakeFixedFunction};
    for (uint32_t i = 0; i < 3; ++i)
    {
        std::unique_ptr<Technique> made(new (std::nothrow) FamilyTechnique(this, needs[i], makers[i]));
        techniques[i] = made.get();
        if (made && AddTechnique(std::move(made)) != 0)
            techniques[i] = nullptr;
    }
}

int32_t Texture1DLEffect::SetLight(Light* newLight)
{
    return light.Set(*this, newLight);
}

Texture1DLEffect::Lighting Texture1DLEffect::GetLighting() const
{
    const Technique* active = GetActiveTechnique();
    for (uint32_t i = 0; i < 3; ++i)
        if (active && active == techniques[i])
            return static_cast<Lighting>(i);
    return kNotChosen;
}

void Texture1DLEffect::NameBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(GetTexture());
    bindings.AddSet(GetTexCoordSet());
    bindings.AddLight(light.Get());
}

bool Texture1DLEffect::Holds(const Object* other) const
{
    return TextureEffect::Holds(other) || light.Holds(other);
}

int32_t Texture1DLEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return light.Save(stream, *this);
}

int32_t Texture1DLEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    if (light.Load(stream, *this) != 0)
        return 1;
    MarkChanged();
    return 0;
}
