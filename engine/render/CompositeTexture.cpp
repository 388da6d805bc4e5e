#include "engine/render/CompositeTexture.h"

#include <cstring>
#include <new>

#include "engine/core/EngineStartup.h"
#include "engine/core/Log.h"
#include "engine/core/Stream.h"

QRE_IMPLEMENT_CLASS(CompositeTexture, VolumeTexture)

CompositeTexture::CompositeTexture(const String& name) : VolumeTexture(name)
{
}

int32_t CompositeTexture::AddTexture(Texture* texture)
{
    if (!texture || texture->Holds(this))
    {
        LogWarning("Неверная текстура слоя составной текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    textures.Append(Ptr<Texture>(texture));
    return 0;
}

int32_t CompositeTexture::Compose()
{
    const uint32_t depth = textures.Count();
    const Image* first = depth ? textures[0]->GetImage() : nullptr;
    if (!first)
    {
        LogError("Нет изображений для слоёв составной текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    const int32_t format = first->GetFormat();
    const uint32_t width = first->GetWidth();
    const uint32_t height = first->GetHeight();
    if (ChooseDeviceFormat(format, false, false) == kDeviceNone || width == 0 || height == 0)
    {
        LogError("Неподдерживаемый формат слоёв составной текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 3;
    }
    for (uint32_t i = 0; i < depth; ++i)
    {
        const Image* slice = textures[i]->GetImage();
        if (!slice || !slice->GetData())
        {
            LogError("Нет изображения слоя [%u] составной текстуры. Имя[%s] ID[%d]", i, GetName().CStr(), GetID());
            return 3;
        }
        // A volume image's GetDataSize counts every slice it has, so the
        // slice size must come from the flat layout, not from the image.
        if (slice->GetFormat() != format || slice->GetWidth() != width || slice->GetHeight() != height ||
            (slice->IsDerived(VolumeImage::TYPE) && static_cast<const VolumeImage*>(slice)->GetDepth() != 1))
        {
            LogError("Размеры слоя [%u] составной текстуры отличаются от первого. Имя[%s] ID[%d]", i,
                     GetName().CStr(), GetID());
            return 3;
        }
    }
    Ptr<VolumeImage> volume = new (std::nothrow) VolumeImage(GetName(), format, width, height, depth);
    if (!volume || !volume->GetData())
    {
        LogError("Недостаточно памяти для составной текстуры. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 2;
    }
    const uint64_t sliceSize = volume->GetSliceSize();
    for (uint32_t i = 0; i < depth; ++i)
        std::memcpy(volume->GetData() + sliceSize * i, textures[i]->GetImage()->GetData(), sliceSize);
    return SetImage(volume.Get());
}

bool CompositeTexture::Holds(const Object* other) const
{
    if (VolumeTexture::Holds(other))
        return true;
    for (const Ptr<Texture>& texture : textures)
        if (texture.Get() == other || texture->Holds(other))
            return true;
    return false;
}

int32_t CompositeTexture::Save(Stream& stream)
{
    if (VolumeTexture::Save(stream) != 0)
    {
        LogError("Невозможно сохранить родительские данные. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    stream.WriteUInt32(textures.Count());
    for (const Ptr<Texture>& texture : textures)
        stream.WriteLink(texture.Get());
    if (stream.GetState() != 0)
    {
        LogError("Невозможно сохранить текстуры слоёв. Имя[%s] ID[%d]", GetName().CStr(), GetID());
        return 1;
    }
    return 0;
}

int32_t CompositeTexture::Load(Stream& stream)
{
    if (VolumeTexture::Load(stream) != 0)
    {
        LogError("Невозможно загрузить родительские данные. ID[%d]", GetID());
        return 1;
    }
    uint32_t count = 0;
    if (stream.ReadUInt32(count) != 0 || !stream.CheckRemaining(count, 4))
    {
        LogError("Невозможно загрузить текстуры слоёв. ID[%d] Имя[%s]", GetID(), GetName().CStr());
        return 1;
    }
    textures.Clear();
    for (uint32_t i = 0; i < count; ++i)
    {
        Object* link = nullptr;
        if (stream.ReadLink(link) != 0)
        {
            LogError("Невозможно загрузить текстуры слоёв. ID[%d] Имя[%s]", GetID(), GetName().CStr());
            return 1;
        }
        // Another class, or one that would close a cycle, counts as missing.
        if (link && link->IsDerived(Texture::TYPE))
            AddTexture(static_cast<Texture*>(link));
    }
    if (textures.Count() > 0)
    {
        const uint32_t levels = GetMipLevels();
        if (Compose() == 0)
            SetMipLevels(levels);
    }
    return 0;
}
