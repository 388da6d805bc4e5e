#include "engine/render/FurEffect.h"

#include <cmath>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"
#include "engine/render/FamilyTechnique.h"
#include "engine/render/HardwareLightPass.h"
#include "engine/render/ProgramPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"

QRE_IMPLEMENT_CLASS(FurEffect, TextureEffect)

namespace
{

using enum EffectPrograms::Id;

// The base pass and the shells by vs/ps 2.0, plain, wind or skinned.
Pass* MakeProgrammed(GeometryNodeEffect& effect, uint32_t index)
{
    auto& fur = static_cast<FurEffect&>(effect);
    return ProgramPass::Make(&fur, &fur,
                             {FurVertex20, FurVertex20Wind, FurVertex20Skinned, index == 0 ? FurPixel20 : FurShellPixel20},
                             index);
}

// The same by fixed function, the shells moved on the CPU.
Pass* MakeFixedFunction(GeometryNodeEffect& effect, uint32_t index)
{
    auto& fur = static_cast<FurEffect&>(effect);
    return new (std::nothrow) HardwareLightPass(&fur, &fur, index);
}

const FamilyTechnique::Row kTechniques[] = {
    {{TechniqueNeed::Programs::Vertex20Pixel20, 2, 0}, MakeProgrammed, FurEffect::CountPasses},
    {{}, MakeFixedFunction, FurEffect::CountPasses},
};

// A stored length or fade that is not finite counts as 0.
float Finite(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

FurEffect::FurEffect(const String& name) : TextureEffect(name)
{
    ClearTechniques();
    FamilyTechnique::AddAll(*this, kTechniques);
}

FurEffect::FurEffect(const String& name, KeepTechniques) : TextureEffect(name)
{
    ClearTechniques();
}

void FurEffect::SetFurLength(float length)
{
    furLength = Finite(length);
}

void FurEffect::SetShellCount(int32_t count)
{
    const int32_t kept = count < 0 ? 0 : count > kMaxShells ? kMaxShells : count;
    if (kept != count)
        LogWarning("Количество слоёв меха [%d] вне пределов 0..%d, взято [%d]. ID[%d] Имя[%s]", count, kMaxShells,
                   kept, GetID(), GetName().CStr());
    shellCount = kept;
}

void FurEffect::SetFade(float value)
{
    fade = Finite(value);
    MarkChanged();
}

int32_t FurEffect::SetFurTexture(BaseTexture* texture)
{
    if (texture && (static_cast<Object*>(texture) == this || texture->Holds(this)))
    {
        LogError("Текстура уже содержит этот эффект. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    furTexture = texture;
    return 0;
}

uint32_t FurEffect::CountPasses(const GeometryNodeEffect& effect)
{
    return 1 + static_cast<uint32_t>(static_cast<const FurEffect&>(effect).shellCount);
}

uint32_t FurEffect::PassCount()
{
    const uint32_t passes = TextureEffect::PassCount();
    Technique* active = GetActiveTechnique();
    Renderer* renderer = GetRenderer();
    if (!active || passes == CountPasses(*this) || !renderer)
        return passes;
    // A family technique builds its passes again for the new count.
    if (!active->IsSupported(*renderer))
        return 0;
    active->MarkChanged();
    return active->GetPassCount();
}

void FurEffect::NameBindings(MemberBindings& bindings) const
{
    bindings.AddTexture(GetTexture());
    bindings.AddSet(GetTexCoordSet());
    if (bindings.shell == 0)
        return;
    bindings.AddTexture(furTexture.Get());
    bindings.lightmap = furTexture.Get();
    bindings.lightmapSet = GetTexCoordSet();
    const float reach = static_cast<float>(bindings.shell) / static_cast<float>(shellCount + 1);
    bindings.shellOffset = reach * furLength;
    const float alpha = 1.0f - fade * reach;
    bindings.shellAlpha = alpha > 0.0f ? (alpha < 1.0f ? alpha : 1.0f) : 0.0f;
}

bool FurEffect::Holds(const Object* other) const
{
    return TextureEffect::Holds(other) ||
           (furTexture && (static_cast<const Object*>(furTexture.Get()) == other || furTexture->Holds(other)));
}

void FurEffect::CollectByType(const RTTI& type, Array<Object*>& found)
{
    TextureEffect::CollectByType(type, found);
    if (furTexture)
        furTexture->CollectByType(type, found);
}

int32_t FurEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    if (stream.WriteFloat(furLength) != 0 || stream.WriteInt32(shellCount) != 0 || stream.WriteFloat(fade) != 0 ||
        stream.WriteLink(furTexture.Get()) != 0)
    {
        LogError("Невозможно сохранить данные эффекта. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t FurEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    float length = 0.0f, fadeRead = 0.0f;
    int32_t count = 0;
    if (stream.ReadFloat(length) != 0 || stream.ReadInt32(count) != 0 || stream.ReadFloat(fadeRead) != 0)
    {
        LogError("Невозможно загрузить данные эффекта. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить текстуру меха. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    if (link && !link->IsDerived(BaseTexture::TYPE))
    {
        LogWarning("Ссылка на текстуру указывает на объект другого класса. ID[%d] Имя[%s]", GetID(),
                   GetName().CStr());
        link = nullptr;
    }
    if (SetFurTexture(static_cast<BaseTexture*>(link)) != 0)
        return 1;
    SetFurLength(length);
    SetShellCount(count);
    SetFade(fadeRead);
    return 0;
}
