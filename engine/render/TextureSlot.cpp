#include "engine/render/TextureSlot.h"

#include "engine/core/Log.h"
#include "engine/core/Object.h"
#include "engine/core/Stream.h"

int32_t TextureSlot::Set(const Object& owner, BaseTexture* newTexture)
{
    if (newTexture && (static_cast<const Object*>(newTexture) == &owner || newTexture->Holds(&owner)))
    {
        LogError("Текстура уже содержит этот эффект. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 3;
    }
    texture = newTexture;
    return 0;
}

bool TextureSlot::Holds(const Object* other) const
{
    return texture && (static_cast<const Object*>(texture.Get()) == other || texture->Holds(other));
}

int32_t TextureSlot::SaveLink(Stream& stream, const Object& owner) const
{
    if (stream.WriteLink(texture.Get()) != 0)
    {
        LogError("Невозможно сохранить текстуру. Имя[%s] ID[%d]", owner.GetName().CStr(), owner.GetID());
        return 1;
    }
    return 0;
}

int32_t TextureSlot::LoadLink(Stream& stream, const Object& owner)
{
    Object* link = nullptr;
    if (stream.ReadLink(link) != 0)
    {
        LogError("Невозможно загрузить текстуру. ID[%d] Имя[%s]", owner.GetID(), owner.GetName().CStr());
        return 1;
    }
    if (link && !link->IsDerived(BaseTexture::TYPE))
    {
        LogWarning("Ссылка на текстуру указывает на объект другого класса. ID[%d] Имя[%s]", owner.GetID(),
                   owner.GetName().CStr());
        link = nullptr;
    }
    return Set(owner, static_cast<BaseTexture*>(link)) == 0 ? 0 : 1;
}

int32_t TextureSlot::SaveSet(Stream& stream, const Object& owner) const
{
    if (stream.WriteUInt32(set) != 0)
    {
        LogError("Невозможно сохранить номер набора текстурных координат. Имя[%s] ID[%d]", owner.GetName().CStr(),
                 owner.GetID());
        return 1;
    }
    return 0;
}

int32_t TextureSlot::LoadSet(Stream& stream, const Object& owner)
{
    uint32_t value = 0;
    if (stream.ReadUInt32(value) != 0)
    {
        LogError("Невозможно загрузить номер набора текстурных координат. ID[%d] Имя[%s]", owner.GetID(),
                 owner.GetName().CStr());
        return 1;
    }
    SetSet(value);
    return 0;
}
