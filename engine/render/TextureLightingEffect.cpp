#include "engine/render/TextureLightingEffect.h"

#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"

QRE_IMPLEMENT_CLASS(TextureLightingEffect, TextureEffect)

namespace
{

// The list as hardware lights.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t)
{
    auto& lit = static_cast<TextureLightingEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&lit, &lit);
}

const FamilyTechnique::Row kTechniques[] = {{{}, MakeFixedFunction}};

} // namespace

TextureLightingEffect::TextureLightingEffect(const String& name) : TextureEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}

void TextureLightingEffect::NameBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(GetTexture());
    bindings.AddSet(GetTexCoordSet());
    for (uint32_t i = 0; i < lights.GetCount(); ++i)
        bindings.AddLight(lights.Get(i));
}

bool TextureLightingEffect::Holds(const Object* other) const
{
    return TextureEffect::Holds(other) || lights.Holds(other);
}

int32_t TextureLightingEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return lights.Save(stream);
}

int32_t TextureLightingEffect::Load(Stream& stream)
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
